// The video machine's memory: framebuffer, layer registers, sprite table, tile maps, palette
// and character sheet, with the bit layout of every register word. Screens program the
// machine by writing these words directly, built with the helpers below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 180;
constexpr int LayerCount = 4;  // layer 0 is the front-most, layer 3 the back-most
constexpr int MapSide = 64;    // cells per map row and column; a map is 512x512 pixels
constexpr int MapCellCount = MapSide * MapSide;
constexpr int MapPixelMask = 511;  // maps wrap every 512 pixels in both directions
constexpr int SpriteCount = 256;
constexpr int PaletteSize = 256;
constexpr int TileCount = 1024;
constexpr int SheetBytes = 32768;       // 128x512 pixels, 4 bits each
constexpr int SheetRowBytes = 64;       // one pixel row of the sheet image
constexpr int SheetTileRowBytes = 512;  // one row of 16 tiles, 8 pixel rows

// Builders and readers come in pairs named after the field: `cellTile(tile, group)` builds
// a cell and `cellTileOf(cell)` reads its tile, `spriteLevel(level)` builds the placement
// bits and `spriteLevelOf(placement)` reads them, and so on.

// ---- Layer word -------------------------------------------------------------------------
// bits 0-8 horizontal scroll, 9-15 blend amount, 16-24 vertical scroll, 28-30 blend mode,
// 31 enable. Amount and mode are read for layer 0 only.
using LayerWord = uint32_t;
constexpr LayerWord LayerEnable = 0x80000000u;
constexpr int BlendNone = 0;
constexpr int BlendMix = 1;
constexpr int BlendAdd = 2;
constexpr int BlendMultiply = 3;
constexpr int MaxBlendAmount = 127;  // the source's full weight; amounts are out of 128
constexpr LayerWord layerScroll(int x, int y) {
    return uint32_t(y & MapPixelMask) << 16 | uint32_t(x & MapPixelMask);
}
constexpr LayerWord layerBlend(int mode, int amount) {
    return uint32_t(mode & 7) << 28 | uint32_t(amount & MaxBlendAmount) << 9;
}
constexpr int layerScrollXOf(LayerWord word) {
    return int(word & MapPixelMask);
}
constexpr int layerScrollYOf(LayerWord word) {
    return int(word >> 16 & MapPixelMask);
}
constexpr int layerBlendAmountOf(LayerWord word) {
    return int(word >> 9 & MaxBlendAmount);
}
constexpr int layerBlendModeOf(LayerWord word) {
    return int(word >> 28 & 7);
}
constexpr bool layerEnabled(LayerWord word) {
    return (word & LayerEnable) != 0;
}
static_assert(LayerEnable == 1u << 31);
static_assert(layerScroll(1, 0) == 1u << 0 && layerScroll(0, 1) == 1u << 16);
static_assert(layerBlend(0, 1) == 1u << 9 && layerBlend(1, 0) == 1u << 28);

// ---- Tile cell --------------------------------------------------------------------------
// bits 0-9 tile, 10-12 palette group, 13 vertical flip, 14 horizontal flip, 15 priority.
using TileCell = uint16_t;
constexpr TileCell CellFlipY = 0x2000;
constexpr TileCell CellFlipX = 0x4000;
constexpr TileCell CellPriority = 0x8000;
constexpr int TileMask = TileCount - 1;
// The last tile of the character set is left empty: the screens' blank cell.
constexpr int BlankTile = TileCount - 1;
constexpr TileCell cellTile(int tile, int group) {
    return TileCell((tile & TileMask) | (group & 7) << 10);
}
constexpr int cellTileOf(TileCell cell) {
    return cell & TileMask;
}
constexpr int cellGroupOf(TileCell cell) {
    return cell >> 10 & 7;
}
static_assert(cellTile(1, 0) == 1 << 0 && cellTile(0, 1) == 1 << 10);
static_assert(CellFlipY == 1 << 13 && CellFlipX == 1 << 14 && CellPriority == 1 << 15);
// Index of cell (column, row) of map `map` in VideoMemory::maps.
constexpr int mapIndex(int map, int column, int row) {
    return map * MapCellCount + row * MapSide + column;
}

// ---- Sprite entry -----------------------------------------------------------------------
// attributes: bits 0-8 y field (top line + 32), 9 vertical flip, 10 horizontal flip,
//   12-13 height in tiles - 1, 14-15 width in tiles - 1, 16-25 top-left tile, 26 visible.
// placement (low half of the second word): bits 0-8 x field (left column + 32), 9 priority,
//   10-11 level (0 = in front of everything), 12-15 palette group. Bits 0-11 together are
//   the ordering key that decides which of two overlapping sprites is in front.
struct SpriteEntry {
    uint32_t attributes;
    uint32_t placement;
};
constexpr uint32_t SpriteFlipY = 1u << 9;
constexpr uint32_t SpriteFlipX = 1u << 10;
constexpr uint32_t SpriteVisible = 1u << 26;
constexpr uint32_t SpritePriority = 1u << 9;
constexpr int SpriteCoordinateBias = 32;  // a field of 0 is 32 pixels before the screen's edge
constexpr uint32_t SpriteCoordinateMask = 0x1FF;
constexpr uint32_t spriteSize(int widthTiles, int heightTiles) {
    return uint32_t((widthTiles - 1) & 3) << 14 | uint32_t((heightTiles - 1) & 3) << 12;
}
constexpr uint32_t spriteTile(int tile) {
    return uint32_t(tile & TileMask) << 16;
}
constexpr uint32_t spriteLevel(int level) {
    return uint32_t(level & 3) << 10;
}
constexpr uint32_t spriteGroup(int group) {
    return uint32_t(group & 15) << 12;
}
constexpr int spriteWidthOf(uint32_t attributes) {  // in tiles
    return int(attributes >> 14 & 3) + 1;
}
constexpr int spriteHeightOf(uint32_t attributes) {  // in tiles
    return int(attributes >> 12 & 3) + 1;
}
constexpr int spriteTileOf(uint32_t attributes) {
    return int(attributes >> 16 & TileMask);
}
constexpr int spriteLevelOf(uint32_t placement) {
    return int(placement >> 10 & 3);
}
constexpr int spriteGroupOf(uint32_t placement) {
    return int(placement >> 12 & 15);
}
// The screen column of the sprite's left edge and the screen line of its top.
constexpr int spriteXOf(uint32_t placement) {
    return int(placement & SpriteCoordinateMask) - SpriteCoordinateBias;
}
constexpr int spriteYOf(uint32_t attributes) {
    return int(attributes & SpriteCoordinateMask) - SpriteCoordinateBias;
}
constexpr uint32_t spriteOrderKeyOf(uint32_t placement) {
    return placement & 0xFFF;
}
static_assert(SpriteFlipY == 1u << 9 && SpriteFlipX == 1u << 10 && SpriteVisible == 1u << 26);
static_assert(spriteSize(1, 2) == 1u << 12 && spriteSize(2, 1) == 1u << 14);
static_assert(spriteTile(1) == 1u << 16);
static_assert(SpritePriority == 1u << 9 && spriteLevel(1) == 1u << 10 &&
              spriteGroup(1) == 1u << 12);

// ---- Palette and character sheet --------------------------------------------------------
// Palette entries and framebuffer pixels are 0x00RRGGBB. Entry 0 is the backdrop; pixel
// value 0 of a tile or sprite is transparent. Colour index = group * 16 + pixel value.
using Palette = std::array<uint32_t, PaletteSize>;
// 128x512 pixels of 4 bits, 64 bytes a row, left pixel of each pair in the high nibble.
// Pixel (x, y) of tile t is in byte (t / 16) * 512 + y * 64 + (t % 16) * 4 + x / 2.
using CharacterSheet = std::array<uint8_t, SheetBytes>;
constexpr int sheetOffset(int tile, int x, int y) {
    return (tile >> 4) * SheetTileRowBytes + y * SheetRowBytes + (tile & 15) * 4 + (x >> 1);
}
static_assert(sheetOffset(17, 3, 2) == 512 + 2 * 64 + 4 + 1);

struct VideoMemory;
// Called by the composer before each line is drawn; it may rewrite any register.
using LineCallback = void (*)(VideoMemory& memory, int32_t line, void* data);

struct VideoMemory {
    int32_t width;     // framebuffer width, 320 once allocated
    int32_t height;    // framebuffer height, 180 once allocated
    uint32_t* pixels;  // width * height pixels, row after row; null before allocation
    uint8_t composing;
    std::array<LayerWord, LayerCount> layers;
    std::array<SpriteEntry, SpriteCount> sprites;
    LineCallback lineCallback;
    void* lineCallbackData;
    std::array<TileCell, LayerCount * MapCellCount> maps;
    Palette palette;
    CharacterSheet sheet;
};

// Clears size, framebuffer pointer, callback and layer words, then resets the sprites.
// Leaves composing, lineCallbackData, maps, palette and sheet as they are.
void initVideoMemory(VideoMemory& memory);
// Hides every sprite: 8x8, tile 0, at screen (0, 0), level 0, priority 0, group 0.
void resetSprites(VideoMemory& memory);
// Turns a screen coordinate into a 9-bit sprite field (coordinate + 32); coordinates below
// -32 or past `limit` are parked at `limit`, just past the edge, instead of wrapping round.
uint32_t encodeSpriteCoordinate(int32_t coordinate, int32_t limit);
// Allocates the 320x180 framebuffer (replacing an earlier one). Leaves pixels null and the
// size 0 when memory is short.
void allocateFramebuffer(VideoMemory& memory);
// Releases the framebuffer. The program never does; tests use it to end cleanly.
void releaseFramebuffer(VideoMemory& memory);
