#include "course/keyboard/keyboard_model.h"

#include "course/common/screen_text.h"
#include "engine/host.h"

#include <SDL.h>

#include <cstdio>

namespace {

struct KeyDefinition {
    char lowerChar;
    char upperChar;
    uint16_t column;
    uint16_t row;
    uint16_t width;
    SDL_Scancode scancode;
    bool capsApplies;
};

// A US layout in five rows of panel cells (rows 0, 2, 4, 6, 8), each row filling columns 0
// to 29. The ISO key (its characters those of the layout, blank here) sits where left Shift
// ends when it is shown. Backspace, Tab, Caps Lock, Enter, the two Shift keys and AltGr come
// last: their labels are blank, and the character lookup names them by control codes instead
// of their spaces (AltGr by none).
constexpr KeyDefinition KeyTable[KeyCount] = {
    {'`', '~', 0, 0, 2, SDL_SCANCODE_GRAVE, false},
    {'1', '!', 2, 0, 2, SDL_SCANCODE_1, false},
    {'2', '@', 4, 0, 2, SDL_SCANCODE_2, false},
    {'3', '#', 6, 0, 2, SDL_SCANCODE_3, false},
    {'4', '$', 8, 0, 2, SDL_SCANCODE_4, false},
    {'5', '%', 10, 0, 2, SDL_SCANCODE_5, false},
    {'6', '^', 12, 0, 2, SDL_SCANCODE_6, false},
    {'7', '&', 14, 0, 2, SDL_SCANCODE_7, false},
    {'8', '*', 16, 0, 2, SDL_SCANCODE_8, false},
    {'9', '(', 18, 0, 2, SDL_SCANCODE_9, false},
    {'0', ')', 20, 0, 2, SDL_SCANCODE_0, false},
    {'-', '_', 22, 0, 2, SDL_SCANCODE_MINUS, false},
    {'=', '+', 24, 0, 2, SDL_SCANCODE_EQUALS, false},
    {'q', 'Q', 3, 2, 2, SDL_SCANCODE_Q, true},
    {'w', 'W', 5, 2, 2, SDL_SCANCODE_W, true},
    {'e', 'E', 7, 2, 2, SDL_SCANCODE_E, true},
    {'r', 'R', 9, 2, 2, SDL_SCANCODE_R, true},
    {'t', 'T', 11, 2, 2, SDL_SCANCODE_T, true},
    {'y', 'Y', 13, 2, 2, SDL_SCANCODE_Y, true},
    {'u', 'U', 15, 2, 2, SDL_SCANCODE_U, true},
    {'i', 'I', 17, 2, 2, SDL_SCANCODE_I, true},
    {'o', 'O', 19, 2, 2, SDL_SCANCODE_O, true},
    {'p', 'P', 21, 2, 2, SDL_SCANCODE_P, true},
    {'[', '{', 23, 2, 2, SDL_SCANCODE_LEFTBRACKET, false},
    {']', '}', 25, 2, 2, SDL_SCANCODE_RIGHTBRACKET, false},
    {'\\', '|', 27, 2, 3, SDL_SCANCODE_BACKSLASH, false},
    {'a', 'A', 4, 4, 2, SDL_SCANCODE_A, true},
    {'s', 'S', 6, 4, 2, SDL_SCANCODE_S, true},
    {'d', 'D', 8, 4, 2, SDL_SCANCODE_D, true},
    {'f', 'F', 10, 4, 2, SDL_SCANCODE_F, true},
    {'g', 'G', 12, 4, 2, SDL_SCANCODE_G, true},
    {'h', 'H', 14, 4, 2, SDL_SCANCODE_H, true},
    {'j', 'J', 16, 4, 2, SDL_SCANCODE_J, true},
    {'k', 'K', 18, 4, 2, SDL_SCANCODE_K, true},
    {'l', 'L', 20, 4, 2, SDL_SCANCODE_L, true},
    {';', ':', 22, 4, 2, SDL_SCANCODE_SEMICOLON, false},
    {'\'', '"', 24, 4, 2, SDL_SCANCODE_APOSTROPHE, false},
    {'z', 'Z', 5, 6, 2, SDL_SCANCODE_Z, true},
    {'x', 'X', 7, 6, 2, SDL_SCANCODE_X, true},
    {'c', 'C', 9, 6, 2, SDL_SCANCODE_C, true},
    {'v', 'V', 11, 6, 2, SDL_SCANCODE_V, true},
    {'b', 'B', 13, 6, 2, SDL_SCANCODE_B, true},
    {'n', 'N', 15, 6, 2, SDL_SCANCODE_N, true},
    {'m', 'M', 17, 6, 2, SDL_SCANCODE_M, true},
    {',', '<', 19, 6, 2, SDL_SCANCODE_COMMA, false},
    {'.', '>', 21, 6, 2, SDL_SCANCODE_PERIOD, false},
    {'/', '?', 23, 6, 2, SDL_SCANCODE_SLASH, false},
    {' ', ' ', 3, 6, 2, SDL_SCANCODE_NONUSBACKSLASH, false},
    {' ', ' ', 8, 8, 12, SDL_SCANCODE_SPACE, false},
    {' ', ' ', 26, 0, 4, SDL_SCANCODE_BACKSPACE, false},
    {' ', ' ', 0, 2, 3, SDL_SCANCODE_TAB, false},
    {' ', ' ', 0, 4, 4, SDL_SCANCODE_CAPSLOCK, false},
    {' ', ' ', 26, 4, 4, SDL_SCANCODE_RETURN, false},
    {' ', ' ', 0, 6, 5, SDL_SCANCODE_LSHIFT, false},
    {' ', ' ', 25, 6, 5, SDL_SCANCODE_RSHIFT, false},
    {' ', ' ', 20, 8, 3, SDL_SCANCODE_RALT, false},
};
constexpr int LeftShiftKey = KeyCount - 3;
constexpr uint16_t LeftShiftWidth = 5;
constexpr uint16_t NarrowLeftShiftWidth = 3;  // beside a shown ISO key
static_assert(KeyTable[IsoKey].scancode == SDL_SCANCODE_NONUSBACKSLASH &&
              KeyTable[SpaceBarKey].scancode == SDL_SCANCODE_SPACE &&
              KeyTable[LeftShiftKey].scancode == SDL_SCANCODE_LSHIFT &&
              KeyTable[AltGrKey].scancode == SDL_SCANCODE_RALT);

// The control code under which each special key (49 to 55, in table order) is looked up; 0
// for none.
constexpr uint8_t SpecialKeyCodes[KeyCount - CharacterKeys] = {
    BackspaceCode, TabCode, CapsLockCode, EnterCode, LeftShiftCode, RightShiftCode, 0,
};

struct FingerOfKey {
    SDL_Scancode scancode;
    Finger finger;
};

// Which finger types which physical key, by SDL scancode. The key beside Return on ISO
// keyboards reports itself as the backslash or, on some systems, as the non-US hash key.
constexpr FingerOfKey FingerTable[] = {
    {SDL_SCANCODE_GRAVE, Finger::LeftLittle},
    {SDL_SCANCODE_1, Finger::LeftLittle},
    {SDL_SCANCODE_Q, Finger::LeftLittle},
    {SDL_SCANCODE_A, Finger::LeftLittle},
    {SDL_SCANCODE_Z, Finger::LeftLittle},
    {SDL_SCANCODE_NONUSBACKSLASH, Finger::LeftLittle},
    {SDL_SCANCODE_TAB, Finger::LeftLittle},
    {SDL_SCANCODE_CAPSLOCK, Finger::LeftLittle},
    {SDL_SCANCODE_LSHIFT, Finger::LeftLittle},
    {SDL_SCANCODE_2, Finger::LeftRing},
    {SDL_SCANCODE_W, Finger::LeftRing},
    {SDL_SCANCODE_S, Finger::LeftRing},
    {SDL_SCANCODE_X, Finger::LeftRing},
    {SDL_SCANCODE_3, Finger::LeftMiddle},
    {SDL_SCANCODE_E, Finger::LeftMiddle},
    {SDL_SCANCODE_D, Finger::LeftMiddle},
    {SDL_SCANCODE_C, Finger::LeftMiddle},
    {SDL_SCANCODE_4, Finger::LeftIndex},
    {SDL_SCANCODE_5, Finger::LeftIndex},
    {SDL_SCANCODE_R, Finger::LeftIndex},
    {SDL_SCANCODE_T, Finger::LeftIndex},
    {SDL_SCANCODE_F, Finger::LeftIndex},
    {SDL_SCANCODE_G, Finger::LeftIndex},
    {SDL_SCANCODE_V, Finger::LeftIndex},
    {SDL_SCANCODE_B, Finger::LeftIndex},
    {SDL_SCANCODE_6, Finger::RightIndex},
    {SDL_SCANCODE_7, Finger::RightIndex},
    {SDL_SCANCODE_Y, Finger::RightIndex},
    {SDL_SCANCODE_U, Finger::RightIndex},
    {SDL_SCANCODE_H, Finger::RightIndex},
    {SDL_SCANCODE_J, Finger::RightIndex},
    {SDL_SCANCODE_N, Finger::RightIndex},
    {SDL_SCANCODE_M, Finger::RightIndex},
    {SDL_SCANCODE_8, Finger::RightMiddle},
    {SDL_SCANCODE_I, Finger::RightMiddle},
    {SDL_SCANCODE_K, Finger::RightMiddle},
    {SDL_SCANCODE_COMMA, Finger::RightMiddle},
    {SDL_SCANCODE_9, Finger::RightRing},
    {SDL_SCANCODE_O, Finger::RightRing},
    {SDL_SCANCODE_L, Finger::RightRing},
    {SDL_SCANCODE_PERIOD, Finger::RightRing},
    {SDL_SCANCODE_0, Finger::RightLittle},
    {SDL_SCANCODE_MINUS, Finger::RightLittle},
    {SDL_SCANCODE_EQUALS, Finger::RightLittle},
    {SDL_SCANCODE_P, Finger::RightLittle},
    {SDL_SCANCODE_LEFTBRACKET, Finger::RightLittle},
    {SDL_SCANCODE_RIGHTBRACKET, Finger::RightLittle},
    {SDL_SCANCODE_BACKSLASH, Finger::RightLittle},
    {SDL_SCANCODE_NONUSHASH, Finger::RightLittle},
    {SDL_SCANCODE_SEMICOLON, Finger::RightLittle},
    {SDL_SCANCODE_APOSTROPHE, Finger::RightLittle},
    {SDL_SCANCODE_SLASH, Finger::RightLittle},
    {SDL_SCANCODE_RETURN, Finger::RightLittle},
    {SDL_SCANCODE_RSHIFT, Finger::RightLittle},
    {SDL_SCANCODE_BACKSPACE, Finger::RightLittle},
    {SDL_SCANCODE_SPACE, Finger::Thumbs},
    {SDL_SCANCODE_RALT, Finger::RightThumb},
};

void appendKey(KeyboardModel& keyboard, const KeyDefinition& definition) {
    KeyboardKey& key = keyboard.keys[keyboard.keyCount];
    key.lowerChar = uint8_t(definition.lowerChar);
    key.upperChar = uint8_t(definition.upperChar);
    key.column = definition.column;
    key.row = definition.row;
    key.width = definition.width;
    key.height = 2;
    key.pressed = false;
    key.scancode = uint32_t(definition.scancode);
    key.capsApplies = definition.capsApplies;
    key.finger = fingerOf(uint32_t(definition.scancode));
    key.shown = true;
    key.lit = false;
    key.altGrChar = ' ';
    key.deadLevels = 0;
    keyboard.keyCount += 1;
}

// A Latin-1 letter with a capital of its own: Caps Lock applies to its key.
bool hasCapital(uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}

// What a key shows for a layout character: none is a blank, Latin-1 stands as it is, and
// anything else (a control character, a character past U+00FF) shows the unknown mark.
uint8_t labelCode(uint32_t c) {
    if (c == 0) return ' ';
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c > 0xFF) return UnknownCharacter;
    return uint8_t(c);
}

// Blanks are not entered, so the space stays with the space bar, and nor is the unknown mark.
bool enterable(uint32_t c) {
    return c > ' ' && c <= 0xFF && c != UnknownCharacter && labelCode(c) == c;
}

void enterKey(KeyboardModel& keyboard, uint32_t c, int k, KeyLevel level) {
    if (!enterable(c)) return;
    keyboard.keyByChar[c] = uint8_t(k);
    keyboard.levelByChar[c] = level;
}

// The lookup from the shown keys' labels: lower, then upper, in table order (a character on
// two keys ends with the later one); then the space bar and the special keys' codes.
void enterCharacters(KeyboardModel& keyboard) {
    for (uint8_t& entry : keyboard.keyByChar) entry = NoKey;
    for (KeyLevel& level : keyboard.levelByChar) level = KeyLevel::Alone;
    for (int k = 0; k < CharacterKeys; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        if (!key.shown) continue;
        enterKey(keyboard, key.lowerChar, k, KeyLevel::Alone);
        if (key.upperChar != key.lowerChar) enterKey(keyboard, key.upperChar, k, KeyLevel::Shifted);
    }
    keyboard.keyByChar[size_t(' ')] = SpaceBarKey;
    for (int k = CharacterKeys; k < KeyCount; ++k) {
        const uint8_t code = SpecialKeyCodes[k - CharacterKeys];
        if (code != 0) keyboard.keyByChar[code] = uint8_t(k);
    }
}

// The ISO key has a place of its own when it gives a character that no other key gives
// alone or with Shift.
bool givesItsOwnCharacter(const KeyboardModel& keyboard, int isoKey) {
    const KeyboardKey& iso = keyboard.keys[isoKey];
    for (const uint8_t c : {iso.lowerChar, iso.upperChar}) {
        if (!enterable(c)) continue;
        bool elsewhere = false;
        for (int k = 0; k < CharacterKeys && !elsewhere; ++k)
            elsewhere =
                k != isoKey && (keyboard.keys[k].lowerChar == c || keyboard.keys[k].upperChar == c);
        if (!elsewhere) return true;
    }
    return false;
}

}  // namespace

int fingerHue(Finger finger) {
    switch (finger) {
    case Finger::LeftLittle:
    case Finger::RightLittle: return 0;
    case Finger::LeftRing:
    case Finger::RightRing: return 1;
    case Finger::LeftMiddle:
    case Finger::RightMiddle: return 2;
    case Finger::LeftIndex:
    case Finger::RightIndex: return 3;
    default: return 4;
    }
}

bool onLeftHand(Finger finger) {
    return finger <= Finger::LeftIndex;
}

Finger fingerOf(uint32_t scancode) {
    for (const FingerOfKey& entry : FingerTable)
        if (uint32_t(entry.scancode) == scancode) return entry.finger;
    return Finger::None;
}

void readKeyboardLayout(KeyboardModel& keyboard) {
    if (keyboard.keyCount < KeyCount) return;
    uint32_t scancodes[CharacterKeys];
    LayoutCharacters found[CharacterKeys] = {};
    for (int k = 0; k < CharacterKeys; ++k) scancodes[k] = uint32_t(KeyTable[k].scancode);
    const bool complete = host.readLayout(scancodes, CharacterKeys, found);
    for (int k = 0; k < CharacterKeys; ++k) {
        uint32_t alone = found[k].alone;
        uint32_t shifted = found[k].shifted;
        if (!complete) {
            // Only the unshifted characters are known: a letter's capital is its Shift
            // character, and a key that agrees with the US layout alone is taken to agree
            // with Shift too.
            shifted = hasCapital(alone)                         ? alone - 32
                      : alone == uint8_t(KeyTable[k].lowerChar) ? uint8_t(KeyTable[k].upperChar)
                                                                : 0;
        }
        KeyboardKey& key = keyboard.keys[k];
        key.lowerChar = labelCode(alone);
        key.upperChar = labelCode(shifted);
        key.capsApplies = hasCapital(alone) && shifted == alone - 32;
        key.altGrChar = labelCode(found[k].altGr);
        key.deadLevels =
            complete ? uint8_t(found[k].dead & (DeadAlone | DeadShifted | DeadAltGr)) : 0;
    }
    keyboard.keys[IsoKey].shown = givesItsOwnCharacter(keyboard, IsoKey);
    keyboard.keys[LeftShiftKey].width =
        keyboard.keys[IsoKey].shown ? NarrowLeftShiftWidth : LeftShiftWidth;
    enterCharacters(keyboard);
    // AltGr characters come last and take only what no key gives more simply.
    bool altGrUsed = false;
    for (int k = 0; k < CharacterKeys; ++k) {
        const uint32_t altGr = found[k].altGr;
        if (!keyboard.keys[k].shown || !enterable(altGr) || keyboard.keyByChar[altGr] != NoKey)
            continue;
        enterKey(keyboard, altGr, k, KeyLevel::AltGr);
        altGrUsed = true;
    }
    keyboard.keys[AltGrKey].shown = altGrUsed;
}

void buildKeyboard(KeyboardModel& keyboard) {
    keyboard.keyCount = 0;
    keyboard.fingerZones = false;
    for (const KeyDefinition& definition : KeyTable) appendKey(keyboard, definition);
    keyboard.keys[IsoKey].shown = false;
    keyboard.keys[AltGrKey].shown = false;
    enterCharacters(keyboard);
}

const KeyboardModel& usKeyboard() {
    static const KeyboardModel keyboard = [] {
        KeyboardModel us{};
        buildKeyboard(us);
        return us;
    }();
    return keyboard;
}

bool typesAsUs(const KeyboardModel& keyboard) {
    // The ISO key is left out: a US layout names it too, but an ANSI keyboard has none.
    for (int k = 0; k < CharacterKeys; ++k) {
        if (k == IsoKey) continue;
        const KeyboardKey& theirs = keyboard.keys[k];
        if (theirs.lowerChar != uint8_t(KeyTable[k].lowerChar) ||
            theirs.upperChar != uint8_t(KeyTable[k].upperChar))
            return false;
    }
    return keyboard.keyCount >= CharacterKeys;
}

int characterKey(const KeyboardModel& keyboard, uint8_t c) {
    const uint8_t key = keyboard.keyByChar[c];
    return key < CharacterKeys && key < keyboard.keyCount ? key : -1;
}

int keysToType(const KeyboardModel& keyboard, uint8_t c, bool capsOn, int (&keys)[2]) {
    const int k = characterKey(keyboard, c);
    if (k < 0) return 0;
    keys[0] = k;
    const KeyboardKey& key = keyboard.keys[k];
    const KeyLevel level = keyboard.levelByChar[c];
    if (level == KeyLevel::AltGr) {
        keys[1] = AltGrKey;
        return 2;
    }
    const bool shift = (level == KeyLevel::Shifted) != (capsOn && key.capsApplies);
    if (!shift) return 1;
    const uint8_t other =
        keyboard.keyByChar[onLeftHand(key.finger) ? RightShiftCode : LeftShiftCode];
    keys[1] = other;
    return 2;
}

int characterKeyOf(const KeyboardModel& keyboard, uint32_t scancode) {
    for (int k = 0; k < CharacterKeys && k < keyboard.keyCount; ++k)
        if (keyboard.keys[k].scancode == scancode && keyboard.keys[k].shown) return k;
    return -1;
}

const char* keyName(const KeyboardModel& keyboard, int key, char (&name)[8]) {
    const uint8_t c = key >= 0 && key < keyboard.keyCount ? keyboard.keys[key].lowerChar : '?';
    if (c == ' ') {
        std::snprintf(name, sizeof name, "Space");
    } else {
        std::snprintf(name, sizeof name, "%c", char(c));
    }
    return name;
}
