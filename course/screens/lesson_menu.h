// The lesson menu: ten rows with their best times and the practice row, a sliding selection,
// lessons started from inside its loop, the progress screen behind Tab.
#pragma once

#include "course/content/lesson_catalogue.h"
#include "course/lesson/lesson_screen.h"

#include <memory>

// One row of the lesson menu.
struct LessonEntry {
    const char* title;           // borrowed from the lesson record
    int32_t bestTime;            // whole seconds; -1 when no time is recorded
    const LessonRecord* lesson;  // null: the row cannot be started
};

struct LessonMenu {
    std::unique_ptr<LessonEntry[]> entries;
    int32_t entryCount;
    VideoState* video;
    int32_t selectedIndex;
};

// Replaces the menu's rows with one per catalogue lesson, every best time -1, the first row
// selected.
void buildMenuRows(LessonMenu& menu);

// Points the menu at the video state, builds its rows, loads the best times and draws it.
void setUpLessonMenu(VideoState& video, LessonMenu& menu);
// Rebuilds the whole menu picture around the selected row.
void drawLessonMenu(LessonMenu& menu);
// The menu loop; returns 1 after Escape and a fade to black. A window close ends the
// program at once.
int runLessonMenu(LessonMenu& menu);
// Plays the selected row's lesson (or the practice), adds a finished run to the history,
// keeps a better time, saves it and comes back to the menu.
void startSelectedLesson(LessonMenu& menu, LessonScreen& screen);
