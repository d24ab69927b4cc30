// Small helpers the course's screens share for writing text and the backdrop into tile maps.
#pragma once

#include "engine/video_memory.h"

// Writes one cell per character of `text` into map `map`, from cell (column, row) onwards,
// each cell = (character & 0x3FF) | `cellBits`. The cells follow each other linearly, so a
// text that runs past column 63 continues on the next row; nothing is written past the
// map's last cell.
void writeTextCells(VideoMemory& memory, int map, int column, int row, const char* text,
                    TileCell cellBits);
// Sets every cell of map `map` to `cell`.
void fillMapCells(VideoMemory& memory, int map, TileCell cell);
// The title's and menu's backdrop in map 3: ten bands of two rows (tiles 288 to 297), the
// two rows of the 48-pixel pattern (298 to 303 over 314 to 319) and a row of tile 304, all
// in palette group 3. Rows 23 to 63 are left as they are.
void drawBackdrop(VideoMemory& memory);
