#include "engine/video_memory.h"

#include <new>

void initVideoMemory(VideoMemory& memory) {
    memory.width = 0;
    memory.height = 0;
    memory.pixels = nullptr;
    memory.lineCallback = nullptr;
    memory.layers.fill(0);
    resetSprites(memory);
}

void resetSprites(VideoMemory& memory) {
    for (SpriteEntry& sprite : memory.sprites) {
        sprite.attributes = encodeSpriteCoordinate(0, memory.height);
        sprite.placement = encodeSpriteCoordinate(0, memory.width);
    }
}

uint32_t encodeSpriteCoordinate(int32_t coordinate, int32_t limit) {
    // Taken as an unsigned 16-bit number, a coordinate below -32 becomes large and is parked.
    uint32_t value = uint16_t(coordinate + SpriteCoordinateBias);
    uint32_t parked = uint32_t(limit + SpriteCoordinateBias);
    if (value > parked) value = parked;
    return value & SpriteCoordinateMask;
}

void allocateFramebuffer(VideoMemory& memory) {
    releaseFramebuffer(memory);
    memory.pixels = new (std::nothrow) uint32_t[ScreenWidth * ScreenHeight]();
    if (memory.pixels == nullptr) return;
    memory.width = ScreenWidth;
    memory.height = ScreenHeight;
}

void releaseFramebuffer(VideoMemory& memory) {
    delete[] memory.pixels;
    memory.pixels = nullptr;
    memory.width = 0;
    memory.height = 0;
}
