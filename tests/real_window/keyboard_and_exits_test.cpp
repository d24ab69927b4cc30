// The on-screen keyboard following the physical one, and the ways out: Escape in the menu,
// closing the window during the exercise and in the menu.
#include "tests/real_window/polling.h"
#include "tests/real_window/real_window_test.h"

#include <filesystem>

namespace {

// Keys by their place in the on-screen keyboard: column, row and width in cells.
const KeyOnScreen KeyF = keyOnScreen(10, 4, 2);
const KeyOnScreen KeyA = keyOnScreen(4, 4, 2);
const KeyOnScreen Key1 = keyOnScreen(2, 0, 2);
const KeyOnScreen KeyCapsLock = keyOnScreen(0, 4, 4);
const KeyOnScreen KeyLeftShift = keyOnScreen(0, 6, 5);

uint64_t brightness(const Picture& picture) {
    uint64_t sum = 0;
    for (uint32_t pixel : picture.pixels) {
        sum += (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF);
    }
    return sum;
}

TEST_F(RealWindowTest, TheOnScreenKeyboardFollowsHeldKeysAndCapsLock) {
    ASSERT_NO_FATAL_FAILURE(openScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(reachExercise(session, 1));
    const Art& art = session.art;
    const ScreenStyles& styles = session.styles;

    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownUp(picture, art, KeyF) && keyLabel(picture, styles, KeyA, false) == 'a' &&
               keyLabel(picture, styles, Key1, false) == '1' && capsLampDark(picture, art);
    })) << "the keyboard does not start up, lower case, lamp dark";

    // A held letter key is shown pressed, its label dropped into the pressed face.
    ASSERT_TRUE(holdKey(session.x, "f"));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownPressed(picture, art, KeyF) && keyLabel(picture, styles, KeyF, true) == 'f';
    })) << "F held";
    ASSERT_TRUE(releaseKey(session.x, "f"));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownUp(picture, art, KeyF) && keyLabel(picture, styles, KeyF, false) == 'f';
    })) << "F let go";

    // Shift held: every label shows its upper character.
    ASSERT_TRUE(holdKey(session.x, "Shift_L"));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownPressed(picture, art, KeyLeftShift) &&
               keyLabel(picture, styles, KeyA, false) == 'A' &&
               keyLabel(picture, styles, Key1, false) == '!';
    })) << "Shift held";
    ASSERT_TRUE(releaseKey(session.x, "Shift_L"));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownUp(picture, art, KeyLeftShift) &&
               keyLabel(picture, styles, KeyA, false) == 'a' &&
               keyLabel(picture, styles, Key1, false) == '1';
    })) << "Shift let go";

    // Caps Lock: the key is pressed while held; the lamp and the letters follow the lock,
    // the digits do not.
    ASSERT_TRUE(holdKey(session.x, "Caps_Lock"));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownPressed(picture, art, KeyCapsLock) && capsLampLit(picture, art);
    })) << "Caps Lock held";
    ASSERT_TRUE(releaseKey(session.x, "Caps_Lock"));
    EXPECT_TRUE(capsLockOn(session.x));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return keyShownUp(picture, art, KeyCapsLock) && capsLampLit(picture, art) &&
               keyLabel(picture, styles, KeyA, false) == 'A' &&
               keyLabel(picture, styles, Key1, false) == '1';
    })) << "Caps Lock on";
    ASSERT_TRUE(setCapsLock(session.x, false));
    EXPECT_TRUE(waitToSee(session, [&](const Picture& picture) {
        return capsLampDark(picture, art) && keyLabel(picture, styles, KeyA, false) == 'a' &&
               keyShownUp(picture, art, KeyCapsLock);
    })) << "Caps Lock off again";
}

TEST_F(RealWindowTest, EscapeInTheMenuFadesToBlackThenEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(openScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    const uint64_t menuBrightness = brightness(look(session));
    ASSERT_GT(menuBrightness, 0u);

    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    // Until the window goes, the menu darkens step by step.
    bool sawFading = false;
    const bool ended = pollUntil(
        [&] {
            if (programEnded(session)) return true;
            const uint64_t level = brightness(look(session));
            if (screenCovered(session.lastShot) && level > 0 && level < menuBrightness * 9 / 10) {
                sawFading = true;
            }
            return false;
        },
        20);
    ASSERT_TRUE(ended) << "the program is still running";
    EXPECT_TRUE(sawFading) << "the program ended without fading the menu out";
    EXPECT_EQ(exitCode(session.process), 0) << describeEnd(session.process);
}

TEST_F(RealWindowTest, ClosingTheWindowLeavesTheExerciseThenTheProgram) {
    ASSERT_NO_FATAL_FAILURE(openScreen());
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle(session));
    ASSERT_TRUE(reachExercise(session, 1));
    const WindowInfo window = findWindow(session.x, "Quenmore");
    ASSERT_NE(window.id, 0u);

    // During the exercise a close request abandons the lesson: back in the menu, no time.
    ASSERT_TRUE(requestClose(session.x, window.id));
    EXPECT_TRUE(waitToSee(
        session,
        [&](const Picture& picture) {
            return selectedLessonTitle(picture, session.styles).starts_with("Lesson 1:") &&
                   selectedBestTime(picture, session.styles) == "Best Time: --:--";
        }))
        << "the menu did not come back (" << describeEnd(session.process) << ")";
    EXPECT_FALSE(std::filesystem::exists(session.program.bestTimesFile));

    // In the menu it ends the program.
    ASSERT_TRUE(requestClose(session.x, window.id));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(session.process);
}

}  // namespace
