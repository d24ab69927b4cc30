#include "engine/display.h"

#include "engine/composer.h"
#include "engine/host.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

bool createDisplayOutput(DisplayOutput& display, SDL_Window* window) {
    if (window == nullptr) return false;
    if (display.window != nullptr) {
        display.height = 0;
        display.width = 0;
        display.window = nullptr;
        if (display.texture != nullptr) SDL_DestroyTexture(display.texture);
        display.texture = nullptr;
        if (display.scaled != nullptr) SDL_DestroyTexture(display.scaled);
        display.scaled = nullptr;
        display.scaledFactor = 0;
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
    if (display.texture == nullptr) return false;
    // The pixels' alpha is 0: drawn with blending they would vanish.
    SDL_SetTextureBlendMode(display.texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(display.texture, SDL_ScaleModeNearest);
    return true;
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

int32_t wholeScale(const DisplayRect& rect, int32_t texW, int32_t texH) {
    if (texW <= 0 || texH <= 0) return 1;
    return std::max(1, std::min(rect.w / texW, rect.h / texH));
}

namespace {

// What is filtered into `rect`: the texture itself when `rect` is a whole multiple of it
// (nearest sampling is then exact), otherwise the texture scaled up by the whole factor with
// nearest sampling into a render target. The target is made again only when the factor
// changes; without one (a renderer that cannot draw into textures) the texture is used.
SDL_Texture* pictureToFilter(DisplayOutput& display, const DisplayRect& rect, int texW, int texH) {
    const int32_t factor = wholeScale(rect, texW, texH);
    if (rect.w == texW * factor && rect.h == texH * factor) return display.texture;
    if (factor != display.scaledFactor) {
        if (display.scaled != nullptr) SDL_DestroyTexture(display.scaled);
        display.scaled = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_TARGET, texW * factor, texH * factor);
        display.scaledFactor = factor;
        if (display.scaled != nullptr) {
            SDL_SetTextureBlendMode(display.scaled, SDL_BLENDMODE_NONE);
            SDL_SetTextureScaleMode(display.scaled, SDL_ScaleModeLinear);
        }
    }
    if (display.scaled == nullptr || SDL_SetRenderTarget(display.renderer, display.scaled) != 0)
        return display.texture;
    SDL_RenderCopy(display.renderer, display.texture, nullptr, nullptr);
    SDL_SetRenderTarget(display.renderer, nullptr);
    return display.scaled;
}

}  // namespace

void presentFrame(DisplayOutput& display) {
    if (!outputComplete(display)) return;
    int winW = 0;
    int winH = 0;
    int texW = 0;
    int texH = 0;
    SDL_GetWindowSize(display.window, &winW, &winH);
    SDL_QueryTexture(display.texture, nullptr, nullptr, &texW, &texH);
    DisplayRect rect = letterboxRect(winW, winH, texW, texH);
    SDL_Texture* picture = pictureToFilter(display, rect, texW, texH);
    SDL_Rect destination{rect.x, rect.y, rect.w, rect.h};
    SDL_RenderClear(display.renderer);
    SDL_RenderCopy(display.renderer, picture, nullptr, &destination);
    SDL_RenderPresent(display.renderer);
}

// The frame is shown as soon as it is ready and the wait comes last, so that a key read
// right after a tick reaches the screen within that same frame period, not one later.
bool showFrame(VideoState& video) {
    // Every screen and fade passes here once a frame, between a frame's work and the next.
    if (!video.ending && host.terminationRequested != nullptr && host.terminationRequested())
        video.ending = true;
    if (video.ending) return false;
    composeFrame(video.memory);
    if (host.frameComposed != nullptr) host.frameComposed(video.memory, host.frameComposedData);
    uploadFrame(video);
    presentFrame(video.display);
    if (host.framePresented != nullptr) host.framePresented();
    waitForFrameTick(video);
    return true;
}

uint64_t framePeriod(uint64_t counterFrequency) {
    uint64_t period = counterFrequency / FramesPerSecond;
    return period == 0 ? 1 : period;
}
