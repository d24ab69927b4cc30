// The command line a real-window test runs, and where that program keeps its best times.
// The native build reads $XDG_DATA_HOME; the Windows build under Wine keeps them in the
// roaming application-data folder of its Wine prefix. Both show the same screens, so the
// same tests drive either.
#pragma once

#include <string>
#include <vector>

struct ProgramUnderTest {
    std::vector<std::string> command;
    std::vector<std::string> environment;  // changes, as for SpawnOptions
    std::string bestTimesFile;
    double startSeconds = 1;  // time from launch to the first frame on the screen
};

// The native program at `path`, with its data in `dataFolder`.
ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder);
// The Windows program `exe` under Wine, with a fresh Wine prefix in `dataFolder`.
ProgramUnderTest wineProgram(const std::string& exe, const std::string& dataFolder);
// The Wine program named by QUENMORE_WINE_PROGRAM when that is set, else the native one.
ProgramUnderTest programUnderTest(const std::string& nativePath, const std::string& dataFolder);
