// Whole lessons as a learner does them at a real keyboard: read each line off the screen,
// type it with a few wrong keys, read the results, go back to the menu, find the best time
// there and on disk, and again after a restart.
#include "tests/real_window/real_window_test.h"

namespace {

struct LessonCase {
    int number;
    const char* what;
};

void PrintTo(const LessonCase& lesson, std::ostream* out) {
    *out << "lesson " << lesson.number << " (" << lesson.what << ")";
}

class LessonTest : public RealWindowTest, public ::testing::WithParamInterface<LessonCase> {};

TEST_P(LessonTest, TypedWithMistakesItEndsInResultsAndABestTimeThatLasts) {
    const int number = GetParam().number;
    ASSERT_NO_FATAL_FAILURE(openScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(chooseLesson(session, number));
    EXPECT_EQ(selectedBestTime(look(session), session.styles), "Best Time: --:--");
    ASSERT_TRUE(reachExercise(session, number));

    TypedExercise typed;
    std::string problem;
    ASSERT_TRUE(typeExercise(session, typed, problem)) << problem;

    const LessonResults results = readResults(look(session), session.styles);
    ASSERT_TRUE(results.shown) << results.text;
    EXPECT_EQ(results.errors, typed.mistakes) << results.text;
    ASSERT_GT(results.seconds, 0) << results.text;
    EXPECT_EQ(results.wordsPerMinute, 60 * typed.characters / (5 * results.seconds))
        << results.text;

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
        EXPECT_EQ(bestTimeRecord(bytes, row), expected) << "row " << row;
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
