// What the course's screens share: the layers' roles, the backdrop, the blinking of prompts,
// and small helpers for writing text and the backdrop into tile maps.
#pragma once

#include "engine/video_memory.h"

#include <cstdint>

// The layers' roles, front to back. Title: logo, prompt, -, backdrop. Menu: -, lesson list,
// selection bar, backdrop. Lesson: text, key labels, keyboard panel, text box.
constexpr int LogoLayer = 0;
constexpr int PromptLayer = 1;
constexpr int ListLayer = 1;
constexpr int BarLayer = 2;
constexpr int BackdropLayer = 3;
constexpr int TextLayer = 0;
constexpr int KeyLabelLayer = 1;
constexpr int KeyboardLayer = 2;
constexpr int TextBoxLayer = 3;

// The backdrop's pattern repeats every 48 pixels (six tiles): it scrolls modulo this.
constexpr int BackdropPeriod = 48;
// Prompts blink with bit 5 of a frame count: 32 frames shown, 32 hidden.
constexpr bool blinkShown(uint32_t frameCount) {
    return (frameCount & 32) != 0;
}

// Writes one cell per character of `text` into map `map`, from cell (column, row) onwards,
// each cell = (character & 0x3FF) | `cellBits`. The cells follow each other linearly, so a
// text that runs past column 63 continues on the next row; nothing is written past the
// map's last cell.
void writeTextCells(VideoMemory& memory, int map, int column, int row, const char* text,
                    TileCell cellBits);
// Sets every cell of map `map` to `cell`.
void fillMapCells(VideoMemory& memory, int map, TileCell cell);
// The title's and menu's backdrop in map 3: ten bands of two rows (tiles 288 to 297), the
// two rows of the pattern (298 to 303 over 314 to 319) and a row of tile 304, all
// in palette group 3. Rows 23 to 63 are left as they are.
void drawBackdrop(VideoMemory& memory);

// Characters beyond ASCII are Latin-1 codes. Those that common European keyboards print on
// their keys have glyphs of their own in both fonts (the main font at tile 256 + code, the
// lesson font at 352 + code, for codes 160 to 255); every other character shows the
// unknown mark, tile 127 of the main font and 223 of the lesson font, never a wrong glyph.
constexpr uint8_t UnknownCharacter = 0x7F;
bool hasGlyph(uint8_t c);               // whether both fonts draw the character
constexpr int MainFontLatinBase = 256;  // tile of code 0 for codes 160 to 255
constexpr int LessonFontLatinBase = 352;
int mainFontTile(uint8_t c);    // the main font's tile of a character
int lessonFontTile(uint8_t c);  // the lesson font's tile of a character (96 + code for ASCII)
