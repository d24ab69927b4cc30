// Whole lessons as a learner does them at a real keyboard: read each line off the screen,
// type it with a few wrong keys, read the results, go back to the menu, find the best time
// there and on disk, and again after a restart.
#include "tests/real_window/real_window_test.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

struct LessonCase {
    int number;
    const char* what;
};

void PrintTo(const LessonCase& lesson, std::ostream* out) {
    *out << "lesson " << lesson.number << " (" << lesson.what << ")";
}

class LessonTest : public RealWindowTest, public ::testing::WithParamInterface<LessonCase> {};

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t record(const std::vector<uint8_t>& bytes, int index) {
    const size_t at = size_t(index) * 4;
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

std::string bestTimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    return text;
}

TEST_P(LessonTest, TypedWithMistakesItEndsInResultsAndABestTimeThatLasts) {
    const int number = GetParam().number;
    ASSERT_NO_FATAL_FAILURE(openScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(chooseLesson(session, number));
    EXPECT_EQ(selectedBestTime(look(session), session.styles), "Best Time: --:--");
    ASSERT_TRUE(reachExercise(session, number));

    // Every third line gets one wrong key: the other character of the key that was due,
    // as when Shift is forgotten or held too long.
    int characters = 0;
    int mistakes = 0;
    for (int line = 0; line < 10; ++line) {
        const std::string text = lineToType(look(session), session.styles);
        ASSERT_GE(text.size(), 2u) << "line " << line;
        const int wrongBefore = line % 3 == 1 ? int(text.size() / 2) : -1;
        std::string problem;
        ASSERT_TRUE(typeLine(session, text, wrongBefore, line == 9, problem))
            << "line " << line << ": " << problem;
        characters += int(text.size());
        mistakes += wrongBefore >= 0 ? 1 : 0;
    }

    const LessonResults results = readResults(look(session), session.styles);
    ASSERT_TRUE(results.shown) << results.text;
    EXPECT_EQ(results.errors, mistakes) << results.text;
    ASSERT_GT(results.seconds, 0) << results.text;
    EXPECT_EQ(results.wordsPerMinute, 60 * characters / (5 * results.seconds)) << results.text;

    // Enter goes back to the menu, which shows the new best time.
    ASSERT_TRUE(pressKeys(session.x, {"Return"}));
    const std::string expectedTime = bestTimeText(results.seconds);
    EXPECT_TRUE(waitToSee(session,
                          [&](const Picture& picture) {
                              return selectedBestTime(picture, session.styles) == expectedTime;
                          }))
        << "the menu never showed " << expectedTime;

    const std::vector<uint8_t> bytes = fileBytes(session.program.bestTimesFile);
    ASSERT_EQ(bytes.size(), 40u);
    for (int row = 0; row < 10; ++row) {
        const uint32_t expected = row == number - 1 ? 0x80000000u | uint32_t(results.seconds) : 0;
        EXPECT_EQ(record(bytes, row), expected) << "row " << row;
    }

    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    ASSERT_EQ(exitStatusWithin(20), 0) << describeEnd(session.process);

    // A new run reads the time back.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(chooseLesson(session, number));
    EXPECT_TRUE(waitToSee(session,
                          [&](const Picture& picture) {
                              return selectedBestTime(picture, session.styles) == expectedTime;
                          }))
        << "after a restart the menu never showed " << expectedTime;
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(20), 0) << describeEnd(session.process);
}

INSTANTIATE_TEST_SUITE_P(Lessons, LessonTest,
                         ::testing::Values(LessonCase{1, "home row"},
                                           LessonCase{9, "capitals and punctuation"}),
                         [](const ::testing::TestParamInfo<LessonCase>& lesson) {
                             return "Lesson" + std::to_string(lesson.param.number);
                         });

}  // namespace
