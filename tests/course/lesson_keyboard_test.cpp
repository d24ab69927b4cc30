#include "course/on_screen_keyboard.h"
#include "engine/composer.h"
#include "engine/display.h"
#include "tests/support/test_video.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

class Keyboard : public ::testing::Test {
  protected:
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();

    void SetUp() override {
        screen->video = &test.video();
        screen->keyboardScrollX = -40;
        screen->keyboardScrollY = -20;
        buildKeyboard(*screen);
    }
    TileCell cell(int map, int column, int row) const {
        return test.state->memory.maps[size_t(mapIndex(map, column, row))];
    }
    const SpriteEntry& sprite(int k) const { return test.state->memory.sprites[size_t(k)]; }
};

TEST_F(Keyboard, LooksUpCharactersAndControlCodes) {
    const int cases[][2] = {
        {'`', 0},  {'~', 0},  {'!', 1},  {')', 10}, {'Q', 13}, {'\\', 25}, {'|', 25},  {'a', 26},
        {';', 35}, {':', 35}, {'"', 36}, {'?', 46}, {' ', 47}, {8, 48},    {9, 49},    {12, 50},
        {10, 51},  {7, 52},   {11, 53},  {0, 0xFF}, {6, 0xFF}, {13, 0xFF}, {27, 0xFF}, {127, 0xFF},
    };
    for (const auto& each : cases) EXPECT_EQ(screen->keyByChar[each[0]], each[1]) << each[0];
    for (int c = 32; c <= 126; ++c) {
        const KeyboardKey& key = screen->keys[screen->keyByChar[c]];
        EXPECT_TRUE(key.lowerChar == c || key.upperChar == c) << "code " << c;
    }
}

// Catches a slip in the table: overlapping keys, gaps, a wrong scancode or Caps Lock flag.
TEST_F(Keyboard, KeysTileThePanelAndMatchTheirPhysicalKeys) {
    ASSERT_EQ(screen->keyCount, KeyCount);
    int covered[10][30] = {};
    for (int k = 0; k < KeyCount; ++k) {
        const KeyboardKey& key = screen->keys[k];
        ASSERT_LE(key.column + key.width, 30) << k;
        for (int row = key.row; row < key.row + key.height; ++row) {
            for (int column = key.column; column < key.column + key.width; ++column) {
                covered[row][column] += 1;
            }
        }
        const bool letter = key.lowerChar >= 'a' && key.lowerChar <= 'z';
        EXPECT_EQ(key.capsApplies, letter ? 1 : 0) << k;
        if (letter) {
            EXPECT_EQ(key.scancode, SDL_SCANCODE_A + uint32_t(key.lowerChar - 'a')) << k;
        }
        if (key.lowerChar >= '1' && key.lowerChar <= '9') {
            EXPECT_EQ(key.scancode, SDL_SCANCODE_1 + uint32_t(key.lowerChar - '1')) << k;
        }
    }
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 30; ++column) EXPECT_EQ(covered[row][column], 1);
    }
    const uint32_t specials[] = {SDL_SCANCODE_SPACE,    SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_TAB,
                                 SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_RETURN,    SDL_SCANCODE_LSHIFT,
                                 SDL_SCANCODE_RSHIFT};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(screen->keys[47 + i].scancode, specials[i]);
}

TEST_F(Keyboard, APressedKeySwapsItsFaceAndDropsItsLabelAPixel) {
    for (uint8_t pressed : {0, 1}) {
        screen->keys[25].pressed = pressed;  // backslash, three cells wide
        drawKey(*screen, 25, false, false);
        const int o = pressed * 3;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cell(2, 27 + i, 2), 0x8000 | (o + i));
            EXPECT_EQ(cell(2, 27 + i, 3), 0x8000 | (o + 16 + i));
        }
    }
    EXPECT_EQ(cell(1, 29, 3), 0x83FF);
    // The label layer is scrolled 3 pixels less than the panel: an unpressed label shows
    // at ((column + width) * 8 + 29, (row + 1) * 8 + 17), the pressed one a pixel lower.
    EXPECT_EQ(sprite(25).attributes, SpriteVisible | spriteTile('\\') | (3 * 8 + 17 + 1 + 32));
    EXPECT_EQ(sprite(25).placement, 0x0600u | ((27 + 3) * 8 + 29 + 32));

    screen->keys[25].pressed = 0;
    drawKey(*screen, 25, false, false);
    EXPECT_EQ(cell(1, 29, 3), 0x8000 | '\\');
    // Hidden, parked at the key's top-left corner on screen.
    EXPECT_EQ(sprite(25).attributes, 0x01FF0000u | (2 * 8 + 20 + 32));
    EXPECT_EQ(sprite(25).placement, 0x0600u | (27 * 8 + 40 + 32));

    drawKey(*screen, 47, false, false);  // the space bar: ten middle cells
    for (int column = 9; column <= 18; ++column) EXPECT_EQ(cell(2, column, 9), 0x8011);
    EXPECT_EQ(cell(2, 19, 9), 0x8012);
}

TEST_F(Keyboard, LabelsFollowShiftAndCapsLock) {
    struct Case {
        bool shift, caps;
        const char* shown;  // keys 2, 26, 35, 47
    };
    const Case cases[] = {
        {false, false, "2a; "}, {true, false, "@A: "}, {false, true, "2A; "}, {true, true, "@A: "}};
    for (uint8_t pressed : {0, 1}) {
        for (const Case& each : cases) {
            std::string shown;
            for (int k : {2, 26, 35, 47}) {
                const KeyboardKey& key = screen->keys[k];
                screen->keys[k].pressed = pressed;
                drawKey(*screen, k, each.shift, each.caps);
                shown += char(pressed ? spriteTileOf(sprite(k).attributes)
                                      : cellTile(cell(1, key.column + key.width - 1, key.row + 1)));
            }
            EXPECT_EQ(shown, each.shown);
        }
    }
}

TEST_F(Keyboard, TheCallbackCountsFramesAndDriftsTheTextBox) {
    screen->frameCounter = 599;
    test.memory().lineCallback = lessonRasterCallback;
    test.memory().lineCallbackData = screen.get();
    ASSERT_EQ(composeFrame(test.memory()), 1);
    EXPECT_EQ(screen->frameCounter, 600);
    EXPECT_EQ(test.memory().layers[3], 0x80000000u | 88u);  // 600 mod 512 from line 120
    lessonRasterCallback(test.memory(), 0, screen.get());
    EXPECT_EQ(test.memory().layers[3], 0x80000000u);
    lessonRasterCallback(test.memory(), 121, screen.get());
    EXPECT_EQ(test.memory().layers[3], 0x80000000u);

    screen->frameCounter = INT32_MAX;  // after a year and more the count wraps round
    lessonRasterCallback(test.memory(), 0, screen.get());
    EXPECT_EQ(screen->frameCounter, INT32_MIN);
}

}  // namespace
