#include "course/screen_text.h"

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
