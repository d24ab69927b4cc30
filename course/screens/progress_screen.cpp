#include "course/screens/progress_screen.h"

#include "course/app/startup.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/lesson/on_screen_keyboard.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

// Lightness climbs with the miss rate (deep violet, magenta, brick, amber), so the steps stay
// apart without telling red from green. The first four keep the light label; the amber face
// takes a dark one, drawn in a group of its own whose shadow is the face itself.
const MissShade MissRamp[MissLevels] = {
    {0x4A4E64, 0x686E8A, 0x2E3042, 0xE8E6DA},  // never missed: the keyboard's own colours
    {0x3E1F6E, 0x5A3490, 0x24103F, 0xE8E6DA}, {0x9E2A70, 0xBA4088, 0x5E1842, 0xF4F0E6},
    {0xB83A26, 0xD05A40, 0x782414, 0xF4F0E6}, {0xF8C03A, 0xFFDA74, 0xB0801C, 0x0A0A12},
};

namespace {

constexpr int KeyboardScrollX = -40;
constexpr int KeyboardScrollY = -80;  // keys from screen line 80, the panel from 72 to 167
constexpr int ScreenColumns = ScreenWidth / 8;
constexpr TileCell TextGroup = cellTile(0, 0);
constexpr int GraphLeftColumn = 3;  // columns 1 and 2 hold the scale
constexpr int GraphTopRow = 2;
constexpr int GraphWidth = GraphColumns * 8;
constexpr int GraphHeight = GraphRows * 8;
constexpr int GraphTiles = GraphColumns * GraphRows;
constexpr int WordsSwatchTile = GraphFirstTile + GraphTiles;
constexpr int AccuracySwatchTile = WordsSwatchTile + 1;
constexpr int FaceSwatchTile = 1;  // the middle of a key's top row
constexpr int StatsColumn = 19;
constexpr int LegendRow = 8;
constexpr int WeakRow = 21;
constexpr int WeakNamed = 3;
// Colour values of the graph's tiles, in GraphGroup.
constexpr int AxisColour = 1;
constexpr int WordsColour = 2;
constexpr int AccuracyColour = 3;
constexpr int GridColour = 4;
constexpr uint32_t GraphColours[5] = {0, 0x8088A8, 0x58D8E8, 0xFFB840, 0x2C3048};
constexpr int MostWordsShown = 990;
constexpr int LowestAccuracyShown = 500;  // the accuracy scale runs from 50% to 100%
constexpr int DarkLabelGroup = 1;         // labels of the top step: dark, no visible shadow

void writeText(VideoMemory& memory, int column, int row, const char* text) {
    writeTextCells(memory, TextLayer, column, row, text, TextGroup);
}

void writeCentred(VideoMemory& memory, int row, const char* text) {
    const int length = int(std::strlen(text));
    writeText(memory, std::max(0, (ScreenColumns - length) / 2), row, text);
}

// Writes `text` from column 1 over rows from `row`, broken between words at 38 columns.
int writeWrapped(VideoMemory& memory, int row, const char* text) {
    constexpr int Width = ScreenColumns - 2;
    while (*text != '\0') {
        int length = int(std::strlen(text));
        if (length > Width) {
            length = Width;
            while (length > 0 && text[length] != ' ') --length;
            if (length == 0) length = Width;
        }
        char line[ScreenColumns + 1];
        std::snprintf(line, sizeof line, "%.*s", length, text);
        writeText(memory, 1, row++, line);
        text += length;
        while (*text == ' ') ++text;
    }
    return row;
}

void setGraphPixel(CharacterSheet& sheet, int x, int y, int colour) {
    if (x < 0 || x >= GraphWidth || y < 0 || y >= GraphHeight) return;
    const int tile = GraphFirstTile + (y / 8) * GraphColumns + x / 8;
    uint8_t& byte = sheet[size_t(sheetOffset(tile, x % 8, y % 8))];
    byte = (x % 2 == 0) ? uint8_t((byte & 0x0F) | colour << 4) : uint8_t((byte & 0xF0) | colour);
}

void drawGraphLine(CharacterSheet& sheet, int x0, int y0, int x1, int y1, int colour, bool dotted) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (int step = 0;; ++step) {
        if (!dotted || step % 2 == 0) setGraphPixel(sheet, x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

void drawMarker(CharacterSheet& sheet, int x, int y, int colour, bool square) {
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            if (square || ox == 0 || oy == 0) setGraphPixel(sheet, x + ox, y + oy, colour);
        }
    }
}

// The graph's tiles: axes, faint quarter lines, words per minute as a solid line with square
// markers and accuracy as a dotted one with crosses, so the two differ without colour.
void drawGraph(VideoMemory& memory, const ProgressFigures& figures, int wordsScale) {
    CharacterSheet& sheet = memory.sheet;
    for (int tile = GraphFirstTile; tile < GraphFirstTile + GraphTiles; ++tile) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; x += 2) sheet[size_t(sheetOffset(tile, x, y))] = 0;
    }
    const int bottom = GraphHeight - 1;
    for (int quarter = 1; quarter < 4; ++quarter) {
        for (int x = 2; x < GraphWidth; x += 3)
            setGraphPixel(sheet, x, bottom - 2 - quarter * (GraphHeight - 4) / 4, GridColour);
    }
    drawGraphLine(sheet, 0, 0, 0, bottom, AxisColour, false);
    drawGraphLine(sheet, 0, bottom, GraphWidth - 1, bottom, AxisColour, false);

    const int span = GraphHeight - 5;  // values from line bottom - 2 up to line 1
    auto pointX = [](int i) { return 3 + i * (GraphWidth - 7) / (GraphRuns - 1); };
    auto wordsY = [&](int i) {
        const int value = std::clamp(figures.graphWordsPerMinute[i], 0, wordsScale);
        return bottom - 2 - value * span / wordsScale;
    };
    auto accuracyY = [&](int i) {
        const int value = std::clamp(figures.graphAccuracy[i], LowestAccuracyShown, 1000);
        return bottom - 2 - (value - LowestAccuracyShown) * span / (1000 - LowestAccuracyShown);
    };
    for (int i = 0; i + 1 < figures.graphCount; ++i) {
        drawGraphLine(sheet, pointX(i), accuracyY(i), pointX(i + 1), accuracyY(i + 1),
                      AccuracyColour, true);
        drawGraphLine(sheet, pointX(i), wordsY(i), pointX(i + 1), wordsY(i + 1), WordsColour,
                      false);
    }
    for (int i = 0; i < figures.graphCount; ++i) {
        drawMarker(sheet, pointX(i), accuracyY(i), AccuracyColour, false);
        drawMarker(sheet, pointX(i), wordsY(i), WordsColour, true);
    }
    // The legend's two samples.
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            sheet[size_t(sheetOffset(WordsSwatchTile, x & ~1, y))] = 0;
            sheet[size_t(sheetOffset(AccuracySwatchTile, x & ~1, y))] = 0;
        }
    }
    for (int x = 0; x < 8; ++x) {
        auto put = [&sheet](int tile, int px, int py, int colour) {
            uint8_t& byte = sheet[size_t(sheetOffset(tile, px, py))];
            byte = (px % 2 == 0) ? uint8_t((byte & 0x0F) | colour << 4)
                                 : uint8_t((byte & 0xF0) | colour);
        };
        put(WordsSwatchTile, x, 4, WordsColour);
        if (x >= 3 && x <= 4) {
            put(WordsSwatchTile, x, 3, WordsColour);
            put(WordsSwatchTile, x, 5, WordsColour);
        }
        if (x % 2 == 0) put(AccuracySwatchTile, x, 4, AccuracyColour);
    }
    for (int row = 0; row < GraphRows; ++row) {
        for (int column = 0; column < GraphColumns; ++column) {
            memory.maps[size_t(mapIndex(TextLayer, GraphLeftColumn + column, GraphTopRow + row))] =
                cellTile(GraphFirstTile + row * GraphColumns + column, GraphGroup);
        }
    }
}

void formatTime(char (&text)[16], int32_t seconds) {
    if (seconds < 0) {
        std::snprintf(text, sizeof text, "--:--");
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    }
}

void writeFigures(VideoMemory& memory, const ProgressFigures& figures, bool allLessons) {
    char line[48];
    char time[16];
    formatTime(time, allLessons ? -1 : figures.bestSeconds);
    const struct {
        const char* label;
        int value;
        bool percent;
    } rows[] = {
        {"Runs:", figures.runCount, false},
        {"Best WPM:", figures.bestWordsPerMinute, false},
        {"Last 10 WPM:", figures.recentWordsPerMinute, false},
        {"Best accuracy:", figures.bestAccuracy, true},
        {"Last 10 acc.:", figures.recentAccuracy, true},
    };
    int row = GraphTopRow;
    std::snprintf(line, sizeof line, "%-14s%7s", "Best time:", time);
    writeText(memory, StatsColumn, row++, line);
    for (const auto& each : rows) {
        if (each.percent) {
            std::snprintf(line, sizeof line, "%-14s%4d.%d%%", each.label, each.value / 10,
                          each.value % 10);
        } else {
            std::snprintf(line, sizeof line, "%-14s%7d", each.label, each.value);
        }
        writeText(memory, StatsColumn, row++, line);
    }
}

// Ramp groups: group 0's colours with the key's face, highlight, side and label replaced.
void putRampColours(Palette& palette) {
    for (int level = 1; level < MissLevels; ++level) {
        const int base = (FirstTintGroup + level - 1) * 16;
        std::copy_n(palette.begin(), 16, palette.begin() + base);
        palette[size_t(base + 1)] = MissRamp[level].label;
        palette[size_t(base + 3)] = MissRamp[level].face;
        palette[size_t(base + 4)] = MissRamp[level].highlight;
        palette[size_t(base + 5)] = MissRamp[level].side;
    }
    palette[DarkLabelGroup * 16 + 1] = MissRamp[MissLevels - 1].label;
    palette[DarkLabelGroup * 16 + 2] = MissRamp[MissLevels - 1].face;
    std::copy(std::begin(GraphColours), std::end(GraphColours), palette.begin() + GraphGroup * 16);
}

int rampGroup(int level) {
    return level == 0 ? 0 : FirstTintGroup + level - 1;
}

// Face cells in map 2 and the label cell in map 1 of each character key take its ramp group.
void tintKeys(VideoMemory& memory, const LessonScreen& keyboard, const KeyMissRates& rates) {
    for (int k = 0; k < CharacterKeys && k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        const int level = missLevel(rates.pressed[k], rates.missed[k]);
        const TileCell group = cellTile(0, rampGroup(level));
        for (int half = 0; half < 2; ++half) {
            for (int column = key.column; column < key.column + key.width; ++column) {
                TileCell& cell = memory.maps[size_t(mapIndex(KeyboardLayer, column & (MapSide - 1),
                                                             (key.row + half) & (MapSide - 1)))];
                cell = TileCell((cell & ~cellTile(0, 7)) | group);
            }
        }
        TileCell& label = memory.maps[size_t(mapIndex(
            KeyLabelLayer, (key.column + key.width - 1) & 63, (key.row + 1) & (MapSide - 1)))];
        const TileCell labelGroup = level == MissLevels - 1 ? cellTile(0, DarkLabelGroup) : group;
        label = TileCell((label & ~cellTile(0, 7)) | labelGroup);
    }
}

void writeLegend(VideoMemory& memory, int wordsScale) {
    auto cell = [&memory](int column, TileCell value) {
        memory.maps[size_t(mapIndex(TextLayer, column, LegendRow))] = value;
    };
    cell(1, cellTile(WordsSwatchTile, GraphGroup));
    writeText(memory, 2, LegendRow, "WPM");
    cell(6, cellTile(AccuracySwatchTile, GraphGroup));
    writeText(memory, 7, LegendRow, "Acc 50-100%");
    char scale[16];
    std::snprintf(scale, sizeof scale, "%3d", wordsScale);
    writeText(memory, 0, GraphTopRow, scale);
    writeText(memory, 2, GraphTopRow + GraphRows - 1, "0");
    writeText(memory, 20, LegendRow, "Misses 0");
    for (int level = 0; level < MissLevels; ++level)
        cell(29 + level, cellTile(FaceSwatchTile, rampGroup(level)));
    writeText(memory, 35, LegendRow, "20%+");
}

void writeWeakKeys(VideoMemory& memory, const LessonScreen& keyboard, const KeyMissRates& rates) {
    int keys[WeakNamed];
    const int named = weakestKeys(rates, WeakNamed, keys);
    if (named == 0) {
        writeCentred(memory, WeakRow, "No key missed in the last 20 runs");
        return;
    }
    char line[64] = "Weakest:";
    for (int i = 0; i < named; ++i) {
        char name[8];
        char part[24];
        keyName(keyboard, keys[i], name);
        const uint8_t instead = rates.typedInstead[keys[i]];
        if (instead == 0) {
            std::snprintf(part, sizeof part, " %s", name);
        } else if (instead == ' ') {
            std::snprintf(part, sizeof part, " %s as Space", name);
        } else {
            std::snprintf(part, sizeof part, " %s as %c", name, char(instead));
        }
        if (i > 0) std::strncat(line, " ", sizeof line - std::strlen(line) - 1);
        std::strncat(line, part, sizeof line - std::strlen(line) - 1);
    }
    writeCentred(memory, WeakRow, line);
}

void pageTitle(int32_t page, char (&title)[48]) {
    const char* name = page == AllLessonsPage ? "All Lessons"
                       : page == PracticeRow  ? PracticeTitle
                                              : lessonCatalogue[page].title;
    std::snprintf(title, sizeof title, "< %s >", name);
}

// The engine's fades keep the menu's layer 2 shimmering, which here would move the keys: this
// screen fades its palette itself, over the same 64 frames, reading no events.
void fade(VideoState& video, bool in) {
    VideoMemory& memory = video.memory;
    const Palette full = memory.palette;
    for (int step = 0; step < 64; ++step) {
        scalePalette(memory.palette, full, uint32_t(in ? step : 63 - step));
        showFrame(video);
    }
    memory.palette = full;
}

}  // namespace

int missLevel(uint32_t pressed, uint32_t missed) {
    if (pressed == 0 || missed == 0) return 0;
    const uint64_t percent = uint64_t(missed) * 100;
    if (percent <= uint64_t(pressed) * 5) return 1;
    if (percent <= uint64_t(pressed) * 10) return 2;
    if (percent <= uint64_t(pressed) * 20) return 3;
    return 4;
}

void drawProgressScreen(VideoState& video, ProgressScreen& screen, int32_t page) {
    VideoMemory& memory = video.memory;
    screen.page = page;
    loadProgress(page == AllLessonsPage ? AllLessons : page, screen.figures);
    const ProgressFigures& figures = screen.figures;

    // The keyboard as the lesson screen draws it, then moved down and given the ramp.
    setUpLessonScreen(video, screen.keyboard, nullptr, 0, "", nullptr);
    memory.lineCallback = nullptr;
    resetSprites(memory);
    screen.keyboard.keyboardScrollX = KeyboardScrollX;
    screen.keyboard.keyboardScrollY = KeyboardScrollY;
    for (int k = 0; k < screen.keyboard.keyCount; ++k) drawKey(screen.keyboard, k, false, false);
    // No backdrop layer: the screen stands on the backdrop colour, as the lesson screen's top
    // does, which keeps its frames as cheap to compose as the lesson's.
    memory.layers[BackdropLayer] = 0;
    memory.layers[TextLayer] = LayerEnable;
    memory.layers[KeyLabelLayer] =
        LayerEnable | layerScroll(KeyboardScrollX + 3, KeyboardScrollY + 3);
    memory.layers[KeyboardLayer] = LayerEnable | layerScroll(KeyboardScrollX, KeyboardScrollY);

    char title[48];
    pageTitle(page, title);
    writeCentred(memory, 0, title);
    writeCentred(memory, 1,
                 screen.status[0] != '\0' ? screen.status
                                          : "Left/Right: page  C: save CSV  Tab: back");
    if (figures.status == HistoryStatus::Unavailable) {
        const int row = writeWrapped(memory, 3, "The history is unavailable.");
        writeWrapped(memory, row, figures.reason);
        return;
    }
    if (figures.status == HistoryStatus::Empty) {
        const int row = writeWrapped(memory, 3,
                                     page == AllLessonsPage ? "No runs kept yet."
                                                            : "No runs kept yet for this page.");
        writeWrapped(memory, row + 1,
                     "Finish a lesson, typing all ten lines, and its speed, accuracy and "
                     "missed keys show here.");
        return;
    }
    int best = 0;
    for (int i = 0; i < figures.graphCount; ++i)
        best = std::max(best, std::min(figures.graphWordsPerMinute[i], MostWordsShown));
    // Tens of words per minute, three digits at most: a damaged history cannot push the scale
    // out of its three columns.
    const int wordsScale = std::clamp((best + 9) / 10 * 10, 10, MostWordsShown);
    drawGraph(memory, figures, wordsScale);
    writeLegend(memory, wordsScale);
    writeFigures(memory, figures, page == AllLessonsPage);
    KeyMissRates rates;
    keyMissRates(figures, screen.keyboard, rates);
    tintKeys(memory, screen.keyboard, rates);
    writeWeakKeys(memory, screen.keyboard, rates);
}

void runProgressScreen(LessonMenu& menu) {
    VideoState& video = *menu.video;
    VideoMemory& memory = video.memory;
    auto screen = std::make_unique<ProgressScreen>();
    screen->savedPalette = memory.palette;
    screen->savedSheet = memory.sheet;
    putRampColours(memory.palette);
    int32_t page = std::clamp(menu.selectedIndex, 0, ProgressPages - 1);
    drawProgressScreen(video, *screen, page);
    fade(video, true);
    bool running = true;
    while (running) {
        SDL_Event event;
        while (host.pollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) shutDown(video);
            if (event.type != SDL_KEYDOWN || !running) continue;
            switch (event.key.keysym.sym) {
            case SDLK_TAB:
            case SDLK_ESCAPE: running = false; break;
            case SDLK_LEFT:
            case SDLK_RIGHT:
                page = (page + (event.key.keysym.sym == SDLK_RIGHT ? 1 : ProgressPages - 1)) %
                       ProgressPages;
                screen->status[0] = '\0';
                drawProgressScreen(video, *screen, page);
                break;
            case SDLK_c: {
                std::string name;
                const bool written = exportHistoryCsv(name);
                std::snprintf(screen->status, sizeof screen->status,
                              written ? "Saved %s" : "Could not save %s", name.c_str());
                drawProgressScreen(video, *screen, page);
                break;
            }
            default: break;
            }
        }
        showFrame(video);
    }
    fade(video, false);
    memory.palette = screen->savedPalette;
    memory.sheet = screen->savedSheet;
    memory.layers.fill(0);
}

void drawProgressHint(VideoMemory& memory) {
    // Bottom right, below the lowest row's title and right of its time: the list's text
    // (layer 1) stays in front of it while the rows slide past.
    constexpr int Left = ScreenWidth - 8 * 13 - 4;
    constexpr int Top = 170;
    for (int i = 0; ProgressHint[i] != '\0'; ++i) {
        SpriteEntry& sprite = memory.sprites[size_t(i)];
        sprite.attributes = SpriteVisible | spriteTile(uint8_t(ProgressHint[i])) |
                            encodeSpriteCoordinate(Top, ScreenHeight);
        sprite.placement = encodeSpriteCoordinate(Left + 8 * i, ScreenWidth) | spriteLevel(2) |
                           spriteGroup(HintGroup);
    }
}
