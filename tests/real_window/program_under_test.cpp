#include "tests/real_window/program_under_test.h"

#include "tests/real_window/child_process.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// SDL must find the X server by itself, as it does on a desktop: no forced video driver and
// no Wayland compositor to prefer.
const std::vector<std::string> DesktopEnvironment = {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                                                     "SDL_RENDER_DRIVER"};

// Wine names the user's folder in the prefix after the Unix user.
std::string userName() {
    const passwd* entry = getpwuid(getuid());
    if (entry != nullptr && entry->pw_name != nullptr) return entry->pw_name;
    const char* name = std::getenv("USER");
    return name != nullptr ? name : "root";
}

}  // namespace

ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder) {
    ProgramUnderTest program;
    program.command = {path};
    program.environment = DesktopEnvironment;
    program.environment.push_back("XDG_DATA_HOME=" + dataFolder);
    program.bestTimesFile = dataFolder + "/quenmoreTimes.bin";
    return program;
}

ProgramUnderTest wineProgram(const std::string& exe, const std::string& prefix) {
    ProgramUnderTest program;
    // wine-run sets up Wine's environment (prefix, no debug output, no sound driver).
    program.command = {QUENMORE_WINE_RUN, prefix, exe};
    program.environment = DesktopEnvironment;
    program.winePrefix = prefix;
    program.bestTimesFile =
        prefix + "/drive_c/users/" + userName() + "/AppData/Roaming/quenmoreTimes.bin";
    // Wine loads a whole Windows system and draws through a software Direct3D.
    program.startSeconds = 60;
    return program;
}

ProgramUnderTest programUnderTest(const std::string& nativePath, const std::string& dataFolder) {
    const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
    if (exe != nullptr && exe[0] != '\0') return wineProgram(exe, dataFolder + "/wine");
    return nativeProgram(nativePath, dataFolder);
}

bool runWineRun(const std::string& prefix, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment, const std::string& logPath,
                double seconds) {
    std::vector<std::string> command = {QUENMORE_WINE_RUN, prefix};
    command.insert(command.end(), arguments.begin(), arguments.end());
    SpawnOptions options;
    options.environment = environment;
    options.outputPath = logPath;
    return runCommand(command, options, seconds);
}
