#include "bench/scenes.h"

#include <iterator>

namespace {

// Small deterministic generator so every run composes the same pictures.
uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void fillSheet(VideoMemory& memory) {
    uint32_t state = 12345;
    for (int tile = 0; tile < TileCount; ++tile) {
        // Tiles 0-31 solid (faces, panels), the rest glyph-like: about 30% opaque, some blank.
        bool solid = tile < 32 || (tile >= 288 && tile < 320);
        bool blank = tile == 32 || tile == 1023 || (tile % 37 == 5);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; x += 2) {
                int left = 0;
                int right = 0;
                if (!blank) {
                    left =
                        solid || nextRandom(state) % 10 < 3 ? int(1 + nextRandom(state) % 15) : 0;
                    right =
                        solid || nextRandom(state) % 10 < 3 ? int(1 + nextRandom(state) % 15) : 0;
                }
                memory.sheet[size_t(sheetOffset(tile, x, y))] = uint8_t(left << 4 | right);
            }
        }
    }
    for (int i = 0; i < PaletteSize; ++i) {
        uint32_t c = uint32_t(i) * 2654435761u;
        memory.palette[size_t(i)] = c >> 8 & 0x00FFFFFF;
    }
}

void fillMap(VideoMemory& memory, int layer, TileCell cell) {
    for (int i = 0; i < MapCellCount; ++i) memory.maps[size_t(layer * MapCellCount + i)] = cell;
}

void writeText(VideoMemory& memory, int layer, int column, int row, int length, TileCell base,
               uint32_t& state) {
    for (int i = 0; i < length; ++i) {
        int character = 33 + int(nextRandom(state) % 94);
        memory.maps[size_t(mapIndex(layer, (column + i) & 63, row & 63))] =
            TileCell(base + character);
    }
}

struct LessonCallbackState {
    int frame;
};
LessonCallbackState lessonCallbackState{0};

void lessonCallback(VideoMemory& memory, int32_t line, void* data) {
    auto* state = static_cast<LessonCallbackState*>(data);
    if (line == 0) {
        ++state->frame;
        memory.layers[3] = LayerEnable;
    } else if (line == 120) {
        memory.layers[3] = LayerEnable | uint32_t(state->frame & 0x1FF);
    }
}

void buildMenu(VideoMemory& memory, uint32_t& state) {
    fillMap(memory, 1, 32);
    fillMap(memory, 2, 32);
    fillMap(memory, 3, 32);
    for (int row = 0; row < 23; ++row)
        for (int column = 0; column < 64; ++column)
            memory.maps[size_t(mapIndex(3, column, row))] = cellTile(288 + row / 2, 3);
    for (int row = 3; row <= 6; ++row)
        for (int column = 0; column < 64; ++column)
            memory.maps[size_t(mapIndex(2, column, row))] =
                TileCell(row == 3 || row == 6 ? 10 : 11);
    for (int slot = 0; slot < 11; ++slot) {
        writeText(memory, 1, 4, slot * 4, 30, 0x0400, state);
        writeText(memory, 1, 8, slot * 4 + 1, 16, 0x0400, state);
    }
    memory.layers[1] = LayerEnable | layerScroll(0, 32);
    memory.layers[2] = LayerEnable | 1;
    memory.layers[3] = LayerEnable | 7;
}

void buildLesson(VideoMemory& memory, uint32_t& state) {
    fillMap(memory, 0, 0x03FF);
    fillMap(memory, 1, 0x03FF);
    fillMap(memory, 2, 0x03FF);
    fillMap(memory, 3, 0x03FF);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 30; ++column)
            memory.maps[size_t(mapIndex(2, column, row))] =
                TileCell(0x8000 | (column % 3 == 0 ? 0 : 1) | (row % 2 ? 16 : 0));
    for (int row = 15; row < 24; ++row)
        for (int column = 0; column < 64; ++column)
            memory.maps[size_t(mapIndex(3, column, row))] =
                TileCell(0x8000 | (row == 15 ? 10 : 11));
    for (int row = 1; row < 10; row += 2) writeText(memory, 1, 1, row, 28, 0x8000, state);
    writeText(memory, 0, 2, 16, 17, 0x8400 + 96, state);
    writeText(memory, 0, 2, 18, 35, 0x8400 + 96, state);
    writeText(memory, 0, 2, 20, 20, 0x8400 + 96, state);
    writeText(memory, 2, 0, 62, 30, 0x8000, state);
    for (int i = 0; i < 55; ++i) {
        memory.sprites[size_t(i)].attributes = SpriteVisible | spriteTile(33 + i) |
                                               encodeSpriteCoordinate(20 + (i / 14) * 16 + 7, 180);
        memory.sprites[size_t(i)].placement =
            0x0600 | encodeSpriteCoordinate(40 + (i % 14) * 17, 320);
    }
    memory.layers[0] = LayerEnable;
    memory.layers[1] = LayerEnable | layerScroll(-37, -17);
    memory.layers[2] = LayerEnable | layerScroll(-40, -20);
    memory.layers[3] = LayerEnable;
    memory.lineCallback = lessonCallback;
    memory.lineCallbackData = &lessonCallbackState;
}

// The lesson as the finger guide shows it: every key face in one of the five zone groups (3
// to 7), two keys lit with their labels as sprites, the two hands (two sprites each, the right
// one mirrored), the home keys' bumps and two finger marks.
void buildGuide(VideoMemory& memory, uint32_t& state) {
    buildLesson(memory, state);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 30; ++column) {
            TileCell& cell = memory.maps[size_t(mapIndex(2, column, row))];
            cell = TileCell(cell | cellTile(0, 3 + (column / 2) % 5));
        }
    for (int column = 10; column < 12; ++column)
        for (int row = 4; row < 6; ++row) {
            TileCell& cell = memory.maps[size_t(mapIndex(2, column, row))];
            cell = TileCell((cell & ~TileMask) | (12 + (column - 10) + (row - 4) * 16));
        }
    struct Guided {
        int x, y, widthTiles, heightTiles, tile;
        bool flip;
    };
    const Guided sprites[] = {
        {4, 48, 3, 4, 608, false},  {4, 80, 3, 1, 672, false},  {292, 48, 3, 4, 608, true},
        {292, 80, 3, 1, 672, true}, {124, 53, 1, 1, 15, false}, {172, 53, 1, 1, 15, false},
        {13, 42, 1, 1, 31, false},  {305, 48, 1, 1, 31, false}, {125, 57, 1, 1, 70, false},
        {269, 73, 1, 1, 71, false},
    };
    for (size_t i = 0; i < std::size(sprites); ++i) {
        const Guided& g = sprites[i];
        SpriteEntry& sprite = memory.sprites[size_t(100 + i)];
        sprite.attributes = SpriteVisible | spriteSize(g.widthTiles, g.heightTiles) |
                            spriteTile(g.tile) | (g.flip ? SpriteFlipX : 0) |
                            encodeSpriteCoordinate(g.y, 180);
        sprite.placement = SpritePriority | spriteLevel(1) | spriteGroup(12 + int(i % 2)) |
                           encodeSpriteCoordinate(g.x, 320);
    }
}

void buildTitle(VideoMemory& memory) {
    fillMap(memory, 0, 32);
    fillMap(memory, 3, 32);
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 16; ++column)
            memory.maps[size_t(mapIndex(0, column, row))] = cellTile(320 + row * 16 + column, 4);
    for (int row = 0; row < 23; ++row)
        for (int column = 0; column < 64; ++column)
            memory.maps[size_t(mapIndex(3, column, row))] = cellTile(288 + row / 2, 3);
    memory.layers[0] = 0x91D001A0u | layerBlend(BlendMix, 100);
    memory.layers[2] = LayerEnable | 1;
    memory.layers[3] = LayerEnable | 20;
}

// The progress screen: texts and the graph's 14 by 6 tiles on layer 0, the keyboard with its
// keys in the ramp's groups lower down on layers 1 and 2, over the backdrop colour.
void buildProgress(VideoMemory& memory, uint32_t& state) {
    fillMap(memory, 0, 0x03FF);
    fillMap(memory, 1, 0x03FF);
    fillMap(memory, 2, 0x03FF);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 30; ++column)
            memory.maps[size_t(mapIndex(2, column, row))] =
                TileCell(0x8000 | (column % 3 == 0 ? 0 : 1) | (row % 2 ? 16 : 0) |
                         cellTile(0, int(nextRandom(state) % 8)));
    for (int row = 1; row < 10; row += 2) writeText(memory, 1, 1, row, 28, 0x8000, state);
    writeText(memory, 0, 7, 0, 27, 0, state);
    writeText(memory, 0, 0, 1, 40, 0, state);
    for (int row = 2; row < 8; ++row) {
        writeText(memory, 0, 19, row, 21, 0, state);
        for (int column = 0; column < 14; ++column)
            memory.maps[size_t(mapIndex(0, 3 + column, row))] =
                cellTile(512 + (row - 2) * 14 + column, 2);
    }
    // The graph's tiles hold what the screen draws into them: two axes, three dotted quarter
    // lines and two series of 30 points joined by lines; the rest is transparent.
    for (int tile = 512; tile < 512 + 14 * 6; ++tile)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; x += 2) memory.sheet[size_t(sheetOffset(tile, x, y))] = 0;
    const auto plot = [&memory](int x, int y, int value) {
        uint8_t& byte = memory.sheet[size_t(sheetOffset(512 + (y / 8) * 14 + x / 8, x % 8, y % 8))];
        byte = x % 2 == 0 ? uint8_t((byte & 0x0F) | value << 4) : uint8_t((byte & 0xF0) | value);
    };
    for (int y = 0; y < 48; ++y) plot(0, y, 1);
    for (int x = 0; x < 112; ++x) plot(x, 47, 1);
    for (int quarter = 1; quarter < 4; ++quarter)
        for (int x = 2; x < 112; x += 3) plot(x, 45 - quarter * 11, 4);
    for (int x = 3; x < 108; ++x) {
        plot(x, 40 - x / 4 + int(nextRandom(state) % 3), 2);
        plot(x, 4 + int(nextRandom(state) % 4), 3);
    }
    writeText(memory, 0, 1, 8, 38, 0, state);
    writeText(memory, 0, 4, 21, 32, 0, state);
    memory.layers[0] = LayerEnable;
    memory.layers[1] = LayerEnable | layerScroll(-37, -77);
    memory.layers[2] = LayerEnable | layerScroll(-40, -80);
}

void buildWorst(VideoMemory& memory, uint32_t& state) {
    for (int i = 0; i < LayerCount * MapCellCount; ++i) {
        uint32_t r = nextRandom(state);
        memory.maps[size_t(i)] = TileCell(r & 0xFFFF);
    }
    for (int layer = 0; layer < LayerCount; ++layer) {
        memory.layers[size_t(layer)] =
            LayerEnable | layerScroll(int(nextRandom(state)), int(nextRandom(state)));
    }
    memory.layers[0] |= layerBlend(BlendMultiply, 90);
    for (int i = 0; i < SpriteCount; ++i) {
        uint32_t r = nextRandom(state);
        memory.sprites[size_t(i)].attributes =
            SpriteVisible | spriteSize(4, 4) | spriteTile(int(r % 900)) |
            encodeSpriteCoordinate(int(nextRandom(state) % 200) - 20, 180) |
            (r & (SpriteFlipX | SpriteFlipY));
        memory.sprites[size_t(i)].placement =
            (nextRandom(state) & 0xFE00) |
            encodeSpriteCoordinate(int(nextRandom(state) % 340) - 20, 320);
    }
}

}  // namespace

void buildScene(VideoMemory& memory, Scene scene) {
    uint32_t state = 777;
    fillSheet(memory);
    memory.maps.fill(0);
    memory.layers.fill(0);
    memory.lineCallback = nullptr;
    memory.lineCallbackData = nullptr;
    resetSprites(memory);
    switch (scene) {
    case Scene::Menu: buildMenu(memory, state); break;
    case Scene::Lesson: buildLesson(memory, state); break;
    case Scene::Title: buildTitle(memory); break;
    case Scene::Worst: buildWorst(memory, state); break;
    case Scene::Progress: buildProgress(memory, state); break;
    case Scene::Guide: buildGuide(memory, state); break;
    }
}

const char* sceneName(Scene scene) {
    switch (scene) {
    case Scene::Menu: return "menu";
    case Scene::Lesson: return "lesson";
    case Scene::Title: return "title";
    case Scene::Worst: return "worst";
    case Scene::Progress: return "progress";
    case Scene::Guide: return "lesson-guide";
    }
    return "?";
}
