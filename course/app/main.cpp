// Quenmore: a touch-typing tutor. The main function brings the system up and hands over to
// the course, which ends the program through shutDown.
#include "course/app/program.h"
#include "course/app/startup.h"

#include <SDL.h>

int main(int argc, char* argv[]) {
    (void)argc;  // the program has no command-line options
    (void)argv;
    static VideoState video{};
    static LessonMenu menu{};
    StartupFailure failure{};
    if (!startUp(video, failure)) stopWithMessage(video, failure.message.c_str());
    runCourse(video, menu);
}
