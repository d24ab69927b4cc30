// The 54-key on-screen keyboard: key records and table, character-to-key lookup, drawing one
// key, and the Caps Lock lamp.
#pragma once

#include <cstdint>

struct LessonScreen;

constexpr int KeySlots = 64;
constexpr int KeyCount = 54;
constexpr int CapsLockLampSprite = KeyCount;  // the first sprite after the keys' own
constexpr uint8_t NoKey = 0xFF;

// Control codes under which the special keys are looked up (and named in intro scripts).
constexpr uint8_t LeftShiftCode = 7;
constexpr uint8_t BackspaceCode = 8;
constexpr uint8_t TabCode = 9;
constexpr uint8_t EnterCode = 10;
constexpr uint8_t RightShiftCode = 11;
constexpr uint8_t CapsLockCode = 12;

struct KeyboardKey {
    uint8_t lowerChar;  // typed without Shift
    uint8_t upperChar;  // typed with Shift
    uint16_t column;    // left cell column in the keyboard panel's map (map 2)
    uint16_t row;       // top cell row in that map
    uint16_t width;     // in cells
    uint16_t height;    // in cells, 2 for every key
    bool pressed;       // shown pressed
    uint32_t scancode;  // SDL scancode of the physical key
    bool capsApplies;   // Caps Lock makes it show and type upperChar (the letters)
};
constexpr int CharacterKeys = 48;  // keys 0 to 47 type characters; 47 is the space bar

// Appends the 54 keys in table order and fills keyByChar (the control codes above name the
// Shift, Backspace, Tab, Enter and Caps Lock keys).
void buildKeyboard(LessonScreen& screen);
// Relabels the 48 character keys (the space bar included) from the active keyboard layout, as
// the host reports it, and rebuilds keyByChar from it: a character reaches the key that gives
// it alone or with Shift, else the one that gives it with AltGr; one that no key gives has
// none. Labels are Latin-1 codes; a character outside it shows UnknownCharacter's mark.
void readKeyboardLayout(LessonScreen& screen);
// Draws key `keyIndex` in its pressed state with the label for the Shift and Caps Lock
// display state: face in map 2, label in map 1 or, while pressed, as sprite `keyIndex`.
void drawKey(LessonScreen& screen, int keyIndex, bool shiftShown, bool capsShown);
// Draws every key for the given Shift and Caps Lock display state.
void drawAllKeys(LessonScreen& screen, bool shiftShown, bool capsShown);
// Places the lamp on the Caps Lock key's top-left cell (the sprite after the keys'), lit
// (palette group 1) while `lit`.
void placeCapsLockLamp(LessonScreen& screen, bool lit);
