#include "engine/display.h"

#include "engine/composer.h"
#include "engine/host.h"

#include <SDL.h>

#include <cstring>

bool createDisplayOutput(DisplayOutput& display, SDL_Window* window) {
    if (window == nullptr) return false;
    if (display.window != nullptr) {
        display.height = 0;
        display.width = 0;
        display.window = nullptr;
        if (display.texture != nullptr) SDL_DestroyTexture(display.texture);
        display.texture = nullptr;
        if (display.renderer != nullptr) SDL_DestroyRenderer(display.renderer);
        display.renderer = nullptr;
    }
    display.width = ScreenWidth;
    display.height = ScreenHeight;
    display.window = window;
    // No vertical sync: waitForFrameTick alone paces the frames.
    display.renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (display.renderer == nullptr) return false;
    display.texture = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, display.width, display.height);
    return display.texture != nullptr;
}

namespace {

bool outputComplete(const DisplayOutput& display) {
    return display.window != nullptr && display.renderer != nullptr && display.texture != nullptr;
}

}  // namespace

void uploadFrame(VideoState& video) {
    DisplayOutput& display = video.display;
    if (!outputComplete(display)) return;
    const VideoMemory& memory = video.memory;
    if (memory.pixels == nullptr) return;
    int textureHeight = 0;
    SDL_QueryTexture(display.texture, nullptr, nullptr, nullptr, &textureHeight);
    void* target = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(display.texture, nullptr, &target, &pitch) != 0) return;
    const size_t rowBytes = size_t(memory.width) * sizeof(uint32_t);
    const int rows = textureHeight < memory.height ? textureHeight : memory.height;
    if (size_t(pitch) == rowBytes) {
        std::memcpy(target, memory.pixels, rowBytes * size_t(rows));
    } else if (size_t(pitch) > rowBytes) {
        // A padded texture row: copy row by row so the framebuffer is never overread.
        auto* bytes = static_cast<uint8_t*>(target);
        for (int y = 0; y < rows; ++y) {
            std::memcpy(bytes + size_t(y) * size_t(pitch),
                        memory.pixels + size_t(y) * size_t(memory.width), rowBytes);
        }
    }
    SDL_UnlockTexture(display.texture);
}

void waitForFrameTick(VideoState& video) {
    const uint64_t period = video.framePeriod == 0 ? 1 : video.framePeriod;
    const uint64_t start = host.performanceCounter() / period;
    // The grid of ticks is fixed to counter zero, so the pace never drifts.
    do {
        host.sleepMilliseconds(1);
    } while (host.performanceCounter() / period == start);
}

DisplayRect letterboxRect(int32_t winW, int32_t winH, int32_t texW, int32_t texH) {
    if (winW <= 0 || winH <= 0 || texW <= 0 || texH <= 0) return {0, 0, 0, 0};
    DisplayRect rect{};
    if (double(winW) / double(winH) < double(texW) / double(texH)) {
        rect.x = 0;
        rect.w = winW;
        rect.h = texH * winW / texW;
        rect.y = (winH - rect.h) >> 1;
    } else {
        rect.y = 0;
        rect.h = winH;
        rect.w = texW * winH / texH;
        rect.x = (winW - rect.w) >> 1;
    }
    return rect;
}

void presentFrame(DisplayOutput& display) {
    if (!outputComplete(display)) return;
    int winW = 0;
    int winH = 0;
    int texW = 0;
    int texH = 0;
    SDL_GetWindowSize(display.window, &winW, &winH);
    SDL_QueryTexture(display.texture, nullptr, nullptr, &texW, &texH);
    DisplayRect rect = letterboxRect(winW, winH, texW, texH);
    SDL_Rect destination{rect.x, rect.y, rect.w, rect.h};
    SDL_RenderClear(display.renderer);
    SDL_RenderCopy(display.renderer, display.texture, nullptr, &destination);
    SDL_RenderPresent(display.renderer);
}

// The frame is shown as soon as it is ready and the wait comes last, so that a key read
// right after a tick reaches the screen within that same frame period, not one later.
void showFrame(VideoState& video) {
    composeFrame(video.memory);
    if (host.frameComposed != nullptr) host.frameComposed(video.memory, host.frameComposedData);
    uploadFrame(video);
    presentFrame(video.display);
    if (host.framePresented != nullptr) host.framePresented();
    waitForFrameTick(video);
}

uint64_t framePeriod(uint64_t counterFrequency) {
    uint64_t period = counterFrequency / FramesPerSecond;
    return period == 0 ? 1 : period;
}
