// The keys each lesson of the program's own courses teaches, by their places on the keyboard:
// the left half of the home row first, then the left half of the upper row, and so on. Every
// layout has its own characters on those places: a lesson's entries are made of what the
// learner's layout types with the keys of that lesson and the lessons before it.
#pragma once

#include "course/content/built_in_course.h"
#include "course/keyboard/keyboard_model.h"

#include <array>
#include <string>
#include <vector>

// From this lesson (counted from 0) on, every key taught also types its Shift character; from
// the last one on, its AltGr character.
constexpr int ShiftLesson = 6;
constexpr int AltGrLesson = 9;

// The places of the keys lesson `lesson` adds, named by what a US keyboard types there
// ("asdfg" for the first): empty for the lessons of Shift and AltGr.
const char* lessonPlaces(int lesson);

// Per Latin-1 character: whether the keys of lessons 0 to `lesson` type it on `keyboard`, on
// the levels taught by then, a letter of a dead key once both keys are taught. The space bar
// is taught from the first lesson.
using CharacterSet = std::array<bool, 256>;
CharacterSet lessonCharacters(const KeyboardModel& keyboard, int lesson);

// Whether every character of `entry` is in `characters`.
bool madeOf(const std::string& entry, const CharacterSet& characters);
