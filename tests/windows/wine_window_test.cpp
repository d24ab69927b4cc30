// The real quenmore.exe of the Windows build under Wine, in a real X session with a window
// manager, driven like a learner: the title drawn pixel for pixel, a key to the menu, a
// lesson started and left with Escape, a lesson finished and its best time kept in the
// Wine user's roaming application-data folder, and Escape in the menu ending the program.
#include "tests/real_window/polling.h"
#include "tests/real_window/real_window_test.h"
#include "tests/real_window/title_frames.h"
#include "tools/png_file.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* WindowsProgram = QUENMORE_WINDOWS_PROGRAM;
constexpr const char* WinePrefix = QUENMORE_WINE_PREFIX;

// The tests share one Wine prefix in the build folder, made by the first of them, and take
// turns with it; each starts without best times.
class WineWindowTest : public RealWindowTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(WindowsProgram)) {
            GTEST_SKIP() << WindowsProgram << " does not exist; script/windows builds it";
        }
    }

    // A screen of 320x180 shows the picture pixel for pixel and gives Wine's software
    // Direct3D the least to draw.
    void openWineScreen() {
        const ProgramUnderTest program = wineProgram(WindowsProgram, WinePrefix);
        std::error_code ignored;
        std::filesystem::remove(program.bestTimesFile, ignored);
        ASSERT_FALSE(std::filesystem::exists(program.bestTimesFile));
        openScreenFor(program, ScreenWidth, ScreenHeight);
    }

    bool menuShowsLesson1With(const std::string& bestTime) {
        return waitToSee(session, [&](const Picture& picture) {
            return selectedLessonTitle(picture, session.styles).starts_with("Lesson 1:") &&
                   selectedBestTime(picture, session.styles) == bestTime;
        });
    }
};

TEST_F(WineWindowTest, TheTitleIsDrawnAsTheEngineDrawsItAndAKeyLeadsToTheMenu) {
    const std::vector<Picture>& frames = titleFrames(SourceAssets);
    Picture golden;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(
        readPng(QUENMORE_SOURCE_DIR "/tests/golden/title.png", golden.pixels, width, height));
    ASSERT_NE(std::find(frames.begin(), frames.end(), golden), frames.end())
        << "the golden title is not among the frames the title can show";

    ASSERT_NO_FATAL_FAILURE(openWineScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    // Once the logo is in, every screenshot is one of the title's frames.
    EXPECT_TRUE(waitToSee(
        session,
        [&](const Picture& picture) {
            return std::find(frames.begin(), frames.end(), picture) != frames.end();
        },
        session.program.startSeconds))
        << "the screen never showed a title frame";
    const WindowInfo window = findWindow(session.x, "Quenmore");
    ASSERT_NE(window.id, 0u) << "no window titled Quenmore";
    EXPECT_TRUE(window.viewable);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, ScreenWidth);
    EXPECT_EQ(window.height, ScreenHeight);
    EXPECT_TRUE(pollUntil([&] { return pointerHidden(session.x); }, 10));

    ASSERT_TRUE(leaveTitle(session)) << "the menu never showed";
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(30), 0) << describeEnd(session.process);
}

TEST_F(WineWindowTest, ALessonLeftWithEscapeGoesBackToTheMenuWithoutATime) {
    ASSERT_NO_FATAL_FAILURE(openWineScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session)) << "the menu never showed";
    ASSERT_TRUE(reachExercise(session, 1)) << "the exercise never showed";
    ASSERT_TRUE(pressKeys(session.x,
                          keystrokesFor(lineToType(look(session), session.styles).substr(0, 3))));

    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_TRUE(menuShowsLesson1With("Best Time: --:--")) << "the menu did not come back";
    EXPECT_FALSE(std::filesystem::exists(session.program.bestTimesFile));

    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(30), 0) << describeEnd(session.process);
}

TEST_F(WineWindowTest, AFinishedLessonKeepsItsBestTimeInTheRoamingFolder) {
    ASSERT_NO_FATAL_FAILURE(openWineScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session)) << "the menu never showed";
    ASSERT_TRUE(reachExercise(session, 1)) << "the exercise never showed";
    TypedExercise typed;
    std::string problem;
    ASSERT_TRUE(typeExercise(session, typed, problem)) << problem;
    const LessonResults results = readResults(look(session), session.styles);
    ASSERT_TRUE(results.shown) << results.text;
    EXPECT_EQ(results.errors, typed.mistakes) << results.text;
    ASSERT_GT(results.seconds, 0) << results.text;

    ASSERT_TRUE(pressKeys(session.x, {"Return"}));
    const std::string expectedTime = bestTimeText(results.seconds);
    EXPECT_TRUE(menuShowsLesson1With(expectedTime)) << "the menu never showed " << expectedTime;

    // Ten little-endian records, lesson 1's holding its time and the finished bit.
    const std::vector<uint8_t> bytes = fileBytes(session.program.bestTimesFile);
    ASSERT_EQ(bytes.size(), 40u) << session.program.bestTimesFile;
    EXPECT_EQ(bestTimeRecord(bytes, 0), 0x80000000u | uint32_t(results.seconds));
    for (int row = 1; row < 10; ++row) EXPECT_EQ(bestTimeRecord(bytes, row), 0u) << "row " << row;

    // A new run reads the time back from there.
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    ASSERT_EQ(exitStatusWithin(30), 0) << describeEnd(session.process);
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session)) << "the menu never showed after a restart";
    EXPECT_TRUE(menuShowsLesson1With(expectedTime))
        << "after a restart the menu never showed " << expectedTime;
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(30), 0) << describeEnd(session.process);
}

}  // namespace
