#include "tools/screen_scenes.h"

#include "engine/composer.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr TileCell BlankCharacter = 32;
constexpr TileCell LessonBlank = CellPriority | 1023;

constexpr int BandTile = 288;
constexpr int PatternTopTile = 298;
constexpr int PatternBottomTile = 314;
constexpr int GroundTile = 304;
constexpr int LogoTile = 320;
constexpr int BannerTile = 224;

constexpr int KeyboardScrollX = -40;
constexpr int KeyboardScrollY = -20;

const char* const LessonTitles[] = {
    "Lesson 1: Home Row Left",        "Lesson 2: Upper Row Left",
    "Lesson 3: Home Row Right",       "Lesson 4: Upper Row Right",
    "Lesson 5: Bottom Row Left",      "Lesson 6: Bottom Row Right",
    "Lesson 7: Shift and Caps Lock",  "Lesson 8: Numbers & Punctuation",
    "Lesson 9: Sentence Punctuation", "Lesson 10: Code Punctuation"};
const int BestTimes[] = {95, 143, 3600, -1, -1, -1, -1, -1, -1, -1};

struct SceneKey {
    char lower;
    char upper;
    int column;
    int row;
    int width;
    bool caps;
};

// The on-screen keyboard: five rows of keys filling panel columns 0 to 29.
const SceneKey Keys[] = {
    {'`', '~', 0, 0, 2, false},   {'1', '!', 2, 0, 2, false},   {'2', '@', 4, 0, 2, false},
    {'3', '#', 6, 0, 2, false},   {'4', '$', 8, 0, 2, false},   {'5', '%', 10, 0, 2, false},
    {'6', '^', 12, 0, 2, false},  {'7', '&', 14, 0, 2, false},  {'8', '*', 16, 0, 2, false},
    {'9', '(', 18, 0, 2, false},  {'0', ')', 20, 0, 2, false},  {'-', '_', 22, 0, 2, false},
    {'=', '+', 24, 0, 2, false},  {'q', 'Q', 3, 2, 2, true},    {'w', 'W', 5, 2, 2, true},
    {'e', 'E', 7, 2, 2, true},    {'r', 'R', 9, 2, 2, true},    {'t', 'T', 11, 2, 2, true},
    {'y', 'Y', 13, 2, 2, true},   {'u', 'U', 15, 2, 2, true},   {'i', 'I', 17, 2, 2, true},
    {'o', 'O', 19, 2, 2, true},   {'p', 'P', 21, 2, 2, true},   {'[', '{', 23, 2, 2, false},
    {']', '}', 25, 2, 2, false},  {'\\', '|', 27, 2, 3, false}, {'a', 'A', 4, 4, 2, true},
    {'s', 'S', 6, 4, 2, true},    {'d', 'D', 8, 4, 2, true},    {'f', 'F', 10, 4, 2, true},
    {'g', 'G', 12, 4, 2, true},   {'h', 'H', 14, 4, 2, true},   {'j', 'J', 16, 4, 2, true},
    {'k', 'K', 18, 4, 2, true},   {'l', 'L', 20, 4, 2, true},   {';', ':', 22, 4, 2, false},
    {'\'', '"', 24, 4, 2, false}, {'z', 'Z', 5, 6, 2, true},    {'x', 'X', 7, 6, 2, true},
    {'c', 'C', 9, 6, 2, true},    {'v', 'V', 11, 6, 2, true},   {'b', 'B', 13, 6, 2, true},
    {'n', 'N', 15, 6, 2, true},   {'m', 'M', 17, 6, 2, true},   {',', '<', 19, 6, 2, false},
    {'.', '>', 21, 6, 2, false},  {'/', '?', 23, 6, 2, false},  {' ', ' ', 8, 8, 12, false},
    {' ', ' ', 26, 0, 4, false},  {' ', ' ', 0, 2, 3, false},   {' ', ' ', 0, 4, 4, false},
    {' ', ' ', 26, 4, 4, false},  {' ', ' ', 0, 6, 5, false},   {' ', ' ', 25, 6, 5, false}};
constexpr int KeyCount = int(sizeof Keys / sizeof Keys[0]);
constexpr int CapsLockKey = 50;
constexpr int LeftShiftKey = 52;

TileCell& cell(VideoMemory& memory, int map, int column, int row) {
    return memory.maps[size_t(mapIndex(map, column & (MapSide - 1), row & (MapSide - 1)))];
}

void fillMap(VideoMemory& memory, int map, TileCell value) {
    std::fill_n(memory.maps.begin() + map * MapCellCount, MapCellCount, value);
}

void writeText(VideoMemory& memory, int map, int column, int row, const char* text, TileCell base) {
    for (; *text != '\0'; ++text, ++column)
        cell(memory, map, column, row) = TileCell(base + uint8_t(*text));
}

// The backdrop of the title and the menu: ten bands, the drifting pattern and the ground.
void drawBackdrop(VideoMemory& memory) {
    const TileCell group3 = tileCell(0, 3);
    for (int row = 0; row < 20; ++row)
        for (int column = 0; column < MapSide; ++column)
            cell(memory, 3, column, row) = TileCell(group3 + BandTile + row / 2);
    for (int column = 0; column < MapSide; ++column) {
        cell(memory, 3, column, 20) = TileCell(group3 + PatternTopTile + column % 6);
        cell(memory, 3, column, 21) = TileCell(group3 + PatternBottomTile + column % 6);
        cell(memory, 3, column, 22) = TileCell(group3 + GroundTile);
    }
}

void composeTitle(VideoMemory& memory) {
    const int n = 224;  // the logo fully blended in, the prompt in its shown half
    for (int map = 0; map < LayerCount; ++map) fillMap(memory, map, BlankCharacter);
    drawBackdrop(memory);
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 16; ++column)
            cell(memory, 0, column, row) = tileCell(LogoTile + 16 * row + column, 4);
    writeText(memory, 1, 13, 16, "Press Any Key", 0);
    memory.layers[3] = LayerEnable | layerScroll(n % 48, 0);
    memory.layers[2] = LayerEnable | layerScroll(1, 0);
    memory.layers[1] = LayerEnable | layerBlend(0, 127);
    memory.layers[0] = LayerEnable | layerBlend(BlendMix, std::min(n, 127)) | layerScroll(-96, -48);
}

void composeMenu(VideoMemory& memory) {
    const int selected = 2;
    const int counter = 29;
    for (int map = 1; map < LayerCount; ++map) fillMap(memory, map, BlankCharacter);
    drawBackdrop(memory);
    for (int column = 0; column < MapSide; ++column) {
        cell(memory, 2, column, 3) = 10;
        cell(memory, 2, column, 4) = 11;
        cell(memory, 2, column, 5) = 11;
        cell(memory, 2, column, 6) = CellFlipY | 10;
    }
    for (int entry = selected - 2; entry <= selected + 8; ++entry) {
        if (entry < 0 || entry >= 10) continue;
        const int slot = entry - selected + 2;
        const TileCell base = entry == selected ? tileCell(0, 0) : tileCell(0, 1);
        writeText(memory, 1, 4, 4 * slot, LessonTitles[entry], base);
        char time[32];
        if (BestTimes[entry] < 0)
            std::snprintf(time, sizeof time, "Best Time: --:--");
        else
            std::snprintf(time, sizeof time, "Best Time: %d:%02d", BestTimes[entry] / 60,
                          BestTimes[entry] % 60);
        writeText(memory, 1, 8, 4 * slot + 1, time, base);
    }
    memory.layers[0] = 0;
    memory.layers[1] = LayerEnable | layerScroll(0, 32);
    memory.layers[2] = LayerEnable | layerScroll(counter & 1, 0);
    memory.layers[3] = LayerEnable | layerScroll(counter % 48, 0);
}

void drawKey(VideoMemory& memory, int index, bool pressed, bool shift, bool caps) {
    const SceneKey& key = Keys[index];
    const char shown = (shift || (caps && key.caps)) ? key.upper : key.lower;
    const int offset = pressed ? 3 : 0;
    for (int column = key.column; column < key.column + key.width; ++column) {
        const int part = column == key.column ? 0 : column == key.column + key.width - 1 ? 2 : 1;
        cell(memory, 2, column, key.row) = TileCell(CellPriority | (part + offset));
        cell(memory, 2, column, key.row + 1) = TileCell(CellPriority | (16 + part + offset));
    }
    TileCell& label = cell(memory, 1, key.column + key.width - 1, key.row + 1);
    SpriteEntry& sprite = memory.sprites[size_t(index)];
    if (!pressed) {
        label = TileCell(CellPriority | uint8_t(shown));
        sprite.attributes =
            spriteTile(511) | encodeSpriteCoordinate(key.row * 8 - KeyboardScrollY, ScreenHeight);
        sprite.placement = encodeSpriteCoordinate(key.column * 8 - KeyboardScrollX, ScreenWidth) |
                           SpritePriority | spriteLevel(1);
    } else {
        label = LessonBlank;
        // The label drops one pixel with the key.
        sprite.attributes =
            SpriteVisible | spriteTile(uint8_t(shown)) |
            encodeSpriteCoordinate((key.row + 2) * 8 - KeyboardScrollY - 10, ScreenHeight);
        sprite.placement = encodeSpriteCoordinate(
                               (key.column + key.width) * 8 - KeyboardScrollX - 11, ScreenWidth) |
                           SpritePriority | spriteLevel(1);
    }
}

struct LessonCallbackState {
    int frameCounter;
};

// Keeps the text box still above line 120 and drifts it from there down.
void lessonCallback(VideoMemory& memory, int32_t line, void* data) {
    auto* state = static_cast<LessonCallbackState*>(data);
    if (line == 0) {
        ++state->frameCounter;
        memory.layers[3] = LayerEnable;
    } else if (line == 120) {
        memory.layers[3] = LayerEnable | layerScroll(state->frameCounter, 0);
    }
}

TileCell textCell(char c) {
    return TileCell(CellPriority | tileCell(0, 1) | ((int8_t(c) + 96) & 0x3FF));
}

void writeLessonText(VideoMemory& memory, int column, int row, const char* text) {
    for (; *text != '\0'; ++text, ++column) cell(memory, 0, column, row) = textCell(*text);
}

void drawLessonScreen(VideoMemory& memory, LessonCallbackState& state, const char* title,
                      const bool* pressed, bool shift, bool caps) {
    resetSprites(memory);
    for (int map = 0; map < LayerCount; ++map) fillMap(memory, map, LessonBlank);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 30; ++column)
            cell(memory, 2, column, row) = CellPriority | 25;
        cell(memory, 2, 63, row) = CellPriority | 24;
        cell(memory, 2, 30, row) = CellPriority | CellFlipX | 24;
    }
    for (int column = 0; column < 30; ++column) {
        cell(memory, 2, column, 63) = CellPriority | 23;
        cell(memory, 2, column, 10) = CellPriority | 8;
    }
    cell(memory, 2, 63, 63) = CellPriority | 22;
    cell(memory, 2, 30, 63) = CellPriority | CellFlipX | 22;
    cell(memory, 2, 63, 10) = CellPriority | CellFlipX | 9;
    cell(memory, 2, 30, 10) = CellPriority | 9;
    for (int key = 0; key < KeyCount; ++key) drawKey(memory, key, pressed[key], shift, caps);
    for (int column = 0; column < MapSide; ++column) {
        cell(memory, 3, column, 15) = CellPriority | 10;
        for (int row = 16; row < 24; ++row) cell(memory, 3, column, row) = CellPriority | 11;
    }
    writeText(memory, 2, 0, 62, title, CellPriority);

    // The caps-lock lamp on the Caps Lock key's top-left cell.
    SpriteEntry& lamp = memory.sprites[KeyCount];
    lamp.attributes =
        SpriteVisible | spriteTile(6) | encodeSpriteCoordinate(32 - KeyboardScrollY, ScreenHeight);
    lamp.placement = encodeSpriteCoordinate(-KeyboardScrollX, ScreenWidth) | SpritePriority |
                     spriteLevel(1) | spriteGroup(caps ? 1 : 0);

    memory.layers[3] = LayerEnable;
    memory.layers[2] = LayerEnable | layerScroll(KeyboardScrollX, KeyboardScrollY);
    memory.layers[1] = LayerEnable | layerScroll(KeyboardScrollX + 3, KeyboardScrollY + 3);
    memory.layers[0] = LayerEnable;
    state.frameCounter = 300;
    memory.lineCallback = lessonCallback;
    memory.lineCallbackData = &state;
}

int keyOf(char c) {
    for (int key = 0; key < KeyCount; ++key)
        if (Keys[key].lower == c) return key;
    return 0;
}

void composeIntro(VideoMemory& memory, LessonCallbackState& state) {
    bool pressed[KeyCount] = {};
    for (char c : {'a', 's', 'd', 'f'}) pressed[keyOf(c)] = true;
    drawLessonScreen(memory, state, LessonTitles[0], pressed, false, false);
    writeLessonText(memory, 2, 16, "Let your ring and pinky fingers");
    writeLessonText(memory, 2, 17, "fall naturally on the letters \"s\"");
    writeLessonText(memory, 2, 18, "and \"a.\" Don't worry, you'll get");
    writeLessonText(memory, 2, 19, "there! (jumpy quiz: 1-2-3 {x=y;})");
}

void composeTyping(VideoMemory& memory, LessonCallbackState& state) {
    bool pressed[KeyCount] = {};
    pressed[keyOf('j')] = true;
    pressed[LeftShiftKey] = true;
    pressed[CapsLockKey] = false;
    drawLessonScreen(memory, state, LessonTitles[6], pressed, true, true);
    const char* line = "Jake jogs; Quincy gets papers";
    writeLessonText(memory, 2, 16, "Type these words:");
    writeLessonText(memory, 2, 18, line);
    const int typed = 12;
    for (int i = 0; i < typed; ++i) cell(memory, 0, 2 + i, 20) = textCell(line[i]);
    cell(memory, 0, 2 + typed, 20) = CellPriority | tileCell(7, 1);
}

void composeResults(VideoMemory& memory, LessonCallbackState& state) {
    bool pressed[KeyCount] = {};
    drawLessonScreen(memory, state, LessonTitles[1], pressed, false, true);
    fillMap(memory, 0, LessonBlank);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 14; ++column)
            cell(memory, 0, 13 + column, 6 + row) =
                CellPriority | tileCell(BannerTile + 16 * row + column, 2);
    const TileCell results = CellPriority | tileCell(0, 2);
    char text[32];
    std::snprintf(text, sizeof text, "Words Per Minute:%4d", 37);
    writeText(memory, 0, 9, 12, text, results);
    std::snprintf(text, sizeof text, "Errors:          %4d", 4);
    writeText(memory, 0, 9, 14, text, results);
    std::snprintf(text, sizeof text, "Time:           %02d:%02d", 1, 52);
    writeText(memory, 0, 9, 16, text, results);
    writeText(memory, 0, 8, 18, "Press Enter to Continue", results);
    // Groups 0 and 1 at half brightness, as at the end of the slide.
    for (size_t i = 0; i < 32; ++i) {
        const uint32_t c = memory.palette[i];
        memory.palette[i] = ((c >> 16 & 255) * 32 >> 6) << 16 | ((c >> 8 & 255) * 32 >> 6) << 8 |
                            ((c & 255) * 32 >> 6);
    }
}

}  // namespace

const char* sceneName(Scene scene) {
    switch (scene) {
    case Scene::Title: return "title";
    case Scene::Menu: return "menu";
    case Scene::Intro: return "intro";
    case Scene::Typing: return "typing";
    case Scene::Results: return "results";
    }
    return "scene";
}

void composeScene(VideoMemory& memory, Scene scene) {
    LessonCallbackState state{0};
    resetSprites(memory);
    memory.lineCallback = nullptr;
    memory.lineCallbackData = nullptr;
    switch (scene) {
    case Scene::Title: composeTitle(memory); break;
    case Scene::Menu: composeMenu(memory); break;
    case Scene::Intro: composeIntro(memory, state); break;
    case Scene::Typing: composeTyping(memory, state); break;
    case Scene::Results: composeResults(memory, state); break;
    }
    composeFrame(memory);
    memory.lineCallback = nullptr;
    memory.lineCallbackData = nullptr;
}
