// Full screen and the window, in a real X session: Alt+Enter switches between them and the
// choice lasts into the next run, --window=2 opens a window twice the picture, and an unknown
// option ends the program with status 2 before any window. The same file runs the native
// program (real_window_tests) and quenmore.exe under Wine (wine_window_tests).
#include "tests/real_window/real_window_test.h"

namespace {

constexpr int ScreenW = 1280, ScreenH = 720;  // room for a 3x window and its frame

class DisplayModesTest : public RealWindowTest {
  protected:
    // The program under test with these arguments.
    ProgramUnderTest programWith(const std::vector<std::string>& arguments) {
#ifdef QUENMORE_WINDOWS_PROGRAM
        if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM)) return {};
        ProgramUnderTest exe = wineProgram(QUENMORE_WINDOWS_PROGRAM, QUENMORE_WINE_PREFIX);
        std::error_code ignored;
        std::filesystem::remove(settingsFile(exe), ignored);
#else
        ProgramUnderTest exe = nativeProgram(QUENMORE_PROGRAM, folder.file("data"));
#endif
        exe.command.insert(exe.command.end(), arguments.begin(), arguments.end());
        return exe;
    }
    static std::string settingsFile(const ProgramUnderTest& exe) {
        return (std::filesystem::path(exe.bestTimesFile).parent_path() / "quenmoreSettings.ini")
            .string();
    }
    // The program's window, once it is a whole multiple of the picture, not the whole screen
    // (`windowed`), or the whole screen; the screens are then read from it. The window manager
    // gives the keyboard to the window under the pointer: it is moved there, as a learner would.
    bool windowBecomes(bool windowed, WindowInfo& window) {
        inWindow = windowed;
        const auto wanted = [&](const Image&) {
            window = findWindow(x, "Quenmore");
            const bool whole = window.width == x.width && window.height == x.height;
            const bool multiple = window.width >= 2 * ScreenWidth &&
                                  window.width % ScreenWidth == 0 &&
                                  window.width * ScreenHeight == window.height * ScreenWidth;
            return window.id != 0 && window.viewable && (windowed ? multiple && !whole : whole);
        };
        if (!waitToSee(wanted, 60)) return false;
        if (windowed)
            xdotool(x, {"mousemove", std::to_string(window.x + window.width / 2),
                        std::to_string(window.y + window.height / 2)});
        return true;
    }
};

#ifdef QUENMORE_WINDOWS_PROGRAM
#define SKIP_WITHOUT_PROGRAM()                                                                     \
    if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM))                                        \
    GTEST_SKIP() << QUENMORE_WINDOWS_PROGRAM << " does not exist; script/windows builds it"
#else
#define SKIP_WITHOUT_PROGRAM() (void)0
#endif

TEST_F(DisplayModesTest, AltEnterSwitchesAndTheWindowLastsIntoTheNextRun) {
    SKIP_WITHOUT_PROGRAM();
    ASSERT_NO_FATAL_FAILURE(start(programWith({}), ScreenW, ScreenH));
    WindowInfo window;
    ASSERT_TRUE(windowBecomes(false, window)) << "no full-screen window";
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(pressKeys(x, {"alt+Return"}));
    ASSERT_TRUE(windowBecomes(true, window)) << window.width << "x" << window.height;
    EXPECT_TRUE(waitForText(MenuTitle, "Lesson 1: Home Row Left")) << "the menu goes on";
    ASSERT_TRUE(pressKeys(x, {"alt+Return"}));
    ASSERT_TRUE(windowBecomes(false, window)) << window.width << "x" << window.height;
    ASSERT_TRUE(pressKeys(x, {"alt+Return"}));
    ASSERT_TRUE(windowBecomes(true, window));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const Bytes saved = readBytes(settingsFile(program));
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("display = window\n"),
              std::string::npos);
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_TRUE(windowBecomes(true, window)) << "the restart is not in a window";
    ASSERT_TRUE(leaveTitle());
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

TEST_F(DisplayModesTest, WindowTwoOpensAWindowTwiceThePicture) {
    SKIP_WITHOUT_PROGRAM();
    ASSERT_NO_FATAL_FAILURE(start(programWith({"--window=2"}), ScreenW, ScreenH));
    WindowInfo window;
    ASSERT_TRUE(windowBecomes(true, window));
    EXPECT_EQ(window.width, 2 * ScreenWidth);
    EXPECT_EQ(window.height, 2 * ScreenHeight);
    ASSERT_TRUE(leaveTitle());
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    EXPECT_FALSE(std::filesystem::exists(settingsFile(program))) << "a command line is not saved";
}

TEST_F(DisplayModesTest, AnUnknownOptionEndsWithStatusTwoAndNoWindow) {
    SKIP_WITHOUT_PROGRAM();
    ASSERT_NO_FATAL_FAILURE(start(programWith({"--bogus"}), ScreenW, ScreenH));
    EXPECT_EQ(exitStatusWithin(60), 2) << describeEnd(process);
    EXPECT_EQ(findWindow(x, "Quenmore").id, 0u);
    EXPECT_NE(readFile(process.log).find("unknown option \"--bogus\""), std::string::npos)
        << readFile(process.log);
}

}  // namespace
