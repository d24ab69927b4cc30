// The 54-key on-screen keyboard: key table, character-to-key lookup, drawing one key, and
// the lesson screen's per-line callback.
#pragma once

#include "course/lesson_screen.h"

#include <cstdint>

struct VideoMemory;

constexpr int KeyCount = 54;
constexpr int CapsLockLampSprite = KeyCount;  // the first sprite after the keys' own

// Appends the 54 keys in table order and fills keyByChar (control codes 7 to 12 name the
// Shift, Backspace, Tab, Enter and Caps Lock keys).
void buildKeyboard(LessonScreen& screen);
// Draws key `keyIndex` in its pressed state with the label for the Shift and Caps Lock
// display state: face in map 2, label in map 1 or, while pressed, as sprite `keyIndex`.
void drawKey(LessonScreen& screen, int keyIndex, bool shiftShown, bool capsShown);
// Line 0: counts the frame and unscrolls layer 3; line 120: scrolls layer 3 by the count.
void lessonRasterCallback(VideoMemory& memory, int32_t line, void* data);
