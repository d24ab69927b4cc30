// Word lines: whole entries of a word list within a line's budget, drawn from the seed.
#include "course/lesson/lesson_screen.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

Lines makeLines(const std::vector<const char*>& words, uint32_t seed) {
    WordLines lines;
    std::mt19937 random(seed);
    makeWordLines(lines, words.data(), int32_t(words.size()), random);
    EXPECT_EQ(random == std::mt19937(seed), lines[0][0] == 0);  // no draw for nothing
    return Lines(lines, lines + LineCount);
}

TEST(WordLines, FillTheBudgetWithWholeEntriesDrawnFromTheSeed) {
    const std::vector<const char*> homeRow = {"a", "sad", "lass", "fall", "ad", "flask"};
    // The shortest entry has one character: a line stops with 1 or 2 of 36 left. (That a line
    // is whole entries within its budget, whatever the entries, is the word-line fuzzer's.)
    for (uint32_t seed = 1; seed <= 40; ++seed)
        for (const std::string& line : makeLines(homeRow, seed))
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
    EXPECT_EQ(makeLines({"", "abc", ""}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGH", "a"}, 7)[0].size(), 34u);  // alone
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGHI"}, 5), Lines(10, ""));  // 35: never
    Lesson lesson;  // set-up seeds the lines from the host's calendar seconds each time
    for (int64_t second : {1700000000, 1700000001}) {
        lesson.clock.calendarSeconds = second;
        setUpLessonScreen(lesson.test.video(), *lesson.screen, homeRow.data(), 6, "", nullptr);
        EXPECT_EQ(Lines(lesson.screen->lines, lesson.screen->lines + LineCount),
                  makeLines(homeRow, uint32_t(second)));
    }
}

}  // namespace
