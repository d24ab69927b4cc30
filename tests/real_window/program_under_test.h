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
    // The Wine prefix a Windows program runs in, whose Wine session has to be started for
    // the X display before the program (see startWineSession); empty for a native program.
    std::string winePrefix;
    double startSeconds = 30;  // the longest a launch may take to show its first frame
};

// The native program at `path`, with its data in `dataFolder`.
ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder);
// The Windows program `exe` under Wine in the prefix `prefix`, made on first use.
ProgramUnderTest wineProgram(const std::string& exe, const std::string& prefix);
// The Wine program named by QUENMORE_WINE_PROGRAM when that is set, with a fresh Wine prefix
// in `dataFolder`; else the native one.
ProgramUnderTest programUnderTest(const std::string& nativePath, const std::string& dataFolder);

// Runs cmake/wine-run for `prefix` with `arguments` and the changes `environment`, its
// output going to `logPath`. True when it succeeded within `seconds`.
bool runWineRun(const std::string& prefix, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment, const std::string& logPath,
                double seconds);
