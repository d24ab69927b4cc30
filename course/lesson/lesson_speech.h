// What a lesson says aloud while speech is on: the intro's texts a part at a time with the
// keys it lights, each new line of the exercise, the rest of the line on F1, the name of the
// expected character after an error, and the results. Each is one call where the phase
// tells what happened; with speech off none says anything.
#pragma once

#include "course/lesson/lesson_run.h"

#include <string>

// The intro's part that begins at step `from`: its texts up to the next wait or pause, as
// whole sentences, and the keys it lights; the lesson's title first at the intro's start.
// Said once: a later call for a step already said does nothing.
void sayIntroPart(LessonRun& run, int32_t from);
// A key that ends a wait cuts off what the intro was saying.
void cutIntroShort(LessonRun& run);
// The exercise's first line, with what to do.
void sayFirstLine(LessonRun& run);
// A line typed to its end: "Line N of 10", and the next line, if any.
void sayLineDone(LessonRun& run);
// F1: the rest of the line from the next expected character.
void sayRestOfLine(LessonRun& run);
// An error: the expected character's name, at once, cutting off whatever was being said.
void sayExpected(LessonRun& run);
// A key judged right, when the learner asked for every key to be named.
void sayTyped(LessonRun& run, uint8_t typed);
// The results: words per minute, errors, time, a new best, and `notice`.
void sayResults(LessonRun& run, const std::string& notice);
