// The course content, constant data built into the program, and the menu's row records.
#pragma once

#include <cstdint>
#include <memory>

struct VideoState;

constexpr int LessonCount = 10;
constexpr int WordSlots = 255;
constexpr int ScriptSlots = 255;
// Entries longer than this never fit a word line.
constexpr int LongestPlaceableEntry = 34;

struct LessonRecord {
    const char* words[WordSlots];  // slots 0 to wordCount - 1 used, the rest null
    int8_t wordCount;              // at most 127 slots can ever be used
    const char* title;
    const char* script[ScriptSlots];  // intro commands up to and including "e", then null
};

// The ten lessons in menu order, lesson 1 first.
extern const LessonRecord lessonCatalogue[LessonCount];

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
