// A VideoState on the heap with its framebuffer, released again at the end of a test.
#pragma once

#include "engine/display.h"

#include <memory>

struct TestVideo {
    std::unique_ptr<VideoState> state = std::make_unique<VideoState>();

    TestVideo() {
        initVideoMemory(state->memory);
        allocateFramebuffer(state->memory);
        state->framePeriod = 1000;
    }
    ~TestVideo() { releaseFramebuffer(state->memory); }
    TestVideo(const TestVideo&) = delete;
    TestVideo& operator=(const TestVideo&) = delete;

    // One-pixel-wide frames: registers, maps and line callbacks as ever, at a fraction of the cost.
    void composeNarrowFrames() { state->memory.width = 1; }

    VideoState& video() { return *state; }
    VideoMemory& memory() { return state->memory; }
    uint32_t pixel(int x, int y) const { return state->memory.pixels[y * state->memory.width + x]; }
};

// Sets a pixel of a tile of the packed sheet, or a whole tile, to a 4-bit value.
inline void setTilePixel(CharacterSheet& sheet, int tile, int x, int y, int value) {
    uint8_t& byte = sheet[size_t(sheetOffset(tile, x, y))];
    byte = (x % 2 == 0) ? uint8_t((byte & 0x0F) | value << 4) : uint8_t((byte & 0xF0) | value);
}

inline void fillTile(CharacterSheet& sheet, int tile, int value) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) setTilePixel(sheet, tile, x, y, value);
}
