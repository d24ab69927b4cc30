// Inside the fast composer: what it knows of a visible sprite for a whole frame, and the
// functions that draw one line from the registers and the sprites crossing it.
#pragma once

#include "engine/video_memory.h"

// Line buffers hold one 16-bit entry per pixel: depth << 8 | colour index, where a lower
// depth is nearer the viewer. A tile pixel of layer l with priority bit p has depth
// 4l + 2p + 1, a sprite pixel of level v with priority bit q has 4v + 2q. So the nearer of two
// layers always has the lower depth, and a tile is nearer than a sprite exactly when (l, p)
// is smaller than (v, q), the sprite winning ties: the tile-against-sprite rule becomes one
// comparison, and the nearest pixel is the smallest entry.
constexpr uint16_t LineEmpty = 0x7F00;  // nothing drawn: farther than anything, colour index 0

// A tile pixel's entry less its value: depth and palette group.
constexpr uint16_t tileDepthBits(int layer, TileCell cell) {
    const int priority = (cell & CellPriority) != 0 ? 1 : 0;
    return uint16_t((4 * layer + 1) << 8 | priority << 9 | cellGroupOf(cell) << 4);
}

// A visible sprite as the line composer uses it, worked out once per frame.
// Flips are folded into offsets and steps, so that drawing never branches on them.
struct LineSprite {
    int x0, y0, y1;  // left column, top and bottom line (inclusive)
    int groups;      // width in 8-pixel groups, 1 to 4
    // Sheet offset of the pixel row shown on line y: rowBase + y * rowStep (rowStep +-64).
    int rowBase, rowStep;
    // Offset within that row of the 4 bytes shown by the g-th group of 8 screen pixels:
    // groupBase + g * groupStep; mirrored, the first group shows the block's last one.
    int groupBase, groupStep;
    uint16_t bits;  // depth << 8 | palette group << 4: an opaque pixel's entry less its value
    bool mirror;    // each group's pixels right to left
    bool front;     // level 0: drawn with layer 0 when layer 0 blends
};

LineSprite lineSprite(SpriteEntry entry);

// The widest run of pixels composed in one go; wider framebuffers are drawn in runs.
constexpr int LineSpan = 512;

// Draws line y of the framebuffer into `row` (`width` pixels) from the current registers,
// maps, palette and sheet, and the sprites crossing the line in front-to-back order.
using LineComposer = void (*)(const VideoMemory& memory, int32_t y,
                              const LineSprite* const* sprites, int spriteCount, uint32_t* row,
                              int32_t width);
void composeLinePortable(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                         int spriteCount, uint32_t* row, int32_t width);
#ifdef __SSE2__
void composeLineSimd(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                     int spriteCount, uint32_t* row, int32_t width);
#endif
