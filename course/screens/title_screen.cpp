#include "course/screens/title_screen.h"

#include "course/common/art_tiles.h"
#include "course/common/screen_text.h"
#include "engine/fades.h"
#include "engine/host.h"
#include "engine/speech.h"
#include "engine/window_modes.h"

#include <algorithm>

namespace {

constexpr LayerWord Hidden = layerBlend(BlendNone, MaxBlendAmount);  // disabled
constexpr TileCell LogoGroup = cellTile(0, 4);
constexpr int LogoFirstTile = art::Logo;
constexpr const char* Prompt = "Press Any Key";

}  // namespace

void setUpTitleScreen(VideoState& video) {
    VideoMemory& memory = video.memory;
    memory.layers.fill(Hidden);
    for (int map = 0; map < LayerCount; ++map) fillMapCells(memory, map, art::MainFont + ' ');
    memory.layers[BackdropLayer] = LayerEnable;
    drawBackdrop(memory);
    // The logo waits off screen, fully transparent, until the loop scrolls it in.
    memory.layers[LogoLayer] = LayerEnable | layerBlend(BlendMix, 0) | layerScroll(128, 0);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 16; ++column) {
            memory.maps[size_t(mapIndex(LogoLayer, column, row))] =
                TileCell(LogoGroup | (LogoFirstTile + row * 16 + column));
        }
    }
    writeText(memory, PromptLayer, 13, 16, Prompt, Font::Main, 0);
}

ScreenExit runTitleScreen(VideoState& video) {
    VideoMemory& memory = video.memory;
    bool keepRunning = true;
    uint32_t titleCounter = 0;
    say(video, "Quenmore, a touch-typing tutor. Press any key to begin, or Escape to leave. "
               "F2 turns speech off.");
    if (!fadeIn(video)) return ScreenExit::Quit;
    while (true) {
        SDL_Event event;
        while (nextEvent(video, event) != 0) {
            if (event.type == SDL_QUIT) return ScreenExit::Quit;
            if (event.type != SDL_KEYDOWN) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) return ScreenExit::Quit;
            // Any other key, modifiers and repeats included, ends the title after one more
            // frame, drawn with the logo at its full amount.
            keepRunning = false;
            titleCounter += MaxBlendAmount;
        }
        const uint32_t n = ++titleCounter;
        memory.layers[BackdropLayer] = LayerEnable | layerScroll(int(n % BackdropPeriod), 0);
        // Logo map pixel (0, 0) at screen (96, 48), blending in over 127 frames.
        memory.layers[LogoLayer] =
            LayerEnable | layerBlend(BlendMix, int(std::min<uint32_t>(n, MaxBlendAmount))) |
            layerScroll(416, 464);
        memory.layers[PromptLayer] = blinkShown(n) ? (LayerEnable | Hidden) : Hidden;
        if (!showFrame(video)) return ScreenExit::Quit;
        if (!keepRunning) break;
    }
    return fadeOut(video) ? ScreenExit::Done : ScreenExit::Quit;
}
