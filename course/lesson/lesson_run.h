// Playing one lesson: fade-in, intro script, typing exercise, results and fade-out.
#pragma once

#include "course/lesson/lesson_screen.h"

#include <cstdint>

struct RunSummary;

// Plays the lesson prepared by setUpLessonScreen. Returns the typing time in whole seconds,
// or 0 when the learner abandoned the lesson (Escape, or a window close during the exercise
// or the results). A window close during the fade-in or the intro ends the program. A
// finished exercise's time goes to the screen's recordTime before the results are shown;
// with `summary` given, its figures and what was typed for every expected character are
// filled in before that call. While the window has no keyboard focus the exercise's clock
// stands.
int32_t runLesson(LessonScreen& screen, RunSummary* summary = nullptr);
