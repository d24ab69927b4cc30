// The finger guide in a real window on a German keyboard: the lit key, read off the screen,
// is the one that types the next character on that layout, and it moves as the learner types.
#include "tests/real_window/real_window_test.h"

#include "course/common/art_tiles.h"
#include "course/common/finger_colours.h"
#include "course/keyboard/keyboard_model.h"

namespace {

class FingerGuideWindowTest : public RealWindowTest {};

// The keyboard as the program lays it out for the virtual German layout, which the X keyboard
// data of "de" gives too for every key of the lessons.
KeyboardModel germanKeyboard() {
    VirtualHost german;
    german.layout = &germanLayout();
    installVirtualHost(german);
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    readKeyboardLayout(keyboard);
    restoreHost();
    return keyboard;
}

TEST_F(FingerGuideWindowTest, OnAGermanKeyboardTheLitKeyMovesFromKeyToKeyAsTheLearnerTypes) {
    if (wineExe()) GTEST_SKIP() << "the settings file is the native program's";
    keyboardLayout = {"de"};
    lessonWord = "Lektion ";
    typeByKeysym = true;
    const std::string data = folder.file("data");
    ASSERT_NO_FATAL_FAILURE(
        startSession(nativeProgram(QUENMORE_PROGRAM, data), ScreenWidth * 2, ScreenHeight * 2));
    std::filesystem::create_directories(data);
    const std::string settings = "finger_guide = on\n";
    ASSERT_TRUE(
        writeBytes(data + "/quenmoreSettings.ini", Bytes(settings.begin(), settings.end())));
    launch();
    // The lesson screen's colours, with the guide's groups as the program makes them.
    putFingerColours(palette);
    const KeyboardModel keyboard = germanKeyboard();
    // A key is lit when the top two rows of its face's top-right cell show the lit tile in its
    // finger's group (below them the home keys' bump may lie). The panel's cell (c, r) is at
    // (40 + 8c, 20 + 8r).
    const auto litKeys = [&](const Image& picture) {
        std::vector<int> lit;
        for (int k = 0; k < keyboard.keyCount; ++k) {
            const KeyboardKey& key = keyboard.keys[k];
            const int group = FirstZoneGroup + fingerHue(key.finger);
            if (key.shown && tileShows(picture, 40 + 8 * (key.column + key.width - 1),
                                       20 + 8 * key.row, art::LitKeyTopRight, group, 2) >= 0)
                lit.push_back(k);
        }
        return lit;
    };
    ASSERT_TRUE(leaveTitle());
    // The German course's upper row right, with many a "z", at Y's place on a US keyboard.
    ASSERT_TRUE(chooseLesson(4));
    ASSERT_TRUE(reachExercise());
    const std::string line = read(look(), LineToType);
    ASSERT_GE(line.size(), 8u) << line;
    int moves = 0;
    std::vector<int> before;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const char c = line[i];
        const std::vector<int> expected = {keyboard.keyByChar[uint8_t(c)]};
        std::vector<int> shown;
        EXPECT_TRUE(waitToSee([&](const Image& picture) {
            shown = litKeys(picture);
            return shown == expected;
        })) << "'"
            << c << "' at " << i << " of \"" << line << "\": lit " << shown.size();
        moves += !before.empty() && shown != before;
        before = shown;
        ASSERT_TRUE(pressKeys(x, keysFor(std::string(1, c), true, {})));
        ASSERT_TRUE(waitForText(TypedLine, line.substr(0, i + 1) + CursorCell));
    }
    EXPECT_GE(moves, 4) << line;
    const WindowInfo window = findWindow(x, "Quenmore");
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--"));
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

}  // namespace
