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
    // What key k shows: its label cell while up, its sprite's tile while pressed.
    char label(int k) const {
        const KeyboardKey& key = screen->keys[k];
        if (key.pressed != 0) return char(spriteTileOf(sprite(k).attributes));
        return char(cellTile(cell(1, key.column + key.width - 1, key.row + 1)));
    }
};

TEST_F(Keyboard, LooksUpCharactersAndControlCodes) {
    struct Case {
        int code;
        int key;
    };
    const Case cases[] = {
        {'`', 0},  {'~', 0},   {'1', 1},   {'!', 1},   {'0', 10},  {')', 10},
        {'q', 13}, {'Q', 13},  {'\\', 25}, {'|', 25},  {'a', 26},  {';', 35},
        {':', 35}, {'\'', 36}, {'"', 36},  {'m', 43},  {'?', 46},  {' ', 47},
        {8, 48},   {9, 49},    {12, 50},   {10, 51},   {7, 52},    {11, 53},
        {0, 0xFF}, {6, 0xFF},  {13, 0xFF}, {27, 0xFF}, {31, 0xFF}, {127, 0xFF},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(screen->keyByChar[each.code], each.key) << "code " << each.code;
    }
    for (int c = 32; c <= 126; ++c) {
        const KeyboardKey& key = screen->keys[screen->keyByChar[c]];
        EXPECT_TRUE(key.lowerChar == c || key.upperChar == c) << "code " << c;
    }
}

TEST_F(Keyboard, RowsFillThePanelWithoutOverlap) {
    ASSERT_EQ(screen->keyCount, KeyCount);
    int covered[10][30] = {};
    for (int k = 0; k < KeyCount; ++k) {
        const KeyboardKey& key = screen->keys[k];
        EXPECT_EQ(key.height, 2);
        EXPECT_EQ(key.row % 2, 0);
        for (int row = key.row; row < key.row + key.height; ++row) {
            for (int column = key.column; column < key.column + key.width; ++column) {
                ASSERT_LT(column, 30) << k;
                covered[row][column] += 1;
            }
        }
    }
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 30; ++column) EXPECT_EQ(covered[row][column], 1);
    }
    EXPECT_EQ(screen->keys[47].column, 8);  // the space bar alone in the bottom row
    EXPECT_EQ(screen->keys[47].width, 12);
}

TEST_F(Keyboard, ScancodesAndCapsLockFollowThePhysicalKeys) {
    for (int k = 0; k < KeyCount; ++k) {
        const KeyboardKey& key = screen->keys[k];
        const bool letter = key.lowerChar >= 'a' && key.lowerChar <= 'z';
        EXPECT_EQ(key.capsApplies, letter ? 1 : 0) << k;
        if (letter) {
            EXPECT_EQ(key.scancode, uint32_t(SDL_SCANCODE_A + key.lowerChar - 'a'));
        }
        if (key.lowerChar >= '1' && key.lowerChar <= '9') {
            EXPECT_EQ(key.scancode, uint32_t(SDL_SCANCODE_1 + key.lowerChar - '1'));
        }
    }
    const SDL_Scancode specials[] = {
        SDL_SCANCODE_SPACE,  SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_TAB,   SDL_SCANCODE_CAPSLOCK,
        SDL_SCANCODE_RETURN, SDL_SCANCODE_LSHIFT,    SDL_SCANCODE_RSHIFT};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(screen->keys[47 + i].scancode, uint32_t(specials[i]));
    EXPECT_EQ(screen->keys[0].scancode, uint32_t(SDL_SCANCODE_GRAVE));
    EXPECT_EQ(screen->keys[36].scancode, uint32_t(SDL_SCANCODE_APOSTROPHE));
}

TEST_F(Keyboard, APressedKeySwapsItsFaceAndDropsItsLabelAPixel) {
    drawKey(*screen, 25, false, false);  // backslash, three cells wide
    const int faceUp[2][3] = {{0, 1, 2}, {16, 17, 18}};
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 3; ++i) EXPECT_EQ(cell(2, 27 + i, 2 + row), 0x8000 | faceUp[row][i]);
    }
    EXPECT_EQ(cell(1, 29, 3), 0x8000 | '\\');
    EXPECT_EQ(sprite(25).attributes & SpriteVisible, 0u);
    // The hidden sprite waits at the key's top-left corner on screen.
    EXPECT_EQ(sprite(25).attributes, 0x01FF0000u | uint32_t(2 * 8 + 20 + 32));
    EXPECT_EQ(sprite(25).placement, 0x0600u | uint32_t(27 * 8 + 40 + 32));

    screen->keys[25].pressed = 1;
    drawKey(*screen, 25, false, false);
    const int faceDown[2][3] = {{3, 4, 5}, {19, 20, 21}};
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 3; ++i) EXPECT_EQ(cell(2, 27 + i, 2 + row), 0x8000 | faceDown[row][i]);
    }
    EXPECT_EQ(cell(1, 29, 3), 0x83FF);
    // The label layer scrolls 3 pixels less, so an unpressed label shows at
    // ((column + width) * 8 + 29, (row + 1) * 8 + 17); the pressed one one pixel lower.
    const SpriteEntry& shown = sprite(25);
    EXPECT_NE(shown.attributes & SpriteVisible, 0u);
    EXPECT_EQ(spriteTileOf(shown.attributes), '\\');
    EXPECT_EQ(spriteWidthTiles(shown.attributes), 1);
    EXPECT_EQ(int(shown.placement & 0x1FF) - 32, (27 + 3) * 8 + 29);
    EXPECT_EQ(int(shown.attributes & 0x1FF) - 32, (2 + 1) * 8 + 17 + 1);
    EXPECT_EQ(shown.placement & 0xFE00, 0x0600u);  // priority, level 1, group 0
}

TEST_F(Keyboard, TheSpaceBarHasTenMiddleCells) {
    drawKey(*screen, 47, false, false);
    EXPECT_EQ(cell(2, 8, 8), 0x8000);
    for (int column = 9; column <= 18; ++column) {
        EXPECT_EQ(cell(2, column, 8), 0x8001);
        EXPECT_EQ(cell(2, column, 9), 0x8011);
    }
    EXPECT_EQ(cell(2, 19, 9), 0x8012);
}

TEST_F(Keyboard, LabelsFollowShiftAndCapsLock) {
    struct Case {
        bool shift, caps;
        char digitTwo, letterA, semicolon;
    };
    const Case cases[] = {
        {false, false, '2', 'a', ';'},
        {true, false, '@', 'A', ':'},
        {false, true, '2', 'A', ';'},
        {true, true, '@', 'A', ':'},
    };
    for (uint8_t pressed = 0; pressed < 2; ++pressed) {
        for (const Case& each : cases) {
            for (int k : {2, 26, 35, 47}) {
                screen->keys[k].pressed = pressed;
                drawKey(*screen, k, each.shift, each.caps);
            }
            EXPECT_EQ(label(2), each.digitTwo);
            EXPECT_EQ(label(26), each.letterA);
            EXPECT_EQ(label(35), each.semicolon);
            EXPECT_EQ(label(47), ' ');
        }
    }
}

TEST_F(Keyboard, TheCallbackCountsFramesAndDriftsTheTextBox) {
    screen->frameCounter = 599;
    test.memory().lineCallback = lessonRasterCallback;
    test.memory().lineCallbackData = screen.get();
    ASSERT_EQ(composeFrame(test.memory()), 1);
    EXPECT_EQ(screen->frameCounter, 600);
    EXPECT_EQ(test.memory().layers[3], 0x80000000u | 88u);  // 600 mod 512

    // Above line 120 the box is unscrolled; nothing else changes on other lines.
    lessonRasterCallback(test.memory(), 0, screen.get());
    EXPECT_EQ(test.memory().layers[3], 0x80000000u);
    lessonRasterCallback(test.memory(), 119, screen.get());
    lessonRasterCallback(test.memory(), 121, screen.get());
    EXPECT_EQ(test.memory().layers[3], 0x80000000u);
    EXPECT_EQ(screen->frameCounter, 601);

    screen->frameCounter = INT32_MAX;  // a counter running for over a year wraps round
    lessonRasterCallback(test.memory(), 0, screen.get());
    EXPECT_EQ(screen->frameCounter, INT32_MIN);
}

}  // namespace
