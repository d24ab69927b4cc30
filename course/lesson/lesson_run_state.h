// What the lesson's phases share besides the LessonRun itself.
#pragma once

#include "course/common/screen_text.h"
#include "course/lesson/lesson_run.h"
#include "engine/display.h"

#include <SDL.h>

union SDL_Event;

// Intro and typing texts use the lesson font in palette group 1; the results use the main
// font in palette group 2, which the dimming leaves at full brightness.
constexpr TileCell TextBlank = CellPriority | cellTile(BlankTile, 0);
constexpr TileCell LessonText = CellPriority | cellTile(0, 1);
constexpr TileCell ResultsText = CellPriority | cellTile(0, 2);

inline VideoMemory& memoryOf(LessonRun& run) {
    return run.screen->video->memory;
}
inline VideoState& videoOf(LessonRun& run) {
    return *run.screen->video;
}

// Layer 0 cells are addressed linearly, so a column past 63 continues on the next row;
// anything that would land outside map 0 is not written.
void putCell(VideoMemory& memory, int column, int row, TileCell cell);
// The cell of a lesson text's character.
inline TileCell lessonCell(char c) {
    return fontCell(Font::Lesson, uint8_t(c), LessonText);
}
// Redraws one key, or all of them, for the Shift and Caps Lock display state.
void redrawKey(LessonRun& run, int key);
void redrawKeys(LessonRun& run);
void placeLamp(LessonRun& run);
// Relabels the keys when the event tells of a new keyboard layout, or of the window gaining
// the focus again, which is when a change no system event reported shows.
void followLayout(LessonRun& run, const SDL_Event& event);
// Copies as much of the keyboard state array as is mirrored.
void copyKeyState(uint8_t (&copy)[KeyStateBytes], const uint8_t* state, int length);
// Notes a window's focus event in `focusLost`; other events change nothing.
void noteFocus(LessonRun& run, const SDL_Event& event);

// The phases after the fade-in. Each shows its own frames and says how it ended.
LessonEnd playIntro(LessonRun& run);
LessonEnd playExercise(LessonRun& run);
