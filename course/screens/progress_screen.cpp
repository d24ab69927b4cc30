#include "course/screens/progress_screen.h"

#include "course/common/art_tiles.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/lesson/lesson_screen.h"
#include "course/records/key_misses.h"
#include "course/screens/progress_graph.h"
#include "engine/fades.h"
#include "engine/host.h"
#include "engine/speech.h"
#include "engine/window_modes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr TileCell TextGroup = cellTile(0, 0);
constexpr int FaceSwatchTile = art::KeyTop;
constexpr int StatsColumn = 19;
constexpr int LegendRow = 8;
constexpr int WeakRow = 21;
constexpr int WeakNamed = 3;
constexpr int DarkLabelGroup = 1;  // labels of the top step: dark, no visible shadow

void writeText(VideoMemory& memory, int column, int row, const char* text) {
    writeText(memory, TextLayer, column, row, text, Font::Main, TextGroup);
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
    char recentWords[16], recentAccuracy[16];
    std::snprintf(recentWords, sizeof recentWords, "Last %d WPM:", RecentRuns);
    std::snprintf(recentAccuracy, sizeof recentAccuracy, "Last %d acc.:", RecentRuns);
    const struct {
        const char* label;
        int value;
        bool percent;
    } rows[] = {
        {"Runs:", figures.runCount, false},
        {"Best WPM:", figures.bestWordsPerMinute, false},
        {recentWords, figures.recentWordsPerMinute, false},
        {"Best accuracy:", figures.bestAccuracy, true},
        {recentAccuracy, figures.recentAccuracy, true},
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

// Ramp groups: group 0's colours with the key's face, highlight, side and label replaced by
// the ramp's; the top step's dark label in a group of its own whose shadow is the face itself;
// the graph's colours. All of them come from the palette itself, so every colour scheme has
// its own.
void putRampColours(Palette& palette) {
    for (int level = 1; level < MissLevels; ++level) {
        const MissShade shade = missShade(palette, level);
        const int base = (FirstTintGroup + level - 1) * 16;
        std::copy_n(palette.begin(), 16, palette.begin() + base);
        palette[size_t(base + 1)] = shade.label;
        palette[size_t(base + 3)] = shade.face;
        palette[size_t(base + 4)] = shade.highlight;
        palette[size_t(base + 5)] = shade.side;
    }
    const MissShade top = missShade(palette, MissLevels - 1);
    palette[DarkLabelGroup * 16 + 1] = top.label;
    palette[DarkLabelGroup * 16 + 2] = top.face;
    std::copy_n(palette.begin() + GraphColourGroup * 16, 5, palette.begin() + GraphGroup * 16);
}

int rampGroup(int level) {
    return level == 0 ? 0 : FirstTintGroup + level - 1;
}

// Face cells in map 2 and the label cell in map 1 of each character key take its ramp group.
void tintKeys(VideoMemory& memory, const KeyboardModel& keyboard, const KeyMissRates& rates) {
    for (int k = 0; k < CharacterKeys && k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        if (!key.shown) continue;
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

void writeWeakKeys(VideoMemory& memory, const KeyboardModel& keyboard, const KeyMissRates& rates) {
    int keys[WeakNamed];
    const int named = weakestKeys(rates, WeakNamed, keys);
    if (named == 0) {
        char none[48];
        std::snprintf(none, sizeof none, "No key missed in the last %d runs", KeyRuns);
        writeCentred(memory, WeakRow, none);
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

// The engine's fades keep the menu's layer 2 shimmering, which here would move the keys: this
// screen fades its palette itself, over the same 64 frames, reading no events. False when the
// program is to end.
bool fade(VideoState& video, bool in) {
    VideoMemory& memory = video.memory;
    const Palette full = memory.palette;
    bool going = true;
    for (int step = 0; step < FadeLevels && going; ++step) {
        scalePalette(memory.palette, full, uint32_t(in ? step : FadeLevels - 1 - step));
        going = showFrame(video);
    }
    memory.palette = full;
    return going;
}

}  // namespace

MissShade missShade(const Palette& palette, int level) {
    if (level <= 0) return {palette[3], palette[4], palette[5], palette[1]};
    const size_t base = size_t(MissRampGroup * 16 + 4 * (std::min(level, MissLevels - 1) - 1));
    return {palette[base], palette[base + 1], palette[base + 2], palette[base + 3]};
}

int missLevel(uint32_t pressed, uint32_t missed) {
    if (pressed == 0 || missed == 0) return 0;
    const uint64_t percent = uint64_t(missed) * 100;
    if (percent <= uint64_t(pressed) * 5) return 1;
    if (percent <= uint64_t(pressed) * 10) return 2;
    if (percent <= uint64_t(pressed) * 20) return 3;
    return 4;
}

std::vector<ProgressPage> builtInProgressPages() {
    std::vector<ProgressPage> pages;
    for (int row = 0; row < LessonCount; ++row)
        pages.push_back({{row, {}, {}}, builtInCourse().lessons[size_t(row)].title});
    pages.push_back({{PracticeRow, {}, {}}, PracticeTitle});
    pages.push_back({{AllLessons, {}, {}}, AllLessonsTitle});
    return pages;
}

void drawProgressScreen(VideoState& video, ProgressScreen& screen, int32_t page) {
    const std::vector<ProgressPage> pages = builtInProgressPages();
    drawProgressScreen(video, screen, pages[size_t(std::clamp(page, 0, ProgressPages - 1))]);
}

void drawProgressScreen(VideoState& video, ProgressScreen& screen, const ProgressPage& page) {
    VideoMemory& memory = video.memory;
    screen.allLessons = page.lesson.row == AllLessons && page.lesson.course.empty();
    loadProgress(page.lesson, screen.figures);
    const ProgressFigures& figures = screen.figures;

    // The keyboard as the lesson screen draws it, lower down, then given the ramp.
    buildKeyboard(screen.keyboard);
    readKeyboardLayout(screen.keyboard);
    memory.lineCallback = nullptr;
    resetSprites(memory);
    drawLessonMaps(memory, screen.keyboard, {KeyboardScrollX, ProgressKeyboardScrollY});
    // No backdrop layer: the screen stands on the backdrop colour, as the lesson screen's top
    // does, which keeps its frames as cheap to compose as the lesson's.
    memory.layers[BackdropLayer] = 0;
    memory.layers[TextLayer] = LayerEnable;
    memory.layers[KeyLabelLayer] =
        LayerEnable | layerScroll(KeyboardScrollX + 3, ProgressKeyboardScrollY + 3);
    memory.layers[KeyboardLayer] =
        LayerEnable | layerScroll(KeyboardScrollX, ProgressKeyboardScrollY);

    writeCentred(memory, 0, ("< " + page.title + " >").c_str());
    writeCentred(memory, 1,
                 screen.status[0] != '\0' ? screen.status
                                          : "Left/Right: page  C: save CSV  Tab: back");
    if (figures.status == HistoryStatus::Unavailable) {
        const int row = writeWrapped(memory, 3, "The history is unavailable.");
        writeWrapped(memory, row, figures.reason);
        return;
    }
    if (figures.status == HistoryStatus::Empty) {
        const int row = writeWrapped(
            memory, 3, screen.allLessons ? "No runs kept yet." : "No runs kept yet for this page.");
        writeWrapped(memory, row + 1,
                     "Finish a lesson, typing all ten lines, and its speed, accuracy and "
                     "missed keys show here.");
        return;
    }
    const int wordsScale = graphWordsScale(figures);
    drawGraph(memory, figures, wordsScale);
    writeLegend(memory, wordsScale);
    writeFigures(memory, figures, screen.allLessons);
    KeyMissRates rates;
    keyMissRates(figures, screen.keyboard, rates);
    tintKeys(memory, screen.keyboard, rates);
    writeWeakKeys(memory, screen.keyboard, rates);
}

ScreenExit runProgressScreen(VideoState& video, const std::vector<ProgressPage>& pages,
                             int32_t firstPage) {
    const int32_t count = int32_t(pages.size());
    if (count == 0) return ScreenExit::Done;
    VideoMemory& memory = video.memory;
    auto screen = std::make_unique<ProgressScreen>();
    screen->savedPalette = memory.palette;
    screen->savedSheet = memory.sheet;
    putRampColours(memory.palette);
    int32_t page = std::clamp(firstPage, 0, count - 1);
    drawProgressScreen(video, *screen, pages[size_t(page)]);
    // Speech: the page's figures, read one at a time with Up and Down.
    std::vector<std::string> figures;
    int figure = 0;
    const auto sayPage = [&] {
        if (!video.speech.on) return;
        figures = progressFigureTexts(*screen);
        figure = 0;
        sayProgress(video, figures, pages[size_t(page)].title, -1);
    };
    sayPage();
    bool going = fade(video, true);
    bool running = going;
    while (running) {
        SDL_Event event;
        while (nextEvent(video, event) != 0) {
            if (event.type == SDL_QUIT) going = running = false;
            if (event.type != SDL_KEYDOWN || !running) continue;
            switch (event.key.keysym.sym) {
            case SDLK_TAB:
            case SDLK_ESCAPE: running = false; break;
            case SDLK_LEFT:
            case SDLK_RIGHT:
                page = (page + (event.key.keysym.sym == SDLK_RIGHT ? 1 : count - 1)) % count;
                screen->status[0] = '\0';
                drawProgressScreen(video, *screen, pages[size_t(page)]);
                sayPage();
                break;
            case SDLK_UP:
            case SDLK_DOWN:
                if (figures.empty()) break;
                figure =
                    (figure + (event.key.keysym.sym == SDLK_DOWN ? 1 : int(figures.size()) - 1)) %
                    int(figures.size());
                sayProgress(video, figures, pages[size_t(page)].title, figure);
                break;
            case SDLK_c: {
                std::string name;
                const bool written = exportHistoryCsv(name);
                std::snprintf(screen->status, sizeof screen->status,
                              written ? "Saved %s" : "Could not save %s", name.c_str());
                drawProgressScreen(video, *screen, pages[size_t(page)]);
                say(video, screen->status);
                break;
            }
            default: break;
            }
        }
        if (!going) break;
        going = showFrame(video);
        running = running && going;
    }
    if (going) going = fade(video, false);
    memory.palette = screen->savedPalette;
    memory.sheet = screen->savedSheet;
    memory.layers.fill(0);
    return going ? ScreenExit::Done : ScreenExit::Quit;
}

void drawProgressHint(VideoMemory& memory) {
    // Bottom right, below the lowest row's title and right of its time: the list's text
    // (layer 1) stays in front of it while the rows slide past.
    constexpr int Left = ScreenWidth - 8 * 13 - 4;
    constexpr int Top = 170;
    for (int i = 0; ProgressHint[i] != '\0'; ++i) {
        SpriteEntry& sprite = memory.sprites[size_t(i)];
        sprite.attributes = SpriteVisible | spriteTile(mainFontTile(uint8_t(ProgressHint[i]))) |
                            encodeSpriteCoordinate(Top, ScreenHeight);
        sprite.placement = encodeSpriteCoordinate(Left + 8 * i, ScreenWidth) | spriteLevel(2) |
                           spriteGroup(MenuHintGroup);
    }
}
