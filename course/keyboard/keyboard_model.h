// The on-screen keyboard as a model, shared by every screen that shows or names keys: 56 keys
// at their places in the panel, the physical key behind each and the finger that types it,
// what the learner's layout types with it, and which key types a character.
#pragma once

#include <cstdint>

constexpr int KeySlots = 64;
constexpr int KeyCount = 56;
constexpr int CharacterKeys = 49;  // keys 0 to 48 type characters; 48 is the space bar
constexpr int SpaceBarKey = CharacterKeys - 1;
// The key between left Shift and Z that ISO keyboards have, and right Alt (AltGr): shown only
// where the learner's layout gives them characters of their own.
constexpr int IsoKey = CharacterKeys - 2;
constexpr int AltGrKey = KeyCount - 1;
constexpr uint8_t NoKey = 0xFF;

// Control codes under which the special keys are looked up (and named in intro scripts).
constexpr uint8_t LeftShiftCode = 7;
constexpr uint8_t BackspaceCode = 8;
constexpr uint8_t TabCode = 9;
constexpr uint8_t EnterCode = 10;
constexpr uint8_t RightShiftCode = 11;
constexpr uint8_t CapsLockCode = 12;

// The finger that types a key, by the key's place on the keyboard: the same on every layout.
// The thumbs share the space bar; AltGr is the right thumb's.
enum class Finger : uint8_t {
    LeftLittle,
    LeftRing,
    LeftMiddle,
    LeftIndex,
    RightIndex,
    RightMiddle,
    RightRing,
    RightLittle,
    Thumbs,
    RightThumb,
    None,  // a key of no finger: none of the on-screen keyboard's
};
// Mirrored fingers share a hue: 0 little, 1 ring, 2 middle, 3 index, 4 the thumbs.
constexpr int FingerHues = 5;
int fingerHue(Finger finger);
bool onLeftHand(Finger finger);
// The finger of the physical key given by SDL scancode; None for a key outside the table.
Finger fingerOf(uint32_t scancode);

// How a character is reached on its key.
enum class KeyLevel : uint8_t { Alone, Shifted, AltGr };

struct KeyboardKey {
    uint8_t lowerChar;   // typed without Shift (a Latin-1 code)
    uint8_t upperChar;   // typed with Shift
    uint16_t column;     // left cell column in the keyboard panel's map (map 2)
    uint16_t row;        // top cell row in that map
    uint16_t width;      // in cells
    uint16_t height;     // in cells, 2 for every key
    bool pressed;        // shown pressed
    uint32_t scancode;   // SDL scancode of the physical key
    bool capsApplies;    // Caps Lock makes it show and type upperChar (the letters)
    Finger finger;       // the finger that types it
    bool shown;          // on the keyboard the layout has; a hidden key is neither drawn nor typed
    bool lit;            // lit in its finger's colour (shown pressed wins over it)
    uint8_t altGrChar;   // typed with AltGr; ' ' for none
    uint8_t deadLevels;  // the levels that are dead keys, bits as LayoutCharacters' `dead`
};

struct KeyboardModel {
    KeyboardKey keys[KeySlots];
    uint8_t keyByChar[256];     // key index per Latin-1 character code; NoKey for none
    KeyLevel levelByChar[256];  // how the key of keyByChar types the character
    int32_t keyCount;
    bool fingerZones;  // every key's face tinted by its finger
};

// The keys in table order, labelled as a US keyboard types them (without the ISO key and
// AltGr), none pressed or lit, and the character lookup (the control codes above name the
// Shift, Backspace, Tab, Enter and Caps Lock keys).
void buildKeyboard(KeyboardModel& keyboard);
// Relabels the 49 character keys (the space bar included) from the active keyboard layout, as
// the host reports it, and rebuilds keyByChar from it: a character reaches the key that gives
// it alone or with Shift, else the one that gives it with AltGr; one that no key gives has
// none. Labels are Latin-1 codes; a character outside it shows UnknownCharacter's mark.
// The ISO key is shown when it gives a character no other key gives alone or with Shift (an
// ANSI keyboard's layout often names it, with characters found elsewhere too), left Shift
// then narrowing to make room; AltGr is shown when some character is reached with it.
void readKeyboardLayout(KeyboardModel& keyboard);
// The keys a learner presses to type `c`: its key, then the other hand's Shift when the
// character needs Shift (with Caps Lock on, a letter needs it the other way round) or AltGr
// when it needs AltGr. Their count; 0 when no key types it.
int keysToType(const KeyboardModel& keyboard, uint8_t c, bool capsOn, int (&keys)[2]);
// The keys of a letter that the layout writes with a dead key (a French "ê"): the dead key's
// keys as keysToType gives them, then the letter's. Their count, of which `first` are the dead
// key's; 0 when `c` is no such letter or the layout lacks the keys.
int deadKeysToType(const KeyboardModel& keyboard, uint8_t c, bool capsOn, int (&keys)[4],
                   int& first);
// The keyboard as buildKeyboard makes it: the keys' places named by what a US keyboard types
// on them.
const KeyboardModel& usKeyboard();
// Whether `keyboard` types what a US keyboard types on every character key, alone and with
// Shift.
bool typesAsUs(const KeyboardModel& keyboard);

// The character key (0 to 48) that types `c`, or -1.
int characterKey(const KeyboardModel& keyboard, uint8_t c);

// A letter that a dead key writes (grave, acute, circumflex, diaeresis and tilde, as Latin-1
// has them): the accent's spacing character and the letter it goes on. False for any other.
bool letterWithAccent(uint8_t c, uint8_t& accent, uint8_t& letter);
// The dead key that gives `accent`, or -1; `level` gets its level (0 alone, 1 Shift, 2 AltGr).
int deadKeyOf(const KeyboardModel& keyboard, uint8_t accent, int& level);
// Whether the learner's layout types `c`: a key gives it, alone, with Shift or with AltGr, or
// a dead key puts its accent on a letter a key gives.
bool canType(const KeyboardModel& keyboard, uint8_t c);
// The shown character key of a physical key given by SDL scancode, or -1.
int characterKeyOf(const KeyboardModel& keyboard, uint32_t scancode);
// How a key is named on screen: its unshifted character, or "Space".
const char* keyName(const KeyboardModel& keyboard, int key, char (&name)[8]);
