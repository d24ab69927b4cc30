// The keyboard model's dead keys: which letters an accent key writes on the layout, and the
// keys a learner presses for them.
#include "course/keyboard/keyboard_model.h"

int deadKeysToType(const KeyboardModel& keyboard, uint8_t c, bool capsOn, int (&keys)[4],
                   int& first) {
    first = 0;
    uint8_t accent = 0, letter = 0;
    int level = 0;
    if (characterKey(keyboard, c) >= 0 || !letterWithAccent(c, accent, letter)) return 0;
    const int dead = deadKeyOf(keyboard, accent, level);
    int letterKeys[2] = {-1, -1};
    const int letterCount = keysToType(keyboard, letter, capsOn, letterKeys);
    if (dead < 0 || letterCount == 0) return 0;
    keys[0] = dead;
    first = 1;
    if (level == 2) {
        keys[first++] = AltGrKey;
    } else if (level == 1) {
        keys[first++] =
            keyboard
                .keyByChar[onLeftHand(keyboard.keys[dead].finger) ? RightShiftCode : LeftShiftCode];
    }
    for (int i = 0; i < letterCount; ++i) keys[first + i] = letterKeys[i];
    return first + letterCount;
}

bool letterWithAccent(uint8_t c, uint8_t& accent, uint8_t& letter) {
    // Per accent, the letters it makes of "aeiouyAEIOUYn N" in that order; '.' for none.
    constexpr struct {
        uint8_t accent;
        const char* letters;
    } Accented[] = {
        {'`', "\xE0\xE8\xEC\xF2\xF9.\xC0\xC8\xCC\xD2\xD9..."},
        {0xB4, "\xE1\xE9\xED\xF3\xFA\xFD\xC1\xC9\xCD\xD3\xDA\xDD.."},
        {'^', "\xE2\xEA\xEE\xF4\xFB.\xC2\xCA\xCE\xD4\xDB..."},
        {0xA8, "\xE4\xEB\xEF\xF6\xFC\xFF\xC4\xCB\xCF\xD6\xDC..."},
        {'~', "\xE3..\xF5..\xC3..\xD5..\xF1\xD1"},
    };
    constexpr const char* Letters = "aeiouyAEIOUYnN";
    for (const auto& each : Accented) {
        for (int i = 0; Letters[i] != '\0'; ++i) {
            if (uint8_t(each.letters[i]) != c || each.letters[i] == '.') continue;
            accent = each.accent;
            letter = uint8_t(Letters[i]);
            return true;
        }
    }
    return false;
}

int deadKeyOf(const KeyboardModel& keyboard, uint8_t accent, int& level) {
    for (int k = 0; k < CharacterKeys && k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        const uint8_t levels[3] = {key.lowerChar, key.upperChar, key.altGrChar};
        for (level = 0; level < 3; ++level)
            if ((key.deadLevels & (1 << level)) != 0 && levels[level] == accent) return k;
    }
    level = 0;
    return -1;
}

bool canType(const KeyboardModel& keyboard, uint8_t c) {
    if (characterKey(keyboard, c) >= 0) return true;
    uint8_t accent = 0, letter = 0;
    int level = 0;
    return letterWithAccent(c, accent, letter) && deadKeyOf(keyboard, accent, level) >= 0 &&
           characterKey(keyboard, letter) >= 0;
}
