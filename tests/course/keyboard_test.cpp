// The keyboard model: the finger of every physical key, and the keys an ISO keyboard adds
// where the learner's layout uses them.
#include "course/keyboard/keyboard_model.h"
#include "testing/virtual_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The standard assignment, finger by finger, by the keys' US places; the ISO key beside left
// Shift and the one beside Return (which systems report as backslash or non-US hash) included.
TEST(FingerMap, EveryKeyBelongsToItsFingerOnAnsiAndIsoKeyboards) {
    struct Row {
        Finger finger;
        std::vector<SDL_Scancode> keys;
    };
    const Row rows[] = {
        {Finger::LeftLittle,
         {SDL_SCANCODE_GRAVE, SDL_SCANCODE_1, SDL_SCANCODE_Q, SDL_SCANCODE_A, SDL_SCANCODE_Z,
          SDL_SCANCODE_TAB, SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_LSHIFT,
          SDL_SCANCODE_NONUSBACKSLASH}},
        {Finger::LeftRing, {SDL_SCANCODE_2, SDL_SCANCODE_W, SDL_SCANCODE_S, SDL_SCANCODE_X}},
        {Finger::LeftMiddle, {SDL_SCANCODE_3, SDL_SCANCODE_E, SDL_SCANCODE_D, SDL_SCANCODE_C}},
        {Finger::LeftIndex,
         {SDL_SCANCODE_4, SDL_SCANCODE_5, SDL_SCANCODE_R, SDL_SCANCODE_T, SDL_SCANCODE_F,
          SDL_SCANCODE_G, SDL_SCANCODE_V, SDL_SCANCODE_B}},
        {Finger::RightIndex,
         {SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_H,
          SDL_SCANCODE_J, SDL_SCANCODE_N, SDL_SCANCODE_M}},
        {Finger::RightMiddle, {SDL_SCANCODE_8, SDL_SCANCODE_I, SDL_SCANCODE_K, SDL_SCANCODE_COMMA}},
        {Finger::RightRing, {SDL_SCANCODE_9, SDL_SCANCODE_O, SDL_SCANCODE_L, SDL_SCANCODE_PERIOD}},
        {Finger::RightLittle,
         {SDL_SCANCODE_0, SDL_SCANCODE_MINUS, SDL_SCANCODE_EQUALS, SDL_SCANCODE_P,
          SDL_SCANCODE_LEFTBRACKET, SDL_SCANCODE_RIGHTBRACKET, SDL_SCANCODE_BACKSLASH,
          SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_SEMICOLON, SDL_SCANCODE_APOSTROPHE,
          SDL_SCANCODE_SLASH, SDL_SCANCODE_RETURN, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_BACKSPACE}},
        {Finger::Thumbs, {SDL_SCANCODE_SPACE}},
        {Finger::RightThumb, {SDL_SCANCODE_RALT}},
        {Finger::None, {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_KP_1, SDL_SCANCODE_LCTRL}},
    };
    int assigned = 0;
    for (const Row& row : rows) {
        for (SDL_Scancode key : row.keys) {
            EXPECT_EQ(fingerOf(key), row.finger) << SDL_GetScancodeName(key);
            assigned += row.finger != Finger::None;
        }
    }
    // Every key the on-screen keyboard has is somebody's, and the keyboard carries it.
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    ASSERT_EQ(keyboard.keyCount, KeyCount);
    for (int k = 0; k < KeyCount; ++k) {
        EXPECT_NE(keyboard.keys[k].finger, Finger::None) << k;
        EXPECT_EQ(keyboard.keys[k].finger, fingerOf(keyboard.keys[k].scancode)) << k;
    }
    EXPECT_EQ(assigned, KeyCount + 1);  // and the non-US hash key, which it shows as backslash
    // Mirrored fingers share a hue, and each hand has its own.
    const int hues[] = {0, 1, 2, 3, 3, 2, 1, 0, 4, 4};
    for (int f = 0; f < 10; ++f) {
        EXPECT_EQ(fingerHue(Finger(f)), hues[f]) << f;
        EXPECT_EQ(onLeftHand(Finger(f)), f < 4) << f;
    }
}

// The ISO key shows, labelled and with a narrower left Shift, only where it types a character
// no other key does; AltGr shows where a character needs it; "<" is found on its key and level.
TEST(IsoKeyboards, TheExtraKeyAndAltGrShowWhereTheLayoutUsesThem) {
    struct Case {
        const SimulatedLayout* layout;
        bool iso, altGr;
        const char* isoLabels;  // lower and upper
        SDL_Scancode lessThan;
        KeyLevel level;
    };
    const Case cases[] = {
        {&usLayout(), false, false, "  ", SDL_SCANCODE_COMMA, KeyLevel::Shifted},
        {&dvorakLayout(), false, false, "<>", SDL_SCANCODE_W, KeyLevel::Shifted},
        {&germanLayout(), true, true, "<>", SDL_SCANCODE_NONUSBACKSLASH, KeyLevel::Alone},
        {&frenchLayout(), true, true, "<>", SDL_SCANCODE_NONUSBACKSLASH, KeyLevel::Alone},
    };
    for (const Case& c : cases) {
        VirtualHost clock;
        clock.layout = c.layout;
        installVirtualHost(clock);
        KeyboardModel keyboard{};
        buildKeyboard(keyboard);
        readKeyboardLayout(keyboard);
        restoreHost();
        const KeyboardKey& iso = keyboard.keys[IsoKey];
        const KeyboardKey& leftShift = keyboard.keys[keyboard.keyByChar[LeftShiftCode]];
        const KeyboardKey& z = keyboard.keys[37];  // the first of its row's letters
        const std::string name = std::string(1, char(keyboard.keys[13].lowerChar));
        EXPECT_EQ(iso.shown, c.iso) << name;
        EXPECT_EQ(std::string({char(iso.lowerChar), char(iso.upperChar)}), c.isoLabels) << name;
        EXPECT_EQ(leftShift.column + leftShift.width, c.iso ? iso.column : z.column) << name;
        EXPECT_EQ(iso.column + iso.width, z.column);
        EXPECT_EQ(keyboard.keys[AltGrKey].shown, c.altGr) << name;
        const int k = characterKey(keyboard, '<');
        ASSERT_GE(k, 0) << name;
        EXPECT_EQ(keyboard.keys[k].scancode, uint32_t(c.lessThan)) << name;
        EXPECT_EQ(keyboard.levelByChar[size_t('<')], c.level) << name;
        // A hidden key is no key: it is not found by its scancode.
        EXPECT_EQ(characterKeyOf(keyboard, SDL_SCANCODE_NONUSBACKSLASH), c.iso ? IsoKey : -1);
    }
}

}  // namespace
