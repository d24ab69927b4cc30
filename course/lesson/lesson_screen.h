// The lesson screen: ten random word lines, the on-screen keyboard, the tile maps of the
// keyboard panel, the text box and the title, and the callback that drifts the text box.
#pragma once

#include "course/lesson/on_screen_keyboard.h"

#include <cstdint>
#include <functional>
#include <random>

struct VideoMemory;
struct VideoState;

constexpr int LineCount = 10;
constexpr int LineBudget = 36;  // a line never uses all of it: at most 35 characters
constexpr int LineStride = 37;
// The text box begins at this screen line; from there down it drifts left a pixel a frame.
constexpr int TextBoxFirstLine = 120;
constexpr int TitleColumns = 35;  // cells of the title row that lie on the screen

struct LessonScreen {
    char lines[LineCount][LineStride];
    KeyboardKey keys[KeySlots];
    uint8_t keyByChar[128];  // key index per character code; NoKey for none
    VideoState* video;
    int32_t keyCount;
    int32_t frameCounter;  // composed frames, advanced by lessonRasterCallback
    const char* const* script;
    int32_t keyboardScrollX;
    int32_t keyboardScrollY;
    // Called once a finished run's time is known, before the results take any input, so no
    // way out of them loses it. Returns a line for the results screen (a save that failed),
    // or null. Null: the time is only returned.
    const char* (*recordTime)(int32_t seconds, void* data);
    void* recordTimeData;
};

// Fills the screen for one run: word lines (seeded from the host's calendar seconds),
// keyboard, tile maps, title, line callback. Draws nothing and sets no layer word.
void setUpLessonScreen(VideoState& video, LessonScreen& screen, const char* const* words,
                       int32_t wordCount, const char* title, const char* const* script);

// Fills the ten lines from `words`, drawing each entry's index with `pick`, until nothing
// more could fit on a line; an entry that does not fit is drawn again, an empty one passed over.
void fillWordLines(LessonScreen& screen, const char* const* words, int32_t count,
                   const std::function<int32_t()>& pick);
// Fills the ten lines with entries drawn from `words` by `random` (a uniform choice of entry
// index per pick; empty entries are passed over). An empty list, or one none of whose
// entries fits, leaves ten empty lines and draws nothing.
void makeWordLines(LessonScreen& screen, const char* const* words, int32_t wordCount,
                   std::mt19937& random);
// Line 0: counts the frame and unscrolls the text box's layer; line 120: scrolls it by the
// count, so the text box drifts left by one pixel per frame.
void lessonRasterCallback(VideoMemory& memory, int32_t line, void* data);
