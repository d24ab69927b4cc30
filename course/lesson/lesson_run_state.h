// The working state of one lesson, shared by its phases: entry and fade-in (lesson_run.cpp),
// the intro script (lesson_run_intro.cpp), the typing exercise (lesson_run_exercise.cpp) and
// the results (lesson_run_results.cpp). runLesson plays them in that order.
#pragma once

#include "course/common/screen_text.h"
#include "course/lesson/lesson_screen.h"
#include "engine/display.h"

#include <SDL.h>

#include <cstdint>

struct RunSummary;
union SDL_Event;

constexpr int KeyStateBytes = 512;  // the part of the keyboard state array that is mirrored

// Layer 0 cells. Intro and typing texts use the second font at tile 96 + character in
// palette group 1; the results use the main font in palette group 2, which the dimming
// leaves at full brightness.
constexpr TileCell TextBlank = CellPriority | cellTile(BlankTile, 0);
inline TileCell textCell(char c) {
    return TileCell(CellPriority | cellTile(lessonFontTile(uint8_t(c)), 1));
}

// What the intro script is doing from one frame to the next.
enum class ScriptMode {
    Run,    // runs commands until one that takes frames
    Wait,   // waits for a key press
    Print,  // prints one character of a text a frame
    Pause,  // counts frames down
    Ended,  // the script is over
};

enum class PhaseOutcome { Finished, Abandoned, WindowClosed };

struct LessonRun {
    LessonScreen* screen;
    Palette savedPalette;  // every way out leaves the palette equal to this
    uint8_t previousKeyState[KeyStateBytes];
    bool shiftShown;
    bool capsShown;
    ScriptMode scriptMode;
    int32_t scriptCursor;
    int32_t textColumn;
    int32_t textRow;
    int32_t stepCounter;  // Print: index of the next character of the command; Pause: frames left
    bool running;
    int32_t lineIndex;
    int32_t position;
    int32_t errors;
    int32_t correctCount;
    uint64_t startTicks;
    uint64_t elapsedSeconds;
    const char* notice;       // shown under the prompt: why the time could not be saved
    bool focusLost;           // the window has no keyboard focus (as the last focus event said)
    bool paused;              // the clock stands until the first key after the focus came back
    uint64_t pausedAt;        // counter reading when the pause began
    TileCell underPaused[6];  // the text box cells that "Paused" covers
    RunSummary* summary;      // the finished run's figures and keys, when the caller wants them
};

inline VideoMemory& memoryOf(LessonRun& run) {
    return run.screen->video->memory;
}

// Layer 0 cells are addressed linearly, so a column past 63 continues on the next row;
// anything that would land outside map 0 is not written.
void putCell(VideoMemory& memory, int column, int row, TileCell cell);
void writeText(VideoMemory& memory, int column, int row, const char* text, TileCell (*cell)(char));
// Relabels the keys when the event tells of a new keyboard layout, or of the window gaining
// the focus again, which is when a change no system event reported shows.
void followLayout(LessonRun& run, const SDL_Event& event);
// Copies as much of the keyboard state array as is mirrored.
void copyKeyState(uint8_t (&copy)[KeyStateBytes], const uint8_t* state, int length);

// Notes a window's focus event in `focusLost`; other events change nothing.
void noteFocus(LessonRun& run, const SDL_Event& event);

// The phases after the fade-in. Each shows its own frames and says how it ended.
PhaseOutcome playIntro(LessonRun& run);
PhaseOutcome playExercise(LessonRun& run);
PhaseOutcome showResults(LessonRun& run);
