#include "course/lesson/lesson_screen.h"

#include "course/common/screen_text.h"
#include "course/lesson/on_screen_keyboard.h"
#include "engine/display.h"
#include "engine/host.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr TileCell LessonBlank = cellTile(BlankTile, 0);
constexpr int KeyboardScrollX = -40;
constexpr int KeyboardScrollY = -20;

// The panel: a face of 30 by 10 cells with a one-cell frame around it. The map wraps, so
// column 63 is the left edge and row 63 the top edge.
constexpr int PanelColumns = 30;
constexpr int PanelRows = 10;
constexpr int LeftEdge = MapSide - 1;
constexpr int TopEdge = MapSide - 1;
constexpr TileCell PanelFace = CellPriority | 25;
constexpr TileCell PanelSide = CellPriority | 24;
constexpr TileCell PanelTop = CellPriority | 23;
constexpr TileCell PanelBottom = CellPriority | 8;
constexpr TileCell PanelTopCorner = CellPriority | 22;
constexpr TileCell PanelBottomCorner = CellPriority | 9;

constexpr int TextBoxTopRow = TextBoxFirstLine / 8;
constexpr int TextBoxLastRow = 23;
constexpr TileCell TextBoxTop = CellPriority | 10;
constexpr TileCell TextBoxBody = CellPriority | 11;
constexpr int TitleRow = 62;

void setCell(VideoMemory& memory, int map, int column, int row, TileCell cell) {
    memory.maps[size_t(mapIndex(map, column, row))] = cell;
}

void drawPanel(VideoMemory& memory) {
    for (int row = 0; row < PanelRows; ++row) {
        for (int column = 0; column < PanelColumns; ++column) {
            setCell(memory, KeyboardLayer, column, row, PanelFace);
        }
        setCell(memory, KeyboardLayer, LeftEdge, row, PanelSide);
        setCell(memory, KeyboardLayer, PanelColumns, row, PanelSide | CellFlipX);
    }
    for (int column = 0; column < PanelColumns; ++column) {
        setCell(memory, KeyboardLayer, column, TopEdge, PanelTop);
        setCell(memory, KeyboardLayer, column, PanelRows, PanelBottom);
    }
    setCell(memory, KeyboardLayer, LeftEdge, TopEdge, PanelTopCorner);
    setCell(memory, KeyboardLayer, PanelColumns, TopEdge, PanelTopCorner | CellFlipX);
    setCell(memory, KeyboardLayer, LeftEdge, PanelRows, PanelBottomCorner | CellFlipX);
    setCell(memory, KeyboardLayer, PanelColumns, PanelRows, PanelBottomCorner);
}

void drawTextBox(VideoMemory& memory) {
    for (int column = 0; column < MapSide; ++column) {
        setCell(memory, TextBoxLayer, column, TextBoxTopRow, TextBoxTop);
        for (int row = TextBoxTopRow + 1; row <= TextBoxLastRow; ++row) {
            setCell(memory, TextBoxLayer, column, row, TextBoxBody);
        }
    }
}

// A longer title would run off the right edge and, the map wrapping, reappear at the left.
void drawTitle(VideoMemory& memory, const char* title) {
    if (title == nullptr) return;
    for (int column = 0; column < TitleColumns && title[column] != '\0'; ++column) {
        setCell(memory, KeyboardLayer, column, TitleRow,
                CellPriority | cellTile(uint8_t(title[column]), 0));
    }
}

}  // namespace

void fillWordLines(LessonScreen& screen, const char* const* words, int32_t count,
                   const std::function<int32_t()>& pick) {
    for (char* line : screen.lines) line[0] = '\0';
    if (words == nullptr || count <= 0) return;

    // An empty entry would add nothing to a line, which then never filled: entries are not
    // empty in the lessons, and one in any other list is passed over.
    size_t shortest = 100;
    for (int32_t i = 0; i < count; ++i) {
        const size_t length = std::strlen(words[i]);
        if (length > 0) shortest = std::min(shortest, length);
    }
    // While more than `threshold` characters of the budget remain, the shortest entry still
    // fits (with its space), so each line ends exactly when nothing more could fit.
    const size_t threshold = shortest + 1;
    if (threshold >= size_t(LineBudget)) return;

    for (char* line : screen.lines) {
        size_t length = 0;
        size_t remaining = LineBudget;
        while (remaining > threshold) {
            const char* entry = words[pick()];
            const size_t entryLength = std::strlen(entry);
            if (entryLength == 0 || entryLength + 1 >= remaining) continue;
            if (length > 0) {
                line[length++] = ' ';
                remaining -= 1;
            }
            std::memcpy(line + length, entry, entryLength);
            length += entryLength;
            remaining -= entryLength;
        }
        line[length] = '\0';
    }
}

void makeWordLines(LessonScreen& screen, const char* const* words, int32_t wordCount,
                   std::mt19937& random) {
    std::uniform_int_distribution<int32_t> pick(0, wordCount > 0 ? wordCount - 1 : 0);
    fillWordLines(screen, words, wordCount, [&] { return pick(random); });
}

void setUpLessonScreen(VideoState& video, LessonScreen& screen, const char* const* words,
                       int32_t wordCount, const char* title, const char* const* script) {
    screen.video = &video;
    // Re-seeded at every set-up: the same lesson started twice within one second of the
    // calendar clock gets the same lines.
    std::mt19937 random(uint32_t(host.calendarSeconds()));
    makeWordLines(screen, words, wordCount, random);

    buildKeyboard(screen);
    readKeyboardLayout(screen);

    VideoMemory& memory = video.memory;
    memory.maps.fill(LessonBlank);
    drawPanel(memory);
    screen.keyboardScrollX = KeyboardScrollX;
    screen.keyboardScrollY = KeyboardScrollY;
    for (int k = 0; k < screen.keyCount; ++k) drawKey(screen, k, false, false);
    drawTextBox(memory);
    drawTitle(memory, title);

    memory.lineCallback = lessonRasterCallback;
    memory.lineCallbackData = &screen;
    screen.frameCounter = 0;
    screen.script = script;
}

void lessonRasterCallback(VideoMemory& memory, int32_t line, void* data) {
    LessonScreen& screen = *static_cast<LessonScreen*>(data);
    if (line == 0) {
        screen.frameCounter = int32_t(uint32_t(screen.frameCounter) + 1);
        memory.layers[TextBoxLayer] = LayerEnable;
    } else if (line == TextBoxFirstLine) {
        memory.layers[TextBoxLayer] = LayerEnable | layerScroll(screen.frameCounter, 0);
    }
}
