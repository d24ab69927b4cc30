// The course content: constant data built into the program.
#pragma once

#include "course/content/built_in_course.h"

#include <cstdint>

constexpr int WordSlots = 255;
constexpr int ScriptSlots = 255;

struct LessonRecord {
    const char* words[WordSlots];  // slots 0 to wordCount - 1 used, the rest null
    int8_t wordCount;              // at most 127 slots can ever be used
    const char* title;
    const char* script[ScriptSlots];  // intro commands up to and including "e", then null
};

// The ten lessons in menu order, lesson 1 first.
extern const LessonRecord lessonCatalogue[LessonCount];
