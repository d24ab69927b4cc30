#include "course/app/startup.h"

#include "course/screens/options_screen.h"
#include "engine/asset_files.h"
#include "engine/host.h"
#include "engine/sound_output.h"
#include "engine/window_modes.h"
#include "platform/platform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Everything SDL offers is started, as the program always has; when that fails (a machine
// without sound or game controllers, say) the program still needs only video and events.
constexpr uint32_t AllSubsystems = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO |
                                   SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC | SDL_INIT_GAMECONTROLLER |
                                   SDL_INIT_EVENTS;
constexpr uint32_t NeededSubsystems = SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_EVENTS;

bool fail(StartupFailure& failure, const std::string& what) {
    failure.message = "Quenmore cannot start: " + what;
    return false;
}

bool failWithSdl(StartupFailure& failure, const char* what) {
    return fail(failure, std::string(what) + " (" + SDL_GetError() + ")");
}

// SDL quietly falls back to an invisible video driver when there is no display at all; a
// window nobody can see is no way to run a full-screen program, unless the driver was
// asked for on purpose.
bool displayMissing() {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (requested != nullptr && requested[0] != '\0') return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
           std::strcmp(driver, "dummy") == 0;
}

bool loadAsset(const char* relativeName, size_t expectedBytes,
               bool (*load)(VideoMemory&, const char*), VideoMemory& memory,
               StartupFailure& failure) {
    // Beside the executable (or in the working folder, for a build folder), then where an
    // installed program keeps it.
    const AssetPath path = buildAssetPath(relativeName);
    if (path.text.empty()) {
        return fail(failure, std::string("the program's own folder is unknown, so its file ") +
                                 relativeName + " cannot be found.");
    }
    if (load(memory, path.text.c_str())) return true;
    const AssetPath installed = installedAssetPath(relativeName);
    if (!installed.text.empty() && load(memory, installed.text.c_str())) return true;
    return fail(failure, "the file " + path.text + " is missing or shorter than " +
                             std::to_string(expectedBytes) +
                             " bytes (found: " + platform::describeFile(path.text) + ")" +
                             (installed.text.empty() ? "" : ", and so is " + installed.text) + ".");
}

bool loadSheet(VideoMemory& memory, const char* path) {
    bool whole = loadCharacterSheet(memory.sheet, path);
    convertCharacterSheet(memory.sheet);
    return whole;
}

bool loadColours(VideoMemory& memory, const char* path) {
    return loadPalette(memory.palette, path);
}

}  // namespace

bool startUp(VideoState& video, const Settings& settings, StartupFailure& failure) {
    failure.message.clear();
    initVideoMemory(video.memory);
    video.display = DisplayOutput{};
    video.window = nullptr;

    // On Windows the program draws the screen's own pixels on every monitor, so that Windows
    // never stretches (and blurs) its picture; the program's manifest declares the same.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
    // A termination request from the system is told apart from a window close, which SDL
    // would report alike: SDL leaves the signals to the program's own handlers.
    platform::installTerminationHandlers();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // An input method composes text without a window of its own over the picture: the
    // exercise judges only the finished characters.
    SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, "1");
    chooseSoundDriver();
    if (SDL_Init(AllSubsystems) != 0 && SDL_Init(NeededSubsystems) != 0) {
        return failWithSdl(failure, "SDL could not be started");
    }
    if (displayMissing()) {
        return fail(failure, "no display was found. Quenmore needs a graphical desktop.");
    }
    // The window is created under the title it has always been created with and renamed at
    // once: the title the learner sees is "Quenmore".
    video.choice = displayChoiceOf(settings);
    const WindowPlan plan = windowPlan(video.choice);
    video.window = SDL_CreateWindow("Ombrine Test", plan.x, plan.y, plan.w, plan.h, plan.flags);
    if (video.window == nullptr) return failWithSdl(failure, "the window could not be opened");
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetWindowTitle(video.window, "Quenmore");
    // SDL starts with text input on; it is on only while an exercise runs, so that no input
    // method's window ever covers the screen elsewhere.
    host.textInput(false);
    if (!createDisplayOutput(video.display, video.window)) {
        return failWithSdl(failure, "the renderer or its texture could not be created");
    }
    allocateFramebuffer(video.memory);
    if (video.memory.pixels == nullptr) {
        return fail(failure, "there is not enough memory for the picture.");
    }
    video.framePeriod = framePeriod(host.performanceFrequency());
    if (!loadAsset(CharacterSetFileName, CharacterSetFileBytes, loadSheet, video.memory, failure)) {
        return false;
    }
    if (!loadAsset(PaletteFileName, PaletteFileBytes, loadColours, video.memory, failure))
        return false;
    // Another colour scheme that cannot be read leaves the standard one, as it says.
    if (settings.colours != ColourScheme::Standard) applyColourScheme(video, settings.colours);
    return true;
}

void shutDown(VideoState& video) {
    if (video.window != nullptr) SDL_DestroyWindow(video.window);
    SDL_Quit();
    std::exit(0);
}

void stopWithMessage(VideoState& video, const char* message) {
    std::fprintf(stderr, "%s\n", message);
    platform::showStopMessage(message, video.window);
    if (video.window != nullptr) SDL_DestroyWindow(video.window);
    SDL_Quit();
    std::exit(1);
}
