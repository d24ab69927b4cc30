// The real quenmore.exe of the Windows build under Wine, in a real X session, driven like a
// learner: the title pixel for pixel, a key to the menu, a lesson left with Escape, one
// finished with its best time and its history in the Wine user's roaming folder, Escape in
// the menu.
#include "tests/real_window/real_window_test.h"

namespace {

using WineWindowTest = RealWindowTest;

TEST_F(WineWindowTest, TheTitleTheMenuALessonLeftAndOneFinished) {
    if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM))
        GTEST_SKIP() << QUENMORE_WINDOWS_PROGRAM << " does not exist; script/windows builds it";
    // The build folder's prefix, made by the first run; 320x180 gives Wine's software
    // Direct3D the least to draw.
    const ProgramUnderTest exe = wineProgram(QUENMORE_WINDOWS_PROGRAM, QUENMORE_WINE_PREFIX);
    std::error_code ignored;
    std::filesystem::remove(exe.bestTimesFile, ignored);
    ASSERT_NO_FATAL_FAILURE(start(exe, ScreenWidth, ScreenHeight));
    ASSERT_NO_FATAL_FAILURE(expectFullScreenTitle());
    ASSERT_TRUE(leaveTitle()) << "no menu";

    ASSERT_TRUE(reachExercise()) << "no exercise";
    ASSERT_TRUE(pressKeys(x, {"f", "j", "space"}));
    ASSERT_TRUE(pressKeys(x, {"Escape"}));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--")) << "no menu after Escape";
    EXPECT_FALSE(std::filesystem::exists(program.bestTimesFile));

    ASSERT_TRUE(reachExercise()) << "no exercise again";
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(1, bestTime));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    // The finished run went into the history beside the best times: an SQLite database.
    const std::string history =
        (std::filesystem::path(program.bestTimesFile).parent_path() / "quenmoreHistory.db")
            .string();
    const Bytes file = readBytes(history);
    EXPECT_EQ(std::string(file.begin(), file.begin() + std::min<ptrdiff_t>(16, ssize(file))),
              std::string("SQLite format 3\0", 16))
        << history;
}

// SAPI under Wine cannot speak (its Speak is not implemented): with --speech that is said
// once on stderr, F2 tries again without saying it twice, and the lesson plays as ever.
TEST_F(WineWindowTest, WithSpeechTheFallbackIsSaidOnceAndTheLessonPlays) {
    if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM))
        GTEST_SKIP() << QUENMORE_WINDOWS_PROGRAM << " does not exist; script/windows builds it";
    ProgramUnderTest exe = wineProgram(QUENMORE_WINDOWS_PROGRAM, QUENMORE_WINE_PREFIX);
    exe.command.push_back("--speech");
    ASSERT_NO_FATAL_FAILURE(start(exe, ScreenWidth, ScreenHeight));
    ASSERT_TRUE(leaveTitle()) << "no menu";
    ASSERT_TRUE(pressKeys(x, {"F2", "F2"}));
    ASSERT_TRUE(reachExercise()) << "no exercise";
    const std::string line = read(look(), LineToType);
    ASSERT_TRUE(pressKeys(x, keysFor(line.substr(0, 2), false, {})));
    ASSERT_TRUE(waitForText(TypedLine, line.substr(0, 2) + CursorCell)) << "nothing typed";
    ASSERT_TRUE(pressKeys(x, {"Escape"}));
    EXPECT_TRUE(waitForText(MenuTitle, "Lesson 1:", true)) << "no menu after Escape";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const std::string log = readFile(process.log);
    const size_t said = log.find("Quenmore: no voice: SAPI");
    EXPECT_NE(said, std::string::npos) << log;
    EXPECT_EQ(log.find("Quenmore: no voice", said + 1), std::string::npos) << log;
}

}  // namespace
