#include "tests/real_window/program_under_test.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

// SDL must find the X server by itself, as it does on a desktop: no forced video driver and
// no Wayland compositor to prefer.
const std::vector<std::string> DesktopEnvironment = {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                                                     "SDL_RENDER_DRIVER"};

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

ProgramUnderTest wineProgram(const std::string& exe, const std::string& dataFolder) {
    ProgramUnderTest program;
    const std::string prefix = dataFolder + "/wine";
    // Wine makes the prefix itself, but not the folders above it.
    std::error_code ignored;
    std::filesystem::create_directories(dataFolder, ignored);
    program.command = {"wine", exe};
    program.environment = DesktopEnvironment;
    program.environment.push_back("WINEPREFIX=" + prefix);
    program.environment.push_back("WINEDEBUG=-all");
    program.bestTimesFile =
        prefix + "/drive_c/users/" + userName() + "/AppData/Roaming/quenmoreTimes.bin";
    // A fresh prefix is built on the first start.
    program.startSeconds = 120;
    return program;
}

ProgramUnderTest programUnderTest(const std::string& nativePath, const std::string& dataFolder) {
    const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
    if (exe != nullptr && exe[0] != '\0') return wineProgram(exe, dataFolder);
    return nativeProgram(nativePath, dataFolder);
}
