#include "course/lesson_screen.h"
#include "course/on_screen_keyboard.h"
#include "engine/display.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const LessonScreen& screen) {
    Lines lines;
    for (const char* line : screen.lines) lines.emplace_back(line);
    return lines;
}

Lines makeLines(const std::vector<const char*>& words, uint32_t seed) {
    auto screen = std::make_unique<LessonScreen>();
    std::mt19937 random(seed);
    makeWordLines(*screen, words.data(), int32_t(words.size()), random);
    return linesOf(*screen);
}

// Splits a line at its spaces; an entry may hold spaces itself, so callers compare against
// lists whose entries have none.
std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1) {
        words.push_back(line.substr(start, space - start));
    }
    words.push_back(line.substr(start));
    return words;
}

TEST(WordLines, FillTheBudgetUntilNoEntryCouldFitAnyMore) {
    const std::vector<const char*> words = {"a", "sad", "lass", "fall", "ad", "flask"};
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        for (const std::string& line : makeLines(words, seed)) {
            // The shortest entry has one character: a line stops with 1 or 2 of 36 left.
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
            EXPECT_NE(line.front(), ' ');
            EXPECT_NE(line.back(), ' ');
            for (const std::string& word : wordsOf(line)) {
                EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << line;
            }
        }
    }
}

TEST(WordLines, OneEntryRepeatsToTheBudget) {
    EXPECT_EQ(makeLines({"abc"}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    // 34 characters fit a line on their own; 35 never do.
    const char* longest = "abcdefghijklmnopqrstuvwxyzABCDEFGH";
    EXPECT_EQ(makeLines({longest}, 7), Lines(10, longest));
}

TEST(WordLines, ALongEntryStandsAloneAndAnOverlongOneIsNeverPlaced) {
    const char* loop = "for (x=0; x<10; x++) { runMe(); }";  // 33 characters
    const char* overlong = "if (lines > 0) { printf(\"%d lines\\n\", lines); }";
    const std::vector<const char*> words = {"int", "char", "x = y;", loop, overlong, "a[i]"};
    int alone = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        for (const std::string& line : makeLines(words, seed)) {
            EXPECT_EQ(line.find(overlong), std::string::npos);
            EXPECT_LE(line.size(), 35u);
            if (line.find(loop) != std::string::npos) {
                EXPECT_EQ(line, loop);
                ++alone;
            }
        }
    }
    EXPECT_GT(alone, 0);
}

TEST(WordLines, TheSameSeedGivesTheSameLines) {
    const std::vector<const char*> words = {"a", "sad", "lass", "fall", "ad", "flask"};
    EXPECT_EQ(makeLines(words, 1700000000), makeLines(words, 1700000000));
    EXPECT_NE(makeLines(words, 1700000000), makeLines(words, 1700000001));
}

TEST(WordLines, NothingToPlaceGivesEmptyLinesWithoutADraw) {
    const char* tooLong = "abcdefghijklmnopqrstuvwxyzABCDEFGHI";  // 35 characters
    struct Case {
        std::vector<const char*> words;
        int32_t count;
    };
    const Case cases[] = {{{}, 0}, {{"a", "b"}, 0}, {{"a", "b"}, -3}, {{tooLong, tooLong}, 2}};
    for (const Case& each : cases) {
        auto screen = std::make_unique<LessonScreen>();
        std::memset(screen->lines, 'x', sizeof screen->lines);
        std::mt19937 random(5);
        makeWordLines(*screen, each.words.data(), each.count, random);
        EXPECT_EQ(linesOf(*screen), Lines(10, ""));
        EXPECT_EQ(random, std::mt19937(5)) << "count " << each.count;
    }
}

class LessonScreenSetUp : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    const char* script[2] = {"e", nullptr};
    std::vector<const char*> words = {"a", "sad", "lass", "fall", "ad", "flask", "as"};

    void SetUp() override { installVirtualHost(clock); }
    void TearDown() override { restoreHost(); }
    void setUp(const char* title = "Lesson 1: Home Row Left") {
        setUpLessonScreen(test.video(), *screen, words.data(), int32_t(words.size()), title,
                          script);
    }
    TileCell cell(int map, int column, int row) const {
        return test.state->memory.maps[size_t(mapIndex(map, column, row))];
    }
};

TEST_F(LessonScreenSetUp, LinesFollowTheCalendarSecond) {
    setUp();
    const Lines first = linesOf(*screen);
    std::memset(screen->lines, 0, sizeof screen->lines);
    setUp();
    EXPECT_EQ(linesOf(*screen), first);
    clock.calendarSeconds += 1;
    setUp();
    EXPECT_NE(linesOf(*screen), first);
}

TEST_F(LessonScreenSetUp, FillsEveryFieldOfAReusedRecord) {
    std::memset(screen.get(), 0xA5, sizeof(LessonScreen));
    test.memory().lineCallback = nullptr;
    setUp();
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
    // Nothing is switched on: the run does that.
    for (LayerWord word : test.memory().layers) EXPECT_EQ(word, 0u);
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
    struct Expected {
        int column, row;
        TileCell value;
    };
    const Expected panel[] = {
        {0, 63, 0x8017},  {29, 63, 0x8017}, {0, 10, 0x8008}, {29, 10, 0x8008}, {63, 0, 0x8018},
        {63, 9, 0x8018},  {30, 0, 0xC018},  {30, 9, 0xC018}, {63, 63, 0x8016}, {30, 63, 0xC016},
        {63, 10, 0xC009}, {30, 10, 0x8009}, {31, 5, 0x03FF}, {62, 5, 0x03FF},  {0, 11, 0x03FF},
        {0, 8, 0x8019},   {29, 9, 0x8019},  // beside the space bar there is bare panel
    };
    for (const Expected& each : panel) {
        EXPECT_EQ(cell(2, each.column, each.row), each.value) << each.column << "," << each.row;
    }
    const std::string title = "Lesson 1: Home Row Left";
    for (size_t i = 0; i < title.size(); ++i) {
        EXPECT_EQ(cell(2, int(i), 62), 0x8000 | uint8_t(title[i]));
    }
    EXPECT_EQ(cell(2, int(title.size()), 62), 0x03FF);
}

TEST_F(LessonScreenSetUp, AnOverlongTitleStopsAtTheScreenEdge) {
    const char* title = "Lesson 11: A Title Far Too Long For The Screen, Which Would Wrap";
    setUp(title);
    EXPECT_EQ(cell(2, 34, 62), 0x8000 | title[34]);
    for (int column = 35; column < MapSide; ++column) EXPECT_EQ(cell(2, column, 62), 0x03FF);
}

}  // namespace
