// The lesson screen before it runs: word lines, set-up, and the on-screen keyboard.
#include "course/lesson_screen.h"
#include "course/on_screen_keyboard.h"
#include "engine/composer.h"
#include "engine/display.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
const std::vector<const char*> HomeRow = {"a", "sad", "lass", "fall", "ad", "flask"};

Lines makeLines(const std::vector<const char*>& words, uint32_t seed, int32_t count = INT32_MAX) {
    auto screen = std::make_unique<LessonScreen>();
    std::memset(screen->lines, 'x', sizeof screen->lines);
    std::mt19937 random(seed);
    makeWordLines(*screen, words.data(), count == INT32_MAX ? int32_t(words.size()) : count,
                  random);
    const Lines lines(screen->lines, screen->lines + LineCount);
    EXPECT_EQ(random == std::mt19937(seed), lines[0].empty());  // no draw for empty lines
    return lines;
}

TEST(WordLines, FillTheBudgetUntilNoEntryCouldFitAnyMore) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        for (const std::string& line : makeLines(HomeRow, seed)) {
            // The shortest entry has one character: a line stops with 1 or 2 of 36 left.
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
            EXPECT_TRUE(line.front() != ' ' && line.back() != ' ' && line.find("  ") > 35);
            for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
                end = line.find(' ', start);
                const std::string word = line.substr(start, end - start);
                EXPECT_NE(std::find(HomeRow.begin(), HomeRow.end(), word), HomeRow.end());
            }
        }
    }
    EXPECT_EQ(makeLines({"abc"}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    EXPECT_NE(makeLines(HomeRow, 1700000000), makeLines(HomeRow, 1700000001));
}

TEST(WordLines, ALongEntryStandsAloneAndAnOverlongOneIsNeverPlaced) {
    const char* loop = "for (x=0; x<10; x++) { runMe(); }";  // 33 characters
    const char* overlong = "if (lines > 0) { printf(\"%d lines\\n\", lines); }";
    const std::vector<const char*> words = {"int", "char", "x = y;", loop, overlong, "a[i]"};
    int alone = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        for (const std::string& line : makeLines(words, seed)) {
            EXPECT_EQ(line.find(overlong), std::string::npos);
            if (line.find(loop) != std::string::npos) alone += line == loop ? 1 : 1000;
        }
    }
    EXPECT_TRUE(alone > 0 && alone < 1000) << alone;
    const char* fits = "abcdefghijklmnopqrstuvwxyzABCDEFGH";  // 34 characters: alone on a line
    EXPECT_EQ(makeLines({fits}, 7), Lines(10, fits));
    // Nothing to place gives empty lines without a draw.
    const char* tooLong = "abcdefghijklmnopqrstuvwxyzABCDEFGHI";  // 35 characters
    EXPECT_EQ(makeLines({}, 5, 0), Lines(10, ""));
    EXPECT_EQ(makeLines(HomeRow, 5, -3), Lines(10, ""));
    EXPECT_EQ(makeLines({tooLong, tooLong}, 5), Lines(10, ""));
}

TEST(LessonScreen, SetUpDrawsLinesOfTheCalendarSecondAndCutsTheTitleAtTheScreenEdge) {
    VirtualHost clock;
    installVirtualHost(clock);
    TestVideo test;
    auto screen = std::make_unique<LessonScreen>();
    std::memset(screen.get(), 0xA5, sizeof(LessonScreen));  // a reused record
    const char* script[] = {"e", nullptr};
    auto setUp = [&](const char* title) {
        setUpLessonScreen(test.video(), *screen, HomeRow.data(), int32_t(HomeRow.size()), title,
                          script);
        return Lines(screen->lines, screen->lines + LineCount);
    };
    const Lines first = setUp("Lesson 1: Home Row Left");
    EXPECT_EQ(first, makeLines(HomeRow, 1700000000));
    EXPECT_EQ(screen->frameCounter, 0);
    EXPECT_EQ(screen->keyCount, KeyCount);
    for (int k = 0; k < KeyCount; ++k) EXPECT_EQ(screen->keys[k].pressed, 0) << k;
    EXPECT_EQ(test.memory().lineCallbackData, screen.get());
    EXPECT_EQ(setUp("Lesson 1: Home Row Left"), first);
    clock.calendarSeconds += 1;
    EXPECT_NE(setUp("Lesson 1: Home Row Left"), first);

    // A title past the screen's right edge would wrap round to its left: it is cut there.
    const char* title = "Lesson 11: A Title Far Too Long For The Screen, Which Would Wrap";
    setUp(title);
    auto cell = [&](int column) { return test.memory().maps[size_t(mapIndex(2, column, 62))]; };
    EXPECT_EQ(cell(0), 0x8000 | title[0]);
    EXPECT_EQ(cell(34), 0x8000 | title[34]);
    for (int column = 35; column < MapSide; ++column) EXPECT_EQ(cell(column), 0x03FF);
    restoreHost();
}

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

// Catches a slip in the key table or the lookup: a character on the wrong key, a wrong
// scancode or Caps Lock flag. (The keys' places on the panel show in the golden frames.)
TEST_F(Keyboard, CharactersAndControlCodesFindTheirKeys) {
    ASSERT_EQ(screen->keyCount, KeyCount);
    const int cases[][2] = {{' ', 47}, {7, 52},    {8, 48},     {9, 49},     {10, 51},    {11, 53},
                            {12, 50},  {0, NoKey}, {13, NoKey}, {27, NoKey}, {127, NoKey}};
    for (const auto& each : cases) EXPECT_EQ(screen->keyByChar[each[0]], each[1]) << each[0];
    for (int c = 33; c <= 126; ++c) {
        const KeyboardKey& key = screen->keys[screen->keyByChar[c]];
        EXPECT_TRUE(key.lowerChar == c || key.upperChar == c) << "code " << c;
    }
    // Letters and digits sit on their own physical keys; Caps Lock applies to the letters.
    for (int k = 0; k < KeyCount; ++k) {
        const int c = screen->keys[k].lowerChar;
        const bool letter = c >= 'a' && c <= 'z';
        EXPECT_EQ(screen->keys[k].capsApplies, letter ? 1 : 0) << c;
        if (letter || (c >= '1' && c <= '9')) {
            EXPECT_EQ(screen->keys[k].scancode, letter ? SDL_SCANCODE_A + uint32_t(c - 'a')
                                                       : SDL_SCANCODE_1 + uint32_t(c - '1'))
                << c;
        }
    }
    const uint32_t specials[] = {SDL_SCANCODE_SPACE,    SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_TAB,
                                 SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_RETURN,    SDL_SCANCODE_LSHIFT,
                                 SDL_SCANCODE_RSHIFT};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(screen->keys[47 + i].scancode, specials[i]);
}

TEST_F(Keyboard, APressedKeySwapsItsFaceAndDropsItsLabelAPixel) {
    // Unpressed, the label is a cell of the label layer, and the key's sprite is hidden,
    // parked at the key's top-left corner on screen. The label layer is scrolled 3 pixels
    // less than the panel: a label shows at ((column + width) * 8 + 29, (row + 1) * 8 + 17);
    // pressed, the sprite shows it a pixel lower.
    const uint32_t sprites[2][2] = {
        {0x01FF0000u | (2 * 8 + 20 + 32), 0x0600u | (27 * 8 + 40 + 32)},
        {SpriteVisible | spriteTile('\\') | (3 * 8 + 17 + 1 + 32), 0x0600u | (30 * 8 + 29 + 32)}};
    for (uint8_t pressed : {0, 1}) {
        screen->keys[25].pressed = pressed;  // backslash, three cells wide
        drawKey(*screen, 25, false, false);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cell(2, 27 + i, 2), 0x8000 | (pressed * 3 + i));
            EXPECT_EQ(cell(2, 27 + i, 3), 0x8000 | (pressed * 3 + 16 + i));
        }
        EXPECT_EQ(cell(1, 29, 3), pressed ? 0x83FF : 0x8000 | '\\');
        EXPECT_EQ(sprite(25).attributes, sprites[pressed][0]);
        EXPECT_EQ(sprite(25).placement, sprites[pressed][1]);
    }
    drawKey(*screen, 47, false, false);  // the space bar: ten middle cells
    for (int column = 9; column <= 18; ++column) EXPECT_EQ(cell(2, column, 9), 0x8011);
    EXPECT_EQ(cell(2, 19, 9), 0x8012);
}

TEST_F(Keyboard, LabelsFollowShiftAndCapsLockPressedOrNot) {
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
