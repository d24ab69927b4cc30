// Playing one lesson: fade-in, intro script and typing exercise, then, once whoever keeps the
// run has recorded it, the results and the fade-out.
#pragma once

#include "course/lesson/lesson_screen.h"
#include "course/records/run_figures.h"
#include "engine/video_memory.h"

#include <cstdint>
#include <string>

constexpr int KeyStateBytes = 512;  // the part of the keyboard state array that is mirrored

// How a lesson ended: typed to its end (then shown its results), abandoned (Escape, or a
// window close during the exercise or the results: the menu goes on), or the program is to
// end (a window close during the fade-in or the intro, or the system's request).
enum class LessonEnd { Finished, Abandoned, Quit };

// What the intro is doing from one frame to the next.
enum class ScriptMode {
    Run,    // runs steps until one that takes frames
    Wait,   // waits for a key press
    Print,  // prints one character of a text a frame
    Pause,  // counts frames down
    Ended,  // the intro is over
};

// The working state of one lesson, shared by its phases: entry and fade-in (lesson_run.cpp),
// the intro script (lesson_run_intro.cpp), the typing exercise (lesson_run_exercise.cpp) and
// the results (lesson_run_results.cpp). It lives on the heap for one lesson.
struct LessonRun {
    LessonScreen* screen;
    Palette savedPalette;  // every way out leaves the palette equal to this
    uint8_t previousKeyState[KeyStateBytes];
    bool shiftShown;
    bool capsShown;
    ScriptMode scriptMode;
    int32_t scriptCursor;  // the intro's step
    int32_t textColumn;
    int32_t textRow;
    int32_t stepCounter;  // Print: index of the next character of the text; Pause: frames left
    bool running;
    int32_t lineIndex;
    int32_t position;
    uint64_t startTicks;
    bool focusLost;           // the window has no keyboard focus (as the last focus event said)
    bool paused;              // the clock stands until the first key after the focus came back
    uint64_t pausedAt;        // counter reading when the pause began
    TileCell underPaused[6];  // the text box cells that "Paused" covers
    uint8_t keylessNoted;     // the next character, no key's, that the text box names; or 0
    // The run's figures, complete once the exercise is typed to its end: the one place where
    // its time, speed and errors live.
    RunSummary summary;
    bool newBest;           // the run's time is the lesson's best (told by whoever keeps it)
    int32_t introSpokenTo;  // speech: the intro's steps before this one have been said
};

// Plays the lesson prepared by setUpLessonScreen up to the end of its exercise: fade-in,
// intro, exercise; with the screen's finger guide on, the keys in their fingers' zones and
// the hands beside them from the fade-in on. Finished: `run.summary` holds the run's figures and
// what was typed for every expected character. While the window has no keyboard focus the
// exercise's clock stands. Any other end leaves the palette as it was before the lesson.
LessonEnd playLesson(LessonRun& run, LessonScreen& screen);
// The results of a finished run, with `notice` under the prompt when it is not empty (why the
// time could not be saved), until Enter; then the fade-out. The palette is as it was before
// the lesson afterwards, whatever the end.
LessonEnd showLessonResults(LessonRun& run, const std::string& notice);
