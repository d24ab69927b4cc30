// The program's command line: --help, --version, the display for this run (a window at a
// scale, full screen, a monitor) and speech. A choice made here holds for the run and is not saved.
#pragma once

#include "course/records/settings.h"

#include <string>

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse } action = Action::Run;
    std::string reason;  // why the line is refused
    bool windowGiven = false;
    bool fullScreenGiven = false;
    int32_t scale = 0;         // --window=SCALE; 0: none given
    int32_t monitor = -1;      // --monitor N; -1: none given
    bool speechGiven = false;  // --speech
};

// Reads the arguments after the program's name.
CommandLine readCommandLine(int argc, const char* const* argv);
// The run's settings: those of the file with the command line's choices on top.
void applyCommandLine(const CommandLine& line, Settings& settings);
// What --help prints, and what --version prints.
const char* usageText();
std::string versionText();
