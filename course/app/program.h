// The course from the title screen to the end of the program.
#pragma once

#include "course/screens/lesson_menu.h"
#include "engine/display.h"

// Title screen, then the lesson menu until the learner leaves it, then shutDown: the one
// place where the program ends once it has started. Display changes made on any screen
// (Alt+Enter, a moved window) go into `settings` and the file. Expects a started-up video
// state; never returns.
[[noreturn]] void runCourse(VideoState& video, LessonMenu& menu, Settings& settings);
