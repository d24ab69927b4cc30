// The lesson menu: ten rows with their best times and the practice row, a sliding selection,
// lessons started from inside its loop, the progress screen behind Tab.
#pragma once

#include "course/common/screen_exit.h"
#include "course/content/built_in_course.h"
#include "course/lesson/lesson_screen.h"
#include "course/records/best_times.h"

#include <memory>

// One row of the lesson menu.
struct LessonEntry {
    const char* title;           // borrowed from the lesson
    int32_t bestTime;            // whole seconds; -1 when no time is recorded
    const CourseLesson* lesson;  // null: the row cannot be started
};

struct LessonMenu {
    std::unique_ptr<LessonEntry[]> entries;
    int32_t entryCount;
    VideoState* video;
    int32_t selectedIndex;
};

// Replaces the menu's rows with one per built-in lesson and the practice row, every best
// time -1, the first row selected.
void buildMenuRows(LessonMenu& menu);
// The lessons' rows' best times, and the other way round.
BestTimes menuBestTimes(const LessonMenu& menu);
void setMenuBestTimes(LessonMenu& menu, const BestTimes& times);

// Points the menu at the video state, builds its rows, loads the best times and draws it.
void setUpLessonMenu(VideoState& video, LessonMenu& menu);
// Rebuilds the whole menu picture around the selected row.
void drawLessonMenu(LessonMenu& menu);
// The menu loop, until the program is to end: after Escape and a fade to black, at once
// after a window close or the system's request.
void runLessonMenu(LessonMenu& menu);
// Plays the selected row's lesson (or the practice); a finished run is added to the history,
// a better time kept and saved, and then its results shown with what the save said. Back in
// the menu afterwards (Done), or Quit when the program is to end.
ScreenExit startSelectedLesson(LessonMenu& menu, LessonScreen& screen);
