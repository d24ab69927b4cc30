#include "course/lesson_screen.h"
#include "course/on_screen_keyboard.h"
#include "engine/display.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(makeLines(HomeRow, 1700000000), makeLines(HomeRow, 1700000000));
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
}

TEST(WordLines, NothingToPlaceGivesEmptyLinesWithoutADraw) {
    const char* tooLong = "abcdefghijklmnopqrstuvwxyzABCDEFGHI";  // 35 characters
    EXPECT_EQ(makeLines({}, 5, 0), Lines(10, ""));
    EXPECT_EQ(makeLines(HomeRow, 5, 0), Lines(10, ""));
    EXPECT_EQ(makeLines(HomeRow, 5, -3), Lines(10, ""));
    EXPECT_EQ(makeLines({tooLong, tooLong}, 5), Lines(10, ""));
}

class LessonScreenSetUp : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    const char* script[2] = {"e", nullptr};

    void SetUp() override { installVirtualHost(clock); }
    void TearDown() override { restoreHost(); }
    void setUp(const char* title = "Lesson 1: Home Row Left") {
        setUpLessonScreen(test.video(), *screen, HomeRow.data(), int32_t(HomeRow.size()), title,
                          script);
    }
    TileCell cell(int map, int column, int row) const {
        return test.state->memory.maps[size_t(mapIndex(map, column, row))];
    }
};

TEST_F(LessonScreenSetUp, FillsAReusedRecordWithLinesOfTheCalendarSecond) {
    std::memset(screen.get(), 0xA5, sizeof(LessonScreen));
    setUp();
    const Lines first(screen->lines, screen->lines + LineCount);
    EXPECT_EQ(first, makeLines(HomeRow, 1700000000));
    setUp();
    EXPECT_EQ(Lines(screen->lines, screen->lines + LineCount), first);
    clock.calendarSeconds += 1;
    setUp();
    EXPECT_NE(Lines(screen->lines, screen->lines + LineCount), first);

    EXPECT_EQ(screen->video, &test.video());
    EXPECT_EQ(screen->keyCount, KeyCount);
    EXPECT_EQ(screen->frameCounter, 0);
    EXPECT_EQ(screen->script, script);
    EXPECT_EQ(screen->keyboardScrollX, -40);
    EXPECT_EQ(screen->keyboardScrollY, -20);
    EXPECT_EQ(test.memory().lineCallback, &lessonRasterCallback);
    EXPECT_EQ(test.memory().lineCallbackData, screen.get());
    for (int k = 0; k < KeyCount; ++k) {
        EXPECT_EQ(screen->keys[k].pressed, 0);
        EXPECT_EQ(test.memory().sprites[size_t(k)].attributes & SpriteVisible, 0u) << k;
    }
    for (LayerWord word : test.memory().layers) EXPECT_EQ(word, 0u);  // the run switches on
}

TEST_F(LessonScreenSetUp, DrawsThePanelTextBoxAndTitle) {
    test.memory().maps.fill(0x1234);
    setUp();
    for (int row = 0; row < MapSide; ++row) {
        for (int column = 0; column < MapSide; ++column) {
            ASSERT_EQ(cell(0, column, row), 0x03FF);
            const TileCell box = row == 15 ? 0x800A : row >= 16 && row <= 23 ? 0x800B : 0x03FF;
            ASSERT_EQ(cell(3, column, row), box) << column << "," << row;
        }
    }
    // The frame wraps round the map's edges: column 63 and row 63 lie left of and above 0.
    const int panel[][3] = {{0, 63, 0x8017},  {29, 10, 0x8008}, {63, 0, 0x8018},  {30, 9, 0xC018},
                            {63, 63, 0x8016}, {30, 63, 0xC016}, {63, 10, 0xC009}, {30, 10, 0x8009},
                            {0, 8, 0x8019},   {29, 9, 0x8019},  {31, 5, 0x03FF},  {0, 11, 0x03FF}};
    for (const auto& each : panel) EXPECT_EQ(cell(2, each[0], each[1]), each[2]);
    const std::string title = "Lesson 1: Home Row Left";
    for (size_t i = 0; i < title.size(); ++i) EXPECT_EQ(cell(2, int(i), 62), 0x8000 | title[i]);
    EXPECT_EQ(cell(2, int(title.size()), 62), 0x03FF);

    // A title past the screen's right edge would wrap round to its left: it is cut there.
    const char* longTitle = "Lesson 11: A Title Far Too Long For The Screen, Which Would Wrap";
    setUp(longTitle);
    EXPECT_EQ(cell(2, 34, 62), 0x8000 | longTitle[34]);
    for (int column = 35; column < MapSide; ++column) EXPECT_EQ(cell(2, column, 62), 0x03FF);
}

}  // namespace
