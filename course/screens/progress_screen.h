// The progress screen, opened with Tab from the menu: words per minute and accuracy of the
// last runs as a graph, the figures so far, the on-screen keyboard tinted by how often each
// key is missed and the weakest keys with what was typed instead. Left and Right step through
// the lessons, the practice and all lessons together; C writes the history as CSV.
#pragma once

#include "course/common/screen_exit.h"
#include "course/keyboard/keyboard_model.h"
#include "course/records/history.h"
#include "engine/video_memory.h"

#include <cstdint>
#include <string>
#include <vector>

struct VideoState;

constexpr int ProgressPages = HistoryRows + 1;  // the menu's rows, then all lessons
constexpr int AllLessonsPage = HistoryRows;
constexpr int MissLevels = 5;      // untinted, then four steps of the ramp
constexpr int FirstTintGroup = 4;  // tile groups 4 to 7 carry the ramp
constexpr const char* ProgressHint = "Tab: Progress";

constexpr int MissRampGroup = 9;      // where the palette keeps the ramp's colours
constexpr int GraphColourGroup = 10;  // and the graph's
constexpr const char* AllLessonsTitle = "All Lessons";

// A page of the screen: whose runs it shows (AllLessons: every run), under which title.
struct ProgressPage {
    LessonKey lesson;
    std::string title;
};
// The built-in course's pages, in the menu's order: its lessons, the practice, then all
// lessons (AllLessonsPage).
std::vector<ProgressPage> builtInProgressPages();

// A key's colours at one step of the miss ramp: face, highlight, side and label.
struct MissShade {
    uint32_t face, highlight, side, label;
};
// The colours of step `level` in a palette: step 0 is the keyboard's own.
MissShade missShade(const Palette& palette, int level);

// Everything the screen shows, read once per page; lives on the heap while the screen runs.
struct ProgressScreen {
    KeyboardModel keyboard;  // labelled from the learner's layout
    ProgressFigures figures;
    Palette savedPalette;
    CharacterSheet savedSheet;
    bool allLessons;  // the page shows every run
    char status[48];
};

// The ramp step of a miss rate: 0 never missed, then up to 5%, 10%, 20% and above 20%.
int missLevel(uint32_t pressed, uint32_t missed);
// Draws a page of the screen into video memory, reading the history; no frame is shown.
void drawProgressScreen(VideoState& video, ProgressScreen& screen, const ProgressPage& page);
// The same for page `page` of the built-in course's pages.
void drawProgressScreen(VideoState& video, ProgressScreen& screen, int32_t page);
// The screen's loop over `pages`, from page `firstPage` (the menu's selected row); Done after
// Tab or Escape, faded out, with the palette and character sheet as they were. A window close
// or the system's request: Quit.
ScreenExit runProgressScreen(VideoState& video, const std::vector<ProgressPage>& pages,
                             int32_t firstPage);
// What the page says aloud, a figure a text (progress_speech.cpp); says the page's title and
// its first figure (`figure` -1) or one figure.
std::vector<std::string> progressFigureTexts(const ProgressScreen& screen);
void sayProgress(VideoState& video, const std::vector<std::string>& texts, const std::string& title,
                 int figure);
// The menu's hint on its bottom band, in sprites behind the list's rows.
void drawProgressHint(VideoMemory& memory);
