// The real program in a real X session, driven like a learner: the full-screen title, whole
// lessons with a few wrong keys, the on-screen keyboard, the ways out, and no display at all.
#include "tests/real_window/real_window_test.h"

#include <cstdlib>

namespace {

// The program under test in a 640x360 screen (or `scale` times 320x180): the native one, or
// the quenmore.exe that QUENMORE_WINE_PROGRAM names, under Wine in a fresh prefix.
class NativeWindowTest : public RealWindowTest {
  protected:
    void start(int scale = 2) {
        const std::string data = folder.file("data");
        const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
        openScreen(exe != nullptr && exe[0] != '\0' ? wineProgram(exe, data + "/wine")
                                                    : nativeProgram(QUENMORE_PROGRAM, data),
                   ScreenWidth * scale, ScreenHeight * scale);
    }
};

class StartTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartTest, AFullScreenWindowShowsTheTitlePixelForPixel) {
    ASSERT_NO_FATAL_FAILURE(start(GetParam()));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(expectFullScreenTitle());
    // Escape on the title ends the program at once.
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(session.process);
}

INSTANTIATE_TEST_SUITE_P(Scales, StartTest, ::testing::Values(1, 2));

// Lesson 1 (home row) and lesson 9 (capitals and punctuation).
class LessonTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(LessonTest, TypedWithMistakesItEndsInResultsAndABestTimeThatLasts) {
    const int number = GetParam();
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(chooseLesson(session, number));
    EXPECT_TRUE(waitForText(session, MenuBestTime, "Best Time: --:--"));
    ASSERT_TRUE(reachExercise(session, number));
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(number, bestTime));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());

    // A new run reads the time back.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(chooseLesson(session, number));
    EXPECT_TRUE(waitForText(session, MenuBestTime, bestTime)) << "no " << bestTime << " again";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

INSTANTIATE_TEST_SUITE_P(Lessons, LessonTest, ::testing::Values(1, 9));

// A key of the on-screen keyboard (column, row and width in cells of the panel at (40, 20)):
// the top 5 pixel rows of its face's top-right cell tell up (tile 2) from pressed (tile 5);
// the label sits 3 pixels up and left of the cell below, one pixel lower while pressed.
bool keyShows(const WindowSession& session, const Image& picture, int column, int row, int width,
              bool pressed, char label) {
    const int x = 40 + 8 * (column + width - 1), y = 20 + 8 * row;
    return tileShows(picture, session.art, x, y, pressed ? 5 : 2, 0, 5) &&
           readCell(picture, session.art, x - 3, y + 5 + (pressed ? 1 : 0), HighlightStyle) ==
               label;
}

TEST_F(NativeWindowTest, TheOnScreenKeyboardFollowsAHeldKeyAndCapsLock) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(reachExercise(session, 1));
    // The F key, its label, the 1 key's label and the Caps Lock lamp (tile 6, lit in group 1).
    const auto shows = [&](bool fPressed, char f, bool lampLit) {
        return waitToSee(session, [&](const Image& picture) {
            return keyShows(session, picture, 10, 4, 2, fPressed, f) &&
                   keyShows(session, picture, 2, 0, 2, false, '1') &&
                   tileShows(picture, session.art, 40, 52, 6, lampLit ? 1 : 0);
        });
    };
    EXPECT_TRUE(shows(false, 'f', false)) << "at the start";
    ASSERT_TRUE(xdotool(session.x, {"keydown", "f"}));
    EXPECT_TRUE(shows(true, 'f', false)) << "F held";
    ASSERT_TRUE(xdotool(session.x, {"keyup", "f"}));
    EXPECT_TRUE(shows(false, 'f', false)) << "F let go";
    ASSERT_TRUE(setCapsLock(session.x, true));
    EXPECT_TRUE(shows(false, 'F', true)) << "Caps Lock on: letters up, digits not";
    ASSERT_TRUE(setCapsLock(session.x, false));
    EXPECT_TRUE(shows(false, 'f', false)) << "Caps Lock off again";
}

TEST_F(NativeWindowTest, ClosingTheWindowLeavesTheExerciseThenTheProgram) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(reachExercise(session, 1));
    const WindowInfo window = findWindow(session.x, "Quenmore");
    ASSERT_NE(window.id, 0u);
    // During the exercise: back to the menu, no time kept.
    ASSERT_TRUE(requestClose(session.x, window.id));
    EXPECT_TRUE(waitForText(session, MenuBestTime, "Best Time: --:--"))
        << "no menu (" << describeEnd(session.process) << ")";
    EXPECT_FALSE(std::filesystem::exists(session.program.bestTimesFile));
    // In the menu: the end.
    ASSERT_TRUE(requestClose(session.x, window.id));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(session.process);
}

TEST(NoDisplayTest, TheProgramStopsWithAMessageInsteadOfRunningInvisibly) {
    TempFolder data{"quenmore-no-display"};
    ChildProcess program;
    ASSERT_TRUE(spawnProcess(
        program, {QUENMORE_PROGRAM},
        {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_DATA_HOME=" + data.path.string()},
        data.file("output.log")));
    ASSERT_TRUE(waitForExit(program, 30)) << "it kept running without a display";
    EXPECT_GT(exitCode(program), 0) << describeEnd(program);
    EXPECT_NE(readFile(program.log).find("display"), std::string::npos) << readFile(program.log);
}

}  // namespace
