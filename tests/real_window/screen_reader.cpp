#include "tests/real_window/screen_reader.h"

#include "engine/asset_files.h"
#include "tools/png_file.h"

#include <algorithm>

ScreenRect pictureRect(int screenWidth, int screenHeight) {
    // Integer arithmetic: a picture 16:9 wide, as large as fits, in the middle.
    if (int64_t(screenWidth) * ScreenHeight < int64_t(screenHeight) * ScreenWidth) {
        const int height = ScreenHeight * screenWidth / ScreenWidth;
        return {0, (screenHeight - height) / 2, screenWidth, height};
    }
    const int width = ScreenWidth * screenHeight / ScreenHeight;
    return {(screenWidth - width) / 2, 0, width, screenHeight};
}

namespace {

// The screen column (or row) that shows picture column `index` at the given scale: the one
// whose centre lies nearest the middle of the picture pixel.
int sampleAt(int start, int length, int pictureLength, int index) {
    return start + int((int64_t(2 * index + 1) * length) / (2 * int64_t(pictureLength)));
}

}  // namespace

Picture pictureOf(const Screenshot& shot) {
    Picture picture;
    if (shot.width <= 0 || shot.height <= 0) return picture;
    const ScreenRect rect = pictureRect(shot.width, shot.height);
    for (int y = 0; y < ScreenHeight; ++y) {
        const int sy = sampleAt(rect.y, rect.height, ScreenHeight, y);
        for (int x = 0; x < ScreenWidth; ++x) {
            picture.pixels[size_t(y) * ScreenWidth + size_t(x)] =
                shot.at(sampleAt(rect.x, rect.width, ScreenWidth, x), sy);
        }
    }
    return picture;
}

bool showsExactly(const Screenshot& shot, const Picture& picture) {
    if (shot.width <= 0 || shot.height <= 0) return false;
    const ScreenRect rect = pictureRect(shot.width, shot.height);
    for (int sy = 0; sy < shot.height; ++sy) {
        for (int sx = 0; sx < shot.width; ++sx) {
            const bool inside = sx >= rect.x && sx < rect.x + rect.width && sy >= rect.y &&
                                sy < rect.y + rect.height;
            const uint32_t expected =
                inside ? picture.at(int(int64_t(sx - rect.x) * ScreenWidth / rect.width),
                                    int(int64_t(sy - rect.y) * ScreenHeight / rect.height))
                       : 0;
            if (shot.at(sx, sy) != expected) return false;
        }
    }
    return true;
}

bool barsAreBlack(const Screenshot& shot) {
    const ScreenRect rect = pictureRect(shot.width, shot.height);
    for (int sy = 0; sy < shot.height; ++sy) {
        for (int sx = 0; sx < shot.width; ++sx) {
            const bool inside = sx >= rect.x && sx < rect.x + rect.width && sy >= rect.y &&
                                sy < rect.y + rect.height;
            if (!inside && shot.at(sx, sy) != 0) return false;
        }
    }
    return true;
}

bool saveScreenshot(const Screenshot& shot, const std::string& path) {
    if (shot.pixels.empty()) return false;
    return writePng(path.c_str(), shot.pixels.data(), shot.width, shot.height);
}

int differingPixels(const Picture& a, const Picture& b, int* firstX, int* firstY) {
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] == b.pixels[i]) continue;
        if (count == 0 && firstX != nullptr) *firstX = int(i % ScreenWidth);
        if (count == 0 && firstY != nullptr) *firstY = int(i / ScreenWidth);
        ++count;
    }
    return count;
}

bool loadArt(const std::string& assetsFolder, Art& art) {
    const std::string sheet = assetsFolder + "/quenmore.chr";
    const std::string palette = assetsFolder + "/quenmore.pal";
    if (!loadCharacterSheet(art.sheet, sheet.c_str())) return false;
    convertCharacterSheet(art.sheet);
    return loadPalette(art.palette, palette.c_str());
}

int tilePixel(const Art& art, int tile, int x, int y) {
    const uint8_t byte = art.sheet[size_t(sheetOffset(tile, x, y))];
    return (x & 1) == 0 ? byte >> 4 : byte & 15;
}

namespace {

Glyph makeGlyph(const Art& art, char code, int tile, int group) {
    Glyph glyph{code, tile, group, 0, {}};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int value = tilePixel(art, tile, x, y);
            glyph.colours[y * 8 + x] = value == 0 ? int16_t(-1) : int16_t(group * 16 + value);
            if (value != 0) ++glyph.opaque;
        }
    }
    return glyph;
}

bool glyphMatches(const Picture& picture, int x, int y, const Glyph& glyph,
                  const Palette& palette) {
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int16_t colour = glyph.colours[row * 8 + column];
            if (colour < 0) continue;
            if (picture.at(x + column, y + row) != (palette[size_t(colour)] & 0xFFFFFF)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TextStyle lessonText(const Art& art) {
    TextStyle style;
    for (int code = 32; code < 127; ++code)
        style.glyphs.push_back(makeGlyph(art, char(code), 96 + code, 1));
    style.glyphs.push_back(makeGlyph(art, CursorCell, 7, 1));
    style.palette = art.palette;
    return style;
}

TextStyle mainText(const Art& art, int group) {
    TextStyle style;
    for (int code = 32; code < 127; ++code)
        style.glyphs.push_back(makeGlyph(art, char(code), code, group));
    style.palette = art.palette;
    return style;
}

char readCell(const Picture& picture, int x, int y, const TextStyle& style) {
    if (x < 0 || y < 0 || x + 8 > ScreenWidth || y + 8 > ScreenHeight) return UnknownCell;
    const Glyph* best = nullptr;
    bool tied = false;
    for (const Glyph& glyph : style.glyphs) {
        if (!glyphMatches(picture, x, y, glyph, style.palette)) continue;
        if (best == nullptr || glyph.opaque > best->opaque) {
            best = &glyph;
            tied = false;
        } else if (glyph.opaque == best->opaque) {
            tied = true;
        }
    }
    if (best == nullptr || tied) return UnknownCell;
    return best->code;
}

std::string readText(const Picture& picture, int x, int y, int cells, const TextStyle& style) {
    std::string text;
    for (int i = 0; i < cells; ++i) text.push_back(readCell(picture, x + 8 * i, y, style));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool cellShowsTile(const Picture& picture, int x, int y, const Art& art, int tile, int group,
                   int rows) {
    if (x < 0 || y < 0 || x + 8 > ScreenWidth || y + 8 > ScreenHeight) return false;
    Glyph glyph = makeGlyph(art, ' ', tile, group);
    for (int i = rows * 8; i < 64; ++i) glyph.colours[i] = -1;
    return glyphMatches(picture, x, y, glyph, art.palette);
}
