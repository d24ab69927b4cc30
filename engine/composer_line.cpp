// One line of the fast composer. Each enabled layer is decoded a tile row at a time (one map
// read and one 4-byte sheet read per 8 pixels, blank rows skipped) into a line buffer of
// depth-tagged colour indices; the sprites crossing the line go into the same buffer first,
// front to back; then one pass turns the buffer into colours. When layer 0 blends, layer 0
// and the level-0 sprites get a buffer of their own and the pass mixes the two.
//
// The line logic is written once over a kernel set (composer_kernels.h): the portable one,
// or the SSE2 one where the compiler targets it.
#include "engine/composer_line.h"
#include "engine/composer_kernels.h"

#include <cstring>

namespace {

// Room on both sides of a run: a tile row or sprite group that starts up to 7 pixels before
// the run or ends up to 7 pixels after it is written whole; the margins are never shown.
constexpr int Margin = 8;
constexpr int BufferLength = Margin + LineSpan + Margin;

struct alignas(16) LineBuffer {
    uint16_t entries[BufferLength];
    uint16_t* at(int x) { return entries + Margin + x; }  // x relative to the run's start
};

// Clears the entries a run of `count` pixels uses, margins included.
void clearBuffer(LineBuffer& buffer, int count) {
    for (int i = 0; i < Margin + count + Margin; ++i) buffer.entries[i] = LineEmpty;
}

// Draws sprites [first, end) of the line's list into the buffer, nearest first.
template <class Kernels>
void drawSprites(const VideoMemory& memory, const LineSprite* const* sprites, int first, int end,
                 int y, int start, int count, LineBuffer& buffer) {
    for (int i = first; i < end; ++i) {
        const LineSprite& sprite = *sprites[i];
        int rowOffset = sprite.rowBase + y * sprite.rowStep;
        for (int group = 0; group < sprite.groups; ++group) {
            int x = sprite.x0 + 8 * group - start;
            if (x <= -8 || x >= count) continue;
            // One linear offset: a block crossing the sheet's right edge runs on one row
            // lower. The sheet ends at SheetBytes; what lies beyond it is transparent.
            // Offsets are multiples of 4, so a word is either wholly inside or wholly beyond.
            int offset = rowOffset + sprite.groupBase + group * sprite.groupStep;
            if (offset >= SheetBytes) continue;
            uint32_t word = sheetWord(memory.sheet, offset);
            if (word == 0) continue;
            word = mirrorWord(word, sprite.mirror);
            Kernels::mergeFirst(buffer.at(x), word, sprite.bits);
        }
    }
}

// One layer's tile rows on one line: the map row, where the run starts in it, and which
// pixel row of the tiles shows.
struct LayerLine {
    const TileCell* mapRow;
    int layer;
    int column;  // map column of the first tile row
    int tiles;   // tile rows to draw
    int rowOffset, flippedRowOffset;
    uint16_t* entries;  // where the first tile row goes
    bool covers;        // every tile row drawn so far is opaque
};

// Draws tile rows [first, tiles) of the layer line, and returns where it stopped: at the end,
// or, when `Mirrors` is false, at the first mirrored cell. Screens rarely mirror tiles, so the
// line starts without mirroring and goes on with it, without a branch, from the first
// mirrored cell.
template <class Kernels, bool Mirrors>
int drawTileRows(const VideoMemory& memory, LayerLine& line, int first) {
    // Screens repeat cells along a row (blank areas, panels), so a cell like the one before
    // reuses its decoded row, and a run of blank cells is passed over four at a time.
    int previous = -1;
    bool blank = true;
    typename Kernels::TileRow row{};
    for (int k = first; k < line.tiles; ++k) {
        int at = (line.column + k) & (MapSide - 1);
        TileCell cell = line.mapRow[at];
        if (cell != previous) {
            if (!Mirrors && (cell & CellFlipX)) return k;
            previous = cell;
            int offset = sheetOffset(cellTileOf(cell), 0, 0) +
                         ((cell & CellFlipY) ? line.flippedRowOffset : line.rowOffset);
            uint32_t pixels = sheetWord(memory.sheet, offset);
            blank = pixels == 0;
            line.covers = line.covers && wordOpaque(pixels);
            if (!blank) {
                if constexpr (Mirrors) pixels = mirrorWord(pixels, (cell & CellFlipX) != 0);
                row = Kernels::tileRow(pixels, tileDepthBits(line.layer, cell));
            }
        }
        if (!blank) {
            Kernels::mergeNearest(line.entries + 8 * k, row);
            continue;
        }
        const uint64_t run = cell * 0x0001000100010001u;
        while (k + 4 < line.tiles && at + 4 < MapSide) {
            uint64_t next;
            std::memcpy(&next, line.mapRow + at + 1, sizeof next);
            if (next != run) break;
            k += 4;
            at += 4;
        }
    }
    return line.tiles;
}

// Draws one layer's line into the buffer. True when the layer is opaque over the whole run,
// so that the layers behind it cannot show.
template <class Kernels>
bool drawLayer(const VideoMemory& memory, int layer, int y, int start, int count,
               LineBuffer& buffer) {
    LayerWord word = memory.layers[size_t(layer)];
    int px = (start + layerScrollXOf(word)) & MapPixelMask;
    int py = (y + layerScrollYOf(word)) & MapPixelMask;
    LayerLine line;
    line.mapRow = memory.maps.data() + mapIndex(layer, 0, py >> 3);
    line.layer = layer;
    line.column = px >> 3;
    line.tiles = (count + (px & 7) + 7) >> 3;
    line.rowOffset = (py & 7) * SheetRowBytes;
    line.flippedRowOffset = (7 - (py & 7)) * SheetRowBytes;
    line.entries = buffer.at(-(px & 7));
    line.covers = true;
    int stopped = drawTileRows<Kernels, false>(memory, line, 0);
    if (stopped < line.tiles) drawTileRows<Kernels, true>(memory, line, stopped);
    return line.covers;
}

// Draws the enabled layers from `first` back, front to back, up to the first that covers
// the run.
template <class Kernels>
void drawLayers(const VideoMemory& memory, int first, int y, int start, int count,
                LineBuffer& buffer) {
    for (int layer = first; layer < LayerCount; ++layer) {
        if (layerEnabled(memory.layers[size_t(layer)]) &&
            drawLayer<Kernels>(memory, layer, y, start, count, buffer)) {
            return;
        }
    }
}

template <class Kernels>
void composeRun(const VideoMemory& memory, int y, const LineSprite* const* sprites, int spriteCount,
                int start, int count, uint32_t* row) {
    LineBuffer base;
    clearBuffer(base, count);
    LayerWord word0 = memory.layers[0];
    int mode = layerBlendModeOf(word0);
    if (!layerEnabled(word0) || mode == BlendNone) {
        drawSprites<Kernels>(memory, sprites, 0, spriteCount, y, start, count, base);
        drawLayers<Kernels>(memory, 0, y, start, count, base);
        Kernels::colour(memory.palette, base.at(0), count, row);
        return;
    }

    // Layer 0 blends: it and the level-0 sprites (first in the list) make the source, the
    // rest the base.
    int front = 0;
    while (front < spriteCount && sprites[front]->front) ++front;
    drawSprites<Kernels>(memory, sprites, front, spriteCount, y, start, count, base);
    drawLayers<Kernels>(memory, 1, y, start, count, base);
    if (mode > BlendMultiply) {
        // The source is not seen at all.
        const uint16_t* entries = base.at(0);
        for (int x = 0; x < count; ++x) row[x] = memory.palette[entries[x] & 0xFF] & 0x00FFFFFF;
        return;
    }
    LineBuffer source;
    clearBuffer(source, count);
    drawSprites<Kernels>(memory, sprites, 0, front, y, start, count, source);
    drawLayer<Kernels>(memory, 0, y, start, count, source);
    const uint32_t amount = uint32_t(layerBlendAmountOf(word0));
    const Palette& palette = memory.palette;
    switch (mode) {
    case BlendMix:
        Kernels::template blendRun<BlendMix>(palette, amount, source.at(0), base.at(0), count, row);
        break;
    case BlendAdd:
        Kernels::template blendRun<BlendAdd>(palette, amount, source.at(0), base.at(0), count, row);
        break;
    default:
        Kernels::template blendRun<BlendMultiply>(palette, amount, source.at(0), base.at(0), count,
                                                  row);
        break;
    }
}

template <class Kernels>
void composeLine(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                 int spriteCount, uint32_t* row, int32_t width) {
    for (int start = 0; start < width; start += LineSpan) {
        int count = width - start < LineSpan ? width - start : LineSpan;
        composeRun<Kernels>(memory, y, sprites, spriteCount, start, count, row + start);
    }
}

}  // namespace

LineSprite lineSprite(SpriteEntry entry) {
    uint32_t attributes = entry.attributes;
    uint32_t placement = entry.placement;
    LineSprite sprite;
    sprite.x0 = spriteXOf(placement);
    sprite.y0 = spriteYOf(attributes);
    sprite.y1 = sprite.y0 + 8 * spriteHeightOf(attributes) - 1;
    sprite.groups = spriteWidthOf(attributes);
    int tile = spriteTileOf(attributes);
    int sheetBase = sheetOffset(tile, 0, 0);
    // Row y - y0 of the block, or y1 - y when flipped vertically.
    bool flipY = (attributes & SpriteFlipY) != 0;
    sprite.rowStep = flipY ? -SheetRowBytes : SheetRowBytes;
    sprite.rowBase = sheetBase + (flipY ? sprite.y1 : -sprite.y0) * SheetRowBytes;
    sprite.mirror = (attributes & SpriteFlipX) != 0;
    sprite.groupStep = sprite.mirror ? -4 : 4;
    sprite.groupBase = sprite.mirror ? 4 * (sprite.groups - 1) : 0;
    int level = spriteLevelOf(placement);
    int depth = 4 * level + ((placement & SpritePriority) ? 2 : 0);
    sprite.bits = uint16_t(depth << 8 | spriteGroupOf(placement) << 4);
    sprite.front = level == 0;
    return sprite;
}

void composeLinePortable(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                         int spriteCount, uint32_t* row, int32_t width) {
    composeLine<PortableKernels>(memory, y, sprites, spriteCount, row, width);
}

#ifdef __SSE2__
void composeLineSimd(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                     int spriteCount, uint32_t* row, int32_t width) {
    composeLine<SimdKernels>(memory, y, sprites, spriteCount, row, width);
}
#endif
