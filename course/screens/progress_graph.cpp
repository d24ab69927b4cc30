#include "course/screens/progress_graph.h"

#include "course/common/screen_layout.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int GraphWidth = GraphColumns * 8;
constexpr int GraphHeight = GraphRows * 8;
// Colour values of the graph's tiles, in GraphGroup.
constexpr int AxisColour = 1;
constexpr int WordsColour = 2;
constexpr int AccuracyColour = 3;
constexpr int GridColour = 4;
constexpr int MostWordsShown = 990;
constexpr int LowestAccuracyShown = 500;  // the accuracy scale runs from 50% to 100%

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

}  // namespace

int graphWordsScale(const ProgressFigures& figures) {
    int best = 0;
    for (int i = 0; i < figures.graphCount; ++i)
        best = std::max(best, std::min(figures.graphWordsPerMinute[i], MostWordsShown));
    // Tens of words per minute, three digits at most: a damaged history cannot push the scale
    // out of its three columns.
    return std::clamp((best + 9) / 10 * 10, 10, MostWordsShown);
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
