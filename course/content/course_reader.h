// Reading a course file: UTF-8 text, one course a file, lines that read like a course book.
// The README describes the format. A file whose first line (blank lines and # comments aside)
// is not "course:" is a practice text instead: its words become one lesson's entries, named
// after the file.
#pragma once

#include "course/content/course.h"
#include "course/keyboard/keyboard_model.h"

#include <cstddef>
#include <string>

constexpr size_t LargestCourseFile = 1024 * 1024;
constexpr int LongestEntry = 34;        // the longest entry a line of the exercise can hold
constexpr int LongestCourseName = 36;   // the menu shows it between arrows on its top row
constexpr int LongestLessonTitle = 35;  // as much as the lesson screen's title row shows

// Reads `bytes`, the content of the file `fileName` (a name only, which also names a practice
// text). Every fault is in `errors` with its line, and a lesson with a fault is left out.
// Given the learner's keyboard, the lessons are checked as theirs: every entry typed on it and
// short enough for a line, every lit key one of its keys. The program's own courses are read
// without one: their tests check them, and the first keeps the one entry of its last lesson
// that no line can hold, so that its lines are drawn as they always were.
// A course of "positions: us" names its keys by where they lie on a US keyboard, and its texts
// say "{x}" for the character of the key where a US keyboard has x: they are shown as
// `shownOn` (or else the learner's keyboard) has them, and as a US keyboard has them without
// either.
Course readCourse(const std::string& bytes, const std::string& fileName,
                  const KeyboardModel* learnersKeyboard, const KeyboardModel* shownOn = nullptr);
