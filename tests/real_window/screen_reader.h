// Reading Quenmore's screens from screenshots, the way a learner reads them: the 320x180
// picture is taken out of the letterboxed screen, and text is read by matching 8x8 cells
// against the glyphs of the character set in assets/. Nothing here looks inside a running
// program, so any command line that shows the same screens (the native build, the Windows
// build under Wine) can be read the same way.
#pragma once

#include "engine/video_memory.h"

#include <cstdint>
#include <string>
#include <vector>

// A screenshot of a whole X screen: 0x00RRGGBB pixels, row after row.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const {
        return pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF;
    }
};

// The program's own 320x180 picture.
struct Picture {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(ScreenWidth) * ScreenHeight);

    uint32_t at(int x, int y) const { return pixels[size_t(y) * ScreenWidth + size_t(x)]; }
    bool operator==(const Picture&) const = default;
};

struct ScreenRect {
    int x, y, width, height;
};

// Where the 320x180 picture lies on a screen: as large as fits, shape kept, centred.
ScreenRect pictureRect(int screenWidth, int screenHeight);
// Takes the picture out of a screenshot by sampling the centre of each scaled pixel.
Picture pictureOf(const Screenshot& shot);
// True when the screenshot shows `picture` scaled by nearest pixel: every screen pixel of
// the picture's rectangle has the colour of the picture pixel it covers, and everything
// outside the rectangle is black. Only meaningful for whole-number scales.
bool showsExactly(const Screenshot& shot, const Picture& picture);
// True when the screen outside the picture's rectangle is black.
bool barsAreBlack(const Screenshot& shot);
// Writes a screenshot as a PNG file.
bool saveScreenshot(const Screenshot& shot, const std::string& path);
// The number of pixels in which two pictures differ, and the first of them.
int differingPixels(const Picture& a, const Picture& b, int* firstX = nullptr,
                    int* firstY = nullptr);

// The character set and palette, as the program loads them.
struct Art {
    CharacterSheet sheet{};  // packed 128x512 image of 4-bit pixels
    Palette palette{};
};

// Loads assets/quenmore.chr and assets/quenmore.pal from `assetsFolder`.
bool loadArt(const std::string& assetsFolder, Art& art);
// Pixel value (0 to 15, 0 transparent) of tile `tile` at (x, y).
int tilePixel(const Art& art, int tile, int x, int y);

// A glyph drawn in a palette group: the colour of each of its opaque pixels.
struct Glyph {
    char code;  // what the cell reads as
    int tile;
    int group;
    int opaque = 0;
    int16_t colours[64];  // per pixel: -1 transparent, else index into the palette
};

// The glyphs one kind of screen text may show.
struct TextStyle {
    std::vector<Glyph> glyphs;
    Palette palette{};
};

// A cell that matches none of a style's glyphs reads as this.
constexpr char UnknownCell = '?';
// The typing cursor, read as a cell of the lesson text style.
constexpr char CursorCell = '\x7f';

// The lesson's intro and typing text: tile 96 + character, palette group 1, with the cursor.
TextStyle lessonText(const Art& art);
// Text in the main font (tile = character code) in one palette group: results (group 2),
// the selected menu row (0), the other menu rows (1), key labels (0).
TextStyle mainText(const Art& art, int group);

// The character an 8x8 cell with its top-left corner at (x, y) of the picture shows: of the
// glyphs whose every opaque pixel has the right colour, the one with most opaque pixels (a
// blank glyph matches any cell, so it only wins where nothing else does). UnknownCell when
// two different glyphs match equally well.
char readCell(const Picture& picture, int x, int y, const TextStyle& style);
// `cells` cells read from (x, y) rightwards, trailing blanks removed.
std::string readText(const Picture& picture, int x, int y, int cells, const TextStyle& style);
// True when every opaque pixel of `tile` in palette group `group` shows at (x, y), in the
// tile's top `rows` pixel rows (the rest may be covered by something in front).
bool cellShowsTile(const Picture& picture, int x, int y, const Art& art, int tile, int group,
                   int rows = 8);
