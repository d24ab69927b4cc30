// Drawing the on-screen keyboard: the panel, one key in its pressed state with the label for
// the Shift and Caps Lock display state, and the Caps Lock lamp. The lesson screen and the
// progress screen draw it, each at its own place.
#pragma once

#include "course/keyboard/keyboard_model.h"

#include <cstdint>

struct VideoMemory;

constexpr int CapsLockLampSprite = KeyCount;  // the first sprite after the keys' own
constexpr int HomeBumpSprite = 104;  // the bumps of the two home keys, while zones are shown

// Where the keyboard panel's layers are scrolled to: the sprites that carry the labels of
// pressed keys and the lamp are placed from it.
struct KeyboardPlacement {
    int32_t scrollX;
    int32_t scrollY;
};

// The panel in map 2: a face of 30 by 10 cells with a one-cell frame around it.
void drawKeyboardPanel(VideoMemory& memory);
// Draws key `keyIndex` in its pressed or lit state with the label for the Shift and Caps Lock
// display state: face in map 2, label in map 1 or, while pressed or lit, as sprite `keyIndex`.
// A lit key is drawn in its finger's bright colour, its label dark; while the keyboard shows
// the fingers' zones every face is in its finger's quiet tint, and the home keys of the index
// fingers carry a bump. A hidden key draws nothing.
void drawKey(VideoMemory& memory, const KeyboardModel& keyboard, KeyboardPlacement placement,
             int keyIndex, bool shiftShown, bool capsShown);
// Draws every key for the given Shift and Caps Lock display state.
void drawAllKeys(VideoMemory& memory, const KeyboardModel& keyboard, KeyboardPlacement placement,
                 bool shiftShown, bool capsShown);
// Places the lamp on the Caps Lock key's top-left cell (the sprite after the keys'), lit
// (palette group 1) while `lit`.
void placeCapsLockLamp(VideoMemory& memory, const KeyboardModel& keyboard,
                       KeyboardPlacement placement, bool lit);
