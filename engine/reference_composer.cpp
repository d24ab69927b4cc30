// The per-pixel composer, a direct transcription of the composing rules with no shortcuts
// beyond the ones the rules themselves name. Every faster composer must match it bit for bit.
#include "engine/composer.h"

namespace {

struct VisibleSprite {
    SpriteEntry entry;
    int x0, y0, x1, y1;  // inclusive screen box
};

// A (colour index, level, priority bit) triple; index 0 means transparent.
struct PixelResult {
    int index = 0;
    int level = 0;
    int priority = 0;
};

PixelResult sampleLayer(const VideoMemory& memory, int layer, int x, int y) {
    LayerWord word = memory.layers[size_t(layer)];
    int px = (x + layerScrollXOf(word)) & MapPixelMask;
    int py = (y + layerScrollYOf(word)) & MapPixelMask;
    TileCell cell = memory.maps[size_t(mapIndex(layer, px / 8, py / 8))];
    int cx = px % 8;
    int cy = py % 8;
    if (cell & CellFlipX) cx = 7 - cx;
    if (cell & CellFlipY) cy = 7 - cy;
    uint8_t byte = memory.sheet[size_t(sheetOffset(cellTileOf(cell), cx, cy))];
    int value = (cx % 2 == 0) ? byte >> 4 : byte & 15;
    if (value == 0) return {};
    return {cellGroupOf(cell) * 16 + value, layer, (cell & CellPriority) ? 1 : 0};
}

PixelResult sampleSprite(const VideoMemory& memory, const VisibleSprite& sprite, int x, int y) {
    uint32_t attributes = sprite.entry.attributes;
    uint32_t placement = sprite.entry.placement;
    int dx = (attributes & SpriteFlipX) ? sprite.x1 - x : x - sprite.x0;
    int dy = (attributes & SpriteFlipY) ? sprite.y1 - y : y - sprite.y0;
    int tile = spriteTileOf(attributes);
    // One linear sum: blocks crossing the sheet's right edge continue one pixel row lower.
    int offset = sheetOffset(tile, dx, dy);
    // The sheet ends at 32768 bytes; what lies beyond is transparent.
    if (offset >= SheetBytes) return {};
    uint8_t byte = memory.sheet[size_t(offset)];
    int value = (dx % 2 == 0) ? byte >> 4 : byte & 15;
    if (value == 0) return {};
    return {spriteGroupOf(placement) * 16 + value, spriteLevelOf(placement),
            (placement & SpritePriority) ? 1 : 0};
}

PixelResult resolve(PixelResult tile, PixelResult sprite) {
    if (sprite.index == 0) return tile;
    if (tile.index == 0) return sprite;
    if (tile.level < sprite.level) return tile;
    if (tile.level > sprite.level) return sprite;
    return tile.priority < sprite.priority ? tile : sprite;
}

// First opaque pixel of the enabled layers in [first, last], front to back.
PixelResult scanLayers(const VideoMemory& memory, int first, int last, int x, int y) {
    for (int layer = first; layer <= last; ++layer) {
        if (!layerEnabled(memory.layers[size_t(layer)])) continue;
        PixelResult result = sampleLayer(memory, layer, x, y);
        if (result.index != 0) return result;
    }
    return {};
}

// First opaque pixel of line-list entries [first, end).
PixelResult scanSprites(const VideoMemory& memory, const VisibleSprite* const* lineList, int first,
                        int end, int x, int y) {
    for (int i = first; i < end; ++i) {
        const VisibleSprite& sprite = *lineList[i];
        if (x < sprite.x0 || x > sprite.x1) continue;
        PixelResult result = sampleSprite(memory, sprite, x, y);
        if (result.index != 0) return result;
    }
    return {};
}

uint32_t blendChannel(int mode, uint32_t source, uint32_t base, uint32_t amount) {
    switch (mode) {
    case BlendMix: return (source * amount + base * (MaxBlendAmount - amount)) >> 7;
    case BlendAdd: {
        uint32_t sum = base + ((source * amount) >> 7);
        return sum > 255 ? 255 : sum;
    }
    case BlendMultiply: return (base * (source * amount + 255 * (MaxBlendAmount - amount))) >> 15;
    default: return base;
    }
}

uint32_t blendPixel(const VideoMemory& memory, const VisibleSprite* const* lineList, int lineCount,
                    int x, int y) {
    LayerWord word0 = memory.layers[0];
    int mode = layerBlendModeOf(word0);

    // Source: layer 0 against the leading level-0 sprites of the line list.
    int firstBase = 0;
    while (firstBase < lineCount && spriteLevelOf(lineList[firstBase]->entry.placement) == 0) {
        ++firstBase;
    }
    PixelResult sourceTile = sampleLayer(memory, 0, x, y);
    PixelResult source = resolve(sourceTile, scanSprites(memory, lineList, 0, firstBase, x, y));
    uint32_t sourceColour = 0;
    uint32_t amount = 0;
    if (source.index != 0) {
        sourceColour = memory.palette[size_t(source.index)];
        amount = uint32_t(layerBlendAmountOf(word0));
    }

    // Base: layers 1 to 3 against the remaining sprites. With none of those layers enabled
    // the base has no tile pixel at all.
    PixelResult baseTile = scanLayers(memory, 1, 3, x, y);
    PixelResult base = resolve(baseTile, scanSprites(memory, lineList, firstBase, lineCount, x, y));
    uint32_t baseColour = memory.palette[size_t(base.index)];

    uint32_t pixel = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        uint32_t s = sourceColour >> shift & 0xFF;
        uint32_t b = baseColour >> shift & 0xFF;
        pixel |= blendChannel(mode, s, b, amount) << shift;
    }
    return pixel;
}

uint32_t plainPixel(const VideoMemory& memory, const VisibleSprite* const* lineList, int lineCount,
                    int x, int y) {
    PixelResult tile = scanLayers(memory, 0, 3, x, y);
    PixelResult sprite = scanSprites(memory, lineList, 0, lineCount, x, y);
    return memory.palette[size_t(resolve(tile, sprite).index)];
}

}  // namespace

int32_t composeFrameReference(VideoMemory& memory) {
    if (memory.pixels == nullptr) return 0;
    memory.composing = 1;

    // The sprite table is read once, before the first line's callback.
    SpriteEntry visible[SpriteCount];
    int visibleCount = 0;
    for (const SpriteEntry& sprite : memory.sprites) {
        if (sprite.attributes & SpriteVisible) visible[visibleCount++] = sprite;
    }
    sortSprites(visible, visibleCount);
    VisibleSprite boxes[SpriteCount];
    for (int i = 0; i < visibleCount; ++i) {
        uint32_t attributes = visible[i].attributes;
        VisibleSprite& box = boxes[i];
        box.entry = visible[i];
        box.x0 = spriteXOf(visible[i].placement);
        box.y0 = spriteYOf(attributes);
        box.x1 = box.x0 + 8 * spriteWidthOf(attributes) - 1;
        box.y1 = box.y0 + 8 * spriteHeightOf(attributes) - 1;
    }

    const VisibleSprite* lineList[SpriteCount];
    for (int y = 0; y < memory.height; ++y) {
        if (memory.lineCallback != nullptr) memory.lineCallback(memory, y, memory.lineCallbackData);
        int lineCount = 0;
        for (int i = 0; i < visibleCount; ++i) {
            if (boxes[i].y0 <= y && y <= boxes[i].y1) lineList[lineCount++] = &boxes[i];
        }
        LayerWord word0 = memory.layers[0];
        bool blend = layerEnabled(word0) && layerBlendModeOf(word0) != BlendNone;
        uint32_t* row = memory.pixels + size_t(y) * size_t(memory.width);
        for (int x = 0; x < memory.width; ++x) {
            row[x] = blend ? blendPixel(memory, lineList, lineCount, x, y)
                           : plainPixel(memory, lineList, lineCount, x, y);
        }
    }

    memory.composing = 0;
    return 1;
}
