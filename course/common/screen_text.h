// Text on tiles, as every screen writes it: the two fonts and the characters they hold, one
// function that writes a text into a map, and the backdrop and blinking that the title and
// the menu share.
#pragma once

#include "course/common/screen_layout.h"
#include "engine/video_memory.h"

#include <cstdint>

// Texts are 8-bit: ASCII, and Latin-1 codes beyond it. Those that common European keyboards
// print on their keys, and the French letters with circumflex and diaeresis, have glyphs of
// their own in both fonts (the main font at tile 256 +
// code, the lesson font at 352 + code, for codes 160 to 255); every other character shows
// the unknown mark, tile 127 of the main font and 223 of the lesson font, never a wrong glyph.
constexpr uint8_t UnknownCharacter = 0x7F;
bool hasGlyph(uint8_t c);  // whether both fonts draw the character

// The main font (menu, titles, key labels, results) has ASCII at tile = code; the lesson font
// (the intro's and the exercise's texts) at tile 96 + code.
enum class Font : uint8_t { Main, Lesson };
int mainFontTile(uint8_t c);    // the main font's tile of a character
int lessonFontTile(uint8_t c);  // the lesson font's tile of a character
// The cell that shows `c` in `font`, with the palette group, flips and priority of `bits`.
TileCell fontCell(Font font, uint8_t c, TileCell bits);

// Writes one cell per character of `text` into map `map`, from cell (column, row) onwards.
// The cells follow each other linearly, so a text that runs past column 63 continues on the
// next row; cells before the map's first or after its last are not written.
void writeText(VideoMemory& memory, int map, int column, int row, const char* text, Font font,
               TileCell bits);
// Sets every cell of map `map` to `cell`.
void fillMapCells(VideoMemory& memory, int map, TileCell cell);

// The backdrop's pattern repeats every 48 pixels (six tiles): it scrolls modulo this.
constexpr int BackdropPeriod = 48;
// The title's and menu's backdrop in map 3: ten bands of two rows (tiles 288 to 297), the
// two rows of the pattern (298 to 303 over 314 to 319) and a row of tile 304, all
// in palette group 3. Rows 23 to 63 are left as they are.
void drawBackdrop(VideoMemory& memory);

// Prompts blink with bit 5 of a frame count: 32 frames shown, 32 hidden.
constexpr bool blinkShown(uint32_t frameCount) {
    return (frameCount & 32) != 0;
}
