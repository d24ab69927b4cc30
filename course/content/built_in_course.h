// Quenmore's own course: the ten lessons of course/content/lessons.txt, built into the program
// as the text of that file and read at the first use, like any course file. Its lessons' best
// times are kept in the best-times file, one record each.
#pragma once

#include "course/content/course.h"

constexpr int LessonCount = 10;
// The menu's row after the lessons: the practice, which the history keeps like a lesson.
constexpr int PracticeRow = LessonCount;
constexpr int MenuRows = LessonCount + 1;

// The course, read once.
const Course& builtInCourse();
