// Where things sit on the course's screens: the layers' roles and the places that more than
// one screen (or the lessons' intros) use.
#pragma once

#include "engine/video_memory.h"

// The layers' roles, front to back. Title: logo, prompt, -, backdrop. Menu: -, lesson list,
// selection bar, backdrop. Lesson and progress: text, key labels, keyboard panel, text box.
constexpr int LogoLayer = 0;
constexpr int PromptLayer = 1;
constexpr int ListLayer = 1;
constexpr int BarLayer = 2;
constexpr int BackdropLayer = 3;
constexpr int TextLayer = 0;
constexpr int KeyLabelLayer = 1;
constexpr int KeyboardLayer = 2;
constexpr int TextBoxLayer = 3;

constexpr int ScreenColumns = ScreenWidth / 8;  // text cells across the screen
constexpr int MenuHintGroup = 8;                // the palette group of the menu's hints (sprites)

// The lesson's text box, in cells of map 0. An intro's texts start at TextColumn on the rows
// from IntroFirstRow and are cleared IntroClearedCells at a time; the exercise shows its
// heading, the line to type and what was typed on three rows, clearing ExerciseClearedCells
// of the last two for every new line.
constexpr int TextColumn = 2;
constexpr int IntroFirstRow = 16;
constexpr int IntroRows = 4;
constexpr int IntroClearedCells = 40;
constexpr int HeadingRow = 16;
constexpr int LineRow = 18;
constexpr int TypedRow = 20;
constexpr int ExerciseClearedCells = 48;

// The keyboard panel's layer scroll: 40 pixels in from the left, with the keys from screen
// line 20 in a lesson and from line 80 on the progress screen.
constexpr int KeyboardScrollX = -40;
constexpr int LessonKeyboardScrollY = -20;
constexpr int ProgressKeyboardScrollY = -80;
