// The progress screen's graph: words per minute and accuracy of the last runs, drawn into
// tiles of the character sheet that nothing else uses, and the legend's two samples.
#pragma once

#include "course/records/history.h"
#include "engine/video_memory.h"

#include <cstdint>

constexpr int GraphGroup = 2;        // the graph's colours, put in for this screen
constexpr int GraphFirstTile = 512;  // tiles the graph is drawn into, unused elsewhere
constexpr int GraphColumns = 14;     // in tiles
constexpr int GraphRows = 6;
constexpr int GraphLeftColumn = 3;  // columns 1 and 2 hold the scale
constexpr int GraphTopRow = 2;
constexpr int GraphTiles = GraphColumns * GraphRows;
constexpr int WordsSwatchTile = GraphFirstTile + GraphTiles;
constexpr int AccuracySwatchTile = WordsSwatchTile + 1;

// The top of the words-per-minute scale for these figures: tens, from 10 to 990.
int graphWordsScale(const ProgressFigures& figures);
// Draws the graph's tiles and the legend's samples into the sheet and places the graph's
// cells in map 0.
void drawGraph(VideoMemory& memory, const ProgressFigures& figures, int wordsScale);
