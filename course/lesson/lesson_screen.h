// The lesson screen: ten random word lines, the on-screen keyboard, the tile maps of the
// keyboard panel, the text box and the title, and the callback that drifts the text box.
#pragma once

#include "course/content/course.h"
#include "course/lesson/on_screen_keyboard.h"
#include "course/lesson/word_lines.h"

#include <cstdint>
#include <vector>

struct VideoMemory;
struct VideoState;

// The text box begins at this screen line; from there down it drifts left a pixel a frame.
constexpr int TextBoxFirstLine = 120;
constexpr int TitleColumns = 35;  // cells of the title row that lie on the screen

struct LessonScreen {
    WordLines lines;
    KeyboardModel keyboard;
    KeyboardPlacement placement;
    VideoState* video;
    int32_t frameCounter;  // composed frames, advanced by lessonRasterCallback
    const Intro* intro;    // the steps the intro plays; null for none
    const char* title;     // borrowed, like the intro
    Language language;     // the course's: how lines and characters are said
    bool fingerGuide;      // the run shows the finger guide (set-up leaves it off)
};

// Fills the screen for one run: word lines (seeded from the host's calendar seconds),
// keyboard, tile maps, title, line callback. Draws nothing and sets no layer word.
// The intro and title are not copied: they must live as long as the run. The language is
// English; a course in another sets it afterwards.
void setUpLessonScreen(VideoState& video, LessonScreen& screen, const char* const* words,
                       int32_t wordCount, const char* title, const Intro* intro);
// The same for a lesson of a course, with its entries, title and intro.
void setUpLessonScreen(VideoState& video, LessonScreen& screen, const CourseLesson& lesson);
// Every cell of the four maps blank, then the keyboard panel with `keyboard`'s keys for
// `placement` in maps 1 and 2, and the text box in map 3.
void drawLessonMaps(VideoMemory& memory, const KeyboardModel& keyboard,
                    KeyboardPlacement placement);
// Line 0: counts the frame and unscrolls the text box's layer; line 120: scrolls it by the
// count, so the text box drifts left by one pixel per frame.
void lessonRasterCallback(VideoMemory& memory, int32_t line, void* data);
