#include "course/common/screen_text.h"

#include "course/common/art_tiles.h"

namespace {

// The Latin-1 characters drawn, by code: accents, signs and letters of the keys of German,
// French, Spanish, Italian, Portuguese, Nordic, Swiss and UK keyboards, and the small letters
// that French writes with a dead key (circumflex and diaeresis).
constexpr const char* DrawnLatin1 =
    "\xA1\xA3\xA4\xA7\xA8\xAA\xAB\xAC\xB0\xB2\xB3\xB4\xB5\xB7\xB8\xBA\xBB\xBD\xBF"
    "\xC4\xC5\xC6\xC7\xD1\xD6\xD8\xDC\xDF\xE0\xE2\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB"
    "\xEC\xEE\xEF\xF1\xF2\xF4\xF6\xF8\xF9\xFB\xFC";

}  // namespace

bool hasGlyph(uint8_t c) {
    if (c >= 0x20 && c < UnknownCharacter) return true;
    for (const char* d = DrawnLatin1; *d != '\0'; ++d)
        if (uint8_t(*d) == c) return true;
    return false;
}

int mainFontTile(uint8_t c) {
    if (!hasGlyph(c)) return art::MainFontUnknown;
    return c < 0x80 ? art::MainFont + c : art::MainFontLatin + c;
}

int lessonFontTile(uint8_t c) {
    if (!hasGlyph(c)) return art::LessonFontUnknown;
    return c < 0x80 ? art::LessonFont + c : art::LessonFontLatin + c;
}

TileCell fontCell(Font font, uint8_t c, TileCell bits) {
    return TileCell(cellTile(font == Font::Main ? mainFontTile(c) : lessonFontTile(c), 0) | bits);
}

void writeText(VideoMemory& memory, int map, int column, int row, const char* text, Font font,
               TileCell bits) {
    int64_t index = int64_t(row) * MapSide + column;
    for (const char* c = text; *c != '\0' && index < MapCellCount; ++c, ++index) {
        if (index >= 0)
            memory.maps[size_t(map * MapCellCount + index)] = fontCell(font, uint8_t(*c), bits);
    }
}

void fillMapCells(VideoMemory& memory, int map, TileCell cell) {
    for (int i = 0; i < MapCellCount; ++i) memory.maps[size_t(map * MapCellCount + i)] = cell;
}

void drawBackdrop(VideoMemory& memory) {
    constexpr int Group = 3;
    constexpr int HillsBottom = art::Hills + 16;  // the picture's second row of tiles
    for (int column = 0; column < MapSide; ++column) {
        for (int row = 0; row < 20; ++row) {
            memory.maps[size_t(mapIndex(BackdropLayer, column, row))] =
                cellTile(art::SkyTopBand + row / 2, Group);
        }
        // The pattern repeats every six tiles (BackdropPeriod): the scroll wraps without a seam.
        memory.maps[size_t(mapIndex(BackdropLayer, column, 20))] =
            cellTile(art::Hills + column % 6, Group);
        memory.maps[size_t(mapIndex(BackdropLayer, column, 21))] =
            cellTile(HillsBottom + column % 6, Group);
        memory.maps[size_t(mapIndex(BackdropLayer, column, 22))] = cellTile(art::Ground, Group);
    }
}
