// The lesson menu: ten rows with their best times, a sliding selection, lessons started
// from inside its loop.
#pragma once

#include "course/lesson_catalogue.h"
#include "course/lesson_screen.h"

// Points the menu at the video state, builds its rows, loads the best times and draws it.
void setUpLessonMenu(VideoState& video, LessonMenu& menu);
// Rebuilds the whole menu picture around the selected row.
void drawLessonMenu(LessonMenu& menu);
// The menu loop; returns 1 after Escape and a fade to black. A window close ends the
// program at once.
int runLessonMenu(LessonMenu& menu);
// Plays the selected row's lesson, keeps a better time, saves it and comes back to the menu.
void startSelectedLesson(LessonMenu& menu, LessonScreen& screen);
