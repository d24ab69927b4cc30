#include "course/common/screen_text.h"

namespace {

// The Latin-1 characters drawn, by code: accents, signs and letters of the keys of German,
// French, Spanish, Italian, Portuguese, Nordic, Swiss and UK keyboards.
constexpr const char* DrawnLatin1 = "\xA1\xA3\xA4\xA7\xA8\xAA\xAB\xAC\xB0\xB2\xB3\xB4\xB5\xB7"
                                    "\xB8\xBA\xBB\xBD\xBF\xC4\xC5\xC6\xC7\xD1\xD6\xD8\xDC\xDF"
                                    "\xE0\xE4\xE5\xE6\xE7\xE8\xE9\xEC\xF1\xF2\xF6\xF8\xF9\xFC";

}  // namespace

bool hasGlyph(uint8_t c) {
    if (c >= 0x20 && c < UnknownCharacter) return true;
    for (const char* d = DrawnLatin1; *d != '\0'; ++d)
        if (uint8_t(*d) == c) return true;
    return false;
}

int mainFontTile(uint8_t c) {
    if (!hasGlyph(c)) return UnknownCharacter;
    return c < 0x80 ? c : MainFontLatinBase + c;
}

int lessonFontTile(uint8_t c) {
    if (!hasGlyph(c)) return 96 + UnknownCharacter;
    return c < 0x80 ? 96 + c : LessonFontLatinBase + c;
}

void writeTextCells(VideoMemory& memory, int map, int column, int row, const char* text,
                    TileCell cellBits) {
    int index = row * MapSide + column;
    for (const char* c = text; *c != '\0' && index < MapCellCount; ++c, ++index) {
        if (index < 0) continue;
        auto character = static_cast<unsigned char>(*c);
        memory.maps[size_t(map * MapCellCount + index)] =
            TileCell(cellTile(character, 0) | cellBits);
    }
}

void fillMapCells(VideoMemory& memory, int map, TileCell cell) {
    for (int i = 0; i < MapCellCount; ++i) memory.maps[size_t(map * MapCellCount + i)] = cell;
}

void drawBackdrop(VideoMemory& memory) {
    constexpr int Group = 3;
    for (int column = 0; column < MapSide; ++column) {
        for (int row = 0; row < 20; ++row) {
            memory.maps[size_t(mapIndex(BackdropLayer, column, row))] =
                cellTile(288 + row / 2, Group);
        }
        // The pattern repeats every six tiles (BackdropPeriod): the scroll wraps without a seam.
        memory.maps[size_t(mapIndex(BackdropLayer, column, 20))] =
            cellTile(298 + column % 6, Group);
        memory.maps[size_t(mapIndex(BackdropLayer, column, 21))] =
            cellTile(314 + column % 6, Group);
        memory.maps[size_t(mapIndex(BackdropLayer, column, 22))] = cellTile(304, Group);
    }
}
