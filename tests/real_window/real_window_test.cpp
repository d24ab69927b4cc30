// The real program in a real X session, driven like a learner: the full-screen title, whole
// lessons with a few wrong keys, the on-screen keyboard, the ways out, and no display at all
// (damaged asset files: tests/package/install_tree_test).
#include "tests/real_window/real_window_test.h"

#include <csignal>
#include <cstdlib>

namespace {

// The program in a screen `scale` times 320x180: the native one, or the quenmore.exe that
// QUENMORE_WINE_PROGRAM names, under Wine in a fresh prefix.
class NativeWindowTest : public RealWindowTest {
  protected:
    void startAt(int scale = 2) {
        const std::string data = folder.file("data");
        const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
        start(exe != nullptr && exe[0] != '\0' ? wineProgram(exe, data + "/wine")
                                               : nativeProgram(QUENMORE_PROGRAM, data),
              ScreenWidth * scale, ScreenHeight * scale);
    }
};

class StartTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartTest, AFullScreenWindowShowsTheTitlePixelForPixel) {
    ASSERT_NO_FATAL_FAILURE(startAt(GetParam()));
    ASSERT_NO_FATAL_FAILURE(expectFullScreenTitle());
    // Escape on the title ends the program at once.
    ASSERT_TRUE(pressKeys(x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

INSTANTIATE_TEST_SUITE_P(Scales, StartTest, ::testing::Values(1, 2, 4));

// Lesson 1 (home row) and lesson 9 (capitals and punctuation).
class LessonTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(LessonTest, TypedWithMistakesItEndsInResultsAndABestTimeThatLasts) {
    const int number = GetParam();
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(number));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--"));
    ASSERT_TRUE(reachExercise());
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(number, bestTime));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());

    // A new run reads the time back.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(number));
    EXPECT_TRUE(waitForText(MenuBestTime, bestTime)) << "no " << bestTime << " again";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

INSTANTIATE_TEST_SUITE_P(Lessons, LessonTest, ::testing::Values(1, 9));

// During the exercise the on-screen keyboard mirrors a held key and Caps Lock, and closing
// the window leads back to the menu, keeping no time; in the menu it ends the program.
TEST_F(NativeWindowTest, TheExerciseMirrorsTheKeyboardAndClosingTheWindowLeavesIt) {
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(reachExercise());
    // A key by its face's top-right cell, whose top 5 rows tell up (tile 2) from pressed (5);
    // its label is 3 pixels up and left of the cell below, a pixel lower while pressed. The F
    // key's cell is at (128, 52), the 1 key's at (64, 20); the Caps Lock lamp is tile 6 at
    // (40, 52), lit in palette group 1.
    const auto shows = [&](bool fPressed, char f, bool lampLit) {
        return waitToSee([&](const Image& picture) {
            const auto key = [&](int left, int top, bool pressed, char label) {
                return tileShows(picture, left, top, pressed ? 5 : 2, 0, 5) >= 0 &&
                       readCell(picture, left - 3, top + 5 + pressed, HighlightStyle) == label;
            };
            return key(128, 52, fPressed, f) && key(64, 20, false, '1') &&
                   tileShows(picture, 40, 52, 6, lampLit ? 1 : 0) >= 0;
        });
    };
    EXPECT_TRUE(shows(false, 'f', false)) << "at the start";
    ASSERT_TRUE(xdotool(x, {"keydown", "f"}));
    EXPECT_TRUE(shows(true, 'f', false)) << "F held";
    ASSERT_TRUE(xdotool(x, {"keyup", "f"}));
    EXPECT_TRUE(shows(false, 'f', false)) << "F let go";
    ASSERT_TRUE(setCapsLock(x, true));
    EXPECT_TRUE(shows(false, 'F', true)) << "Caps Lock on: letters up, digits not";
    ASSERT_TRUE(setCapsLock(x, false));
    EXPECT_TRUE(shows(false, 'f', false)) << "Caps Lock off again";

    const WindowInfo window = findWindow(x, "Quenmore");
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--"))
        << "no menu (" << describeEnd(process) << ")";
    EXPECT_FALSE(std::filesystem::exists(program.bestTimesFile));
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

// A signal is the system asking the program to end, not a window close: during the exercise
// it ends the program with status 0 instead of abandoning the lesson.
TEST_F(NativeWindowTest, ASignalEndsTheProgramInsteadOfClosingTheLesson) {
    const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
    if (exe != nullptr && exe[0] != '\0') GTEST_SKIP() << "no POSIX signals under Wine";
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(reachExercise());
    ASSERT_EQ(kill(process.pid, SIGTERM), 0);
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
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
