#include "course/content/lesson_places.h"

#include "course/common/screen_text.h"

namespace {

// The ten lessons' new keys by their US characters: the row halves split where the hands
// meet, the right ones to the row's end (so the home row's right half holds the keys right of
// L, and the number row is a lesson of its own), and the key left of Enter with the sentence
// punctuation.
constexpr const char* Places[LessonCount] = {
    "asdfg", "qwert", "hjkl;'", "yuiop[]", "zxcvb", "nm,./", "", "`1234567890-=", "\\", "",
};

}  // namespace

const char* lessonPlaces(int lesson) {
    return lesson >= 0 && lesson < LessonCount ? Places[lesson] : "";
}

CharacterSet lessonCharacters(const KeyboardModel& keyboard, int lesson) {
    CharacterSet found{};
    // Per key: 1 while its characters alone are taught, 2 with Shift, 3 with AltGr too.
    int levels[CharacterKeys] = {};
    const int taught = lesson >= AltGrLesson ? 3 : lesson >= ShiftLesson ? 2 : 1;
    for (int l = 0; l <= lesson && l < LessonCount; ++l) {
        for (const char* c = Places[l]; *c != '\0'; ++c) {
            const int key = characterKey(usKeyboard(), uint8_t(*c));
            if (key >= 0) levels[key] = taught;
        }
    }
    levels[SpaceBarKey] = 1;
    found[size_t(' ')] = true;
    for (int k = 0; k < CharacterKeys && k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        const uint8_t characters[3] = {key.lowerChar, key.upperChar, key.altGrChar};
        for (int level = 0; level < levels[k]; ++level) {
            const uint8_t c = characters[level];
            if (c != ' ' && c != UnknownCharacter) found[c] = true;
        }
    }
    for (int c = 0xC0; c < 0x100; ++c) {
        uint8_t accent = 0, letter = 0;
        int level = 0;
        if (found[size_t(c)] || !letterWithAccent(uint8_t(c), accent, letter)) continue;
        const int dead = deadKeyOf(keyboard, accent, level);
        found[size_t(c)] = dead >= 0 && level < levels[dead] && found[letter];
    }
    return found;
}

bool madeOf(const std::string& entry, const CharacterSet& characters) {
    for (char c : entry)
        if (!characters[uint8_t(c)]) return false;
    return true;
}
