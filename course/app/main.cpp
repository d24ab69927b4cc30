// Quenmore: a touch-typing tutor. The main function reads the command line and the learner's
// settings, brings the system up and hands over to the course, which ends the program
// through shutDown.
#include "course/app/command_line.h"
#include "course/app/program.h"
#include "course/app/startup.h"
#include "platform/platform.h"

#include <SDL.h>

#include <string>

int main(int argc, char* argv[]) {
    const CommandLine line = readCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help: platform::tellUser(usageText(), false); return 0;
    case CommandLine::Action::Version: platform::tellUser(versionText().c_str(), false); return 0;
    case CommandLine::Action::Refuse:
        platform::tellUser(("quenmore: " + line.reason + "\n" + usageText()).c_str(), true);
        return 2;
    case CommandLine::Action::Run: break;
    }
    static VideoState video{};
    static LessonMenu menu{};
    static Settings settings{};
    loadSettings(settings);
    applyCommandLine(line, settings);
    StartupFailure failure{};
    if (!startUp(video, settings, failure)) stopWithMessage(video, failure.message.c_str());
    runCourse(video, menu, settings);
}
