// The finger guide's hands and words on the lesson screen: a pair of hands in the margins
// beside the keyboard, the fingers of the lit keys bright and pointed at by a mark, and under
// the keyboard the names of the fingers that type the next character.
#pragma once

#include "course/keyboard/keyboard_model.h"

struct VideoMemory;

constexpr int FirstHandSprite = 100;        // two a hand: its top and its wrist
constexpr int FirstFingerMarkSprite = 106;  // five a hand, little finger to thumb, left first
constexpr int FingerNamesRow = 14;          // of map 0: between the keyboard and the text box

// Both hands, no finger marked (their groups as putFingerColours leaves them).
void drawHands(VideoMemory& memory);
// Marks the fingers of the lit keys: each bright in its hand's group of the palette shown and
// pointed at. The space bar's are both thumbs.
void markFingers(VideoMemory& memory, const KeyboardModel& keyboard);
// Names the fingers of `keys` (a character's key, then its Shift or AltGr, as keysToType gives
// them) on the row under the keyboard, or blanks the row for none. With `first` above 0 the
// first `first` keys are a dead key's stroke and the rest the letter's: "Right little, then
// left middle".
void writeFingerNames(VideoMemory& memory, const KeyboardModel& keyboard, const int* keys,
                      int count, int first = 0);
