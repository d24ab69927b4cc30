#include "tests/real_window/title_frames.h"

#include "course/title_screen.h"
#include "engine/asset_files.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <algorithm>
#include <string>

namespace {

constexpr uint64_t FadeInFrames = 64;
constexpr uint64_t LogoComplete = 127;  // the title's frame count when the logo is in
// The backdrop repeats every 48 frames and the prompt every 64: all combinations come
// round within lcm(48, 64) = 192 frames.
constexpr uint64_t Period = 192;

std::vector<Picture> render(const char* assetsFolder) {
    std::vector<Picture> frames;
    VirtualHost clock;
    TestVideo test;
    installVirtualHost(clock);
    const std::string folder = assetsFolder;
    loadCharacterSheet(test.memory().sheet, (folder + "/quenmore.chr").c_str());
    convertCharacterSheet(test.memory().sheet);
    loadPalette(test.memory().palette, (folder + "/quenmore.pal").c_str());
    const uint64_t first = FadeInFrames + LogoComplete;
    // Frames before the first wanted one are composed one pixel wide: the title's state
    // does not depend on its pixels.
    test.composeNarrowFrames();
    clock.onFrame = [&](const VideoMemory& memory) {
        if (clock.framesComposed + 1 == first) test.memory().width = ScreenWidth;
        if (clock.framesComposed < first || clock.framesComposed >= first + Period) return;
        Picture picture;
        std::copy(memory.pixels, memory.pixels + picture.pixels.size(), picture.pixels.begin());
        if (std::find(frames.begin(), frames.end(), picture) == frames.end()) {
            frames.push_back(picture);
        }
    };
    clock.keyDown(first + Period, SDLK_SPACE, SDL_SCANCODE_SPACE);
    setUpTitleScreen(test.video());
    runTitleScreen(test.video());
    restoreHost();
    return frames;
}

}  // namespace

const std::vector<Picture>& titleFrames(const char* assetsFolder) {
    static const std::vector<Picture> frames = render(assetsFolder);
    return frames;
}
