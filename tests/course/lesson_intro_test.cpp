#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

// The frame in which the exercise begins, that is the intro's end plus one.
int64_t exerciseStart(const LessonHarness& lesson) {
    return lesson.frameShowing("Type these words:", 16);
}

TEST(LessonFadeIn, BrightensOverSixtyFourFramesWithTheLampInPlace) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.escape(ExerciseFirstFrame);
    EXPECT_EQ(lesson.run(), 0);
    for (uint32_t k = 0; k < 64; ++k) {
        const ShownFrame& frame = lesson.frames[k];
        EXPECT_EQ(frame.colourGroup0, scaled(lesson.fullColours[1], k)) << k;
        EXPECT_EQ(frame.lamp.attributes, 0x04060000u | (20 + 32 + 32));  // screen (40, 52)
        EXPECT_EQ(frame.lamp.placement, 0x0600u | (40 + 32));
        EXPECT_EQ(frame.frameCounter, int32_t(k + 1));
    }
    EXPECT_EQ(lesson.frames[IntroFirstFrame].colourGroup0, lesson.fullColours[1]);
    const LayerWord* layers = lesson.frames[IntroFirstFrame].layers.data();
    EXPECT_EQ(layers[0], 0x80000000u);
    EXPECT_EQ(layers[1], 0x80000000u | layerScroll(-37, -17));
    EXPECT_EQ(layers[2], 0x80000000u | layerScroll(-40, -20));
    EXPECT_EQ(layers[3] & ~0x1FFu, 0x80000000u);  // the callback scrolls the lower part
}

TEST(LessonIntro, PrintsOneCharacterPerFrameAndRunsTheNextCommandAfter) {
    LessonHarness lesson;
    lesson.setUp({"t0216abc", "c021601", "t0417d", "e"});
    lesson.escape(80);
    lesson.run();
    const auto& frames = lesson.frames;
    EXPECT_EQ(textAt(frames[64], 2, 16, 3), "a##");
    EXPECT_EQ(textAt(frames[65], 2, 16, 3), "ab#");
    EXPECT_EQ(textAt(frames[66], 2, 16, 3), "abc");
    // The clear and the next text run together in the frame after the last character.
    EXPECT_EQ(textAt(frames[67], 2, 16, 3), "#bc");
    EXPECT_EQ(frames[67].text[16 * 64 + 2], 0x83FF);
    EXPECT_EQ(textAt(frames[67], 4, 17, 1), "d");
    EXPECT_EQ(exerciseStart(lesson), 69);  // "e" in frame 68, still shown
}

TEST(LessonIntro, PausesDelayTheNextCommandByTheirCount) {
    LessonHarness lesson;
    lesson.setUp({"p000", "t0216a", "p001", "t0217b", "p002", "t0218c", "p060", "t0219d", "e"});
    lesson.escape(140);
    lesson.run();
    // A pause of 0 or 1 takes its own frame; the text after it starts in the next one.
    EXPECT_EQ(lesson.frameShowing("a", 16), 65);
    EXPECT_EQ(lesson.frameShowing("b", 17), 67);
    EXPECT_EQ(lesson.frameShowing("c", 18), 70);
    EXPECT_EQ(lesson.frameShowing("d", 19), 131);
}

TEST(LessonIntro, AWaitEndsWithTheFirstPressReadWhileWaiting) {
    LessonHarness lesson;
    lesson.setUp({"t0216ab", "w", "t0217c", "w", "w", "t0218d", "p005", "w", "t0219e", "e"});
    lesson.type(10, 'q');  // during the fade: read in mode "r", forgotten
    lesson.type(65, 'q');  // while printing: forgotten
    lesson.type(70, 'q');  // ends the first wait in this frame
    lesson.type(75, 'q');  // two presses in one frame end one wait only
    lesson.type(75, 'w');
    lesson.type(80, 'q');
    lesson.type(83, 'q');  // during the pause: forgotten
    lesson.type(95, 'q');
    lesson.escape(110);
    EXPECT_EQ(lesson.run(), 0);
    EXPECT_EQ(lesson.frameShowing("c", 17), 70);
    EXPECT_EQ(lesson.frameShowing("d", 18), 80);
    EXPECT_EQ(lesson.frameShowing("e", 19), 95);
    EXPECT_EQ(exerciseStart(lesson), 97);
}

TEST(LessonIntro, HighlightsPressKeysAndShiftAndCapsLockSwitchTheLabels) {
    LessonHarness lesson;
    lesson.setUp({"hf1", "w", "h\a1", "w", "h\v1", "w", "h\a0", "w", "h\v0", "hf0", "h\f1", "w",
                  "h\f0", "w", "e"});
    for (uint64_t frame = 70; frame <= 120; frame += 10) lesson.type(frame, 'q');
    lesson.escape(130);
    lesson.run();
    struct Expected {
        uint64_t frame;
        const char* labels;  // keys 1, 26 and 35: "1", "a", ";"
        uint64_t pressed;    // keys shown pressed
        uint32_t lampGroup;
    };
    const uint64_t f = uint64_t(1) << 29, leftShift = uint64_t(1) << 52;
    const uint64_t rightShift = uint64_t(1) << 53, capsLock = uint64_t(1) << 50;
    const Expected stages[] = {
        {64, "1a;", f, 0},
        {70, "!A:", f | leftShift, 0},
        {80, "!A:", f | leftShift | rightShift, 0},
        {90, "!A:", f | rightShift, 0},  // upper until both Shift keys are released
        {100, "1A;", capsLock, 1},       // Caps Lock: letters only, and the lamp
        {110, "1a;", 0, 0},
    };
    for (const Expected& stage : stages) {
        const ShownFrame& frame = lesson.frames[stage.frame];
        std::string labels;
        for (int k : {1, 26, 35}) labels += labelOf(frame, *lesson.screen, k);
        EXPECT_EQ(labels, stage.labels) << "frame " << stage.frame;
        EXPECT_EQ(frame.pressedKeys, stage.pressed) << "frame " << stage.frame;
        EXPECT_EQ(frame.lamp.placement >> 12, stage.lampGroup) << "frame " << stage.frame;
    }
    EXPECT_EQ(exerciseStart(lesson), 121);
}

TEST(LessonIntro, TextsAndClearsStayWithinTheTextLayer) {
    LessonHarness lesson;
    lesson.setUp(
        {"t6215abcd", "c000000", "c621503", "c999999", "c/0/099", "t9999yz", "t/0/0yz", "e"});
    lesson.escape(90);
    const std::vector<TileCell> before(lesson.test.memory().maps.begin() + MapCellCount,
                                       lesson.test.memory().maps.end());
    lesson.run();
    // A clear runs on through the end of a row into the next; a zero length does nothing.
    const ShownFrame& frame = lesson.frames[68];
    EXPECT_EQ(frame.text[15 * 64 + 62], 0x83FF);
    EXPECT_EQ(frame.text[15 * 64 + 63], 0x83FF);
    EXPECT_EQ(frame.text[16 * 64 + 0], 0x83FF);
    EXPECT_EQ(textAt(frame, 1, 16, 1), "d");
    const std::vector<TileCell> after(lesson.test.memory().maps.begin() + MapCellCount,
                                      lesson.test.memory().maps.end());
    EXPECT_TRUE(before == after);
}

// Commands the lessons never hold: each is passed over without reading past its end and
// without taking a frame, so the text after them starts in the intro's first frame.
TEST(LessonIntro, MalformedCommandsAreSkipped) {
    LessonHarness lesson;
    lesson.setUp({"t02", "t0216", "c0216", "c02164", "p", "p06", "h", "hf", "h\r1",
                  "h\x01"
                  "1",
                  "h\xC8"
                  "1",
                  "t0216x", "e"});
    lesson.escape(70);
    lesson.run();
    EXPECT_EQ(lesson.frameShowing("x", 16), 64);
    EXPECT_EQ(lesson.frames[64].pressedKeys, 0u);
}

TEST(LessonIntro, AScriptWithoutAnEndStopsAtItsLastCommand) {
    LessonHarness shortScript;  // the slot after the last command is empty
    shortScript.setUp({"t0216x"});
    shortScript.escape(70);
    shortScript.run();
    EXPECT_EQ(exerciseStart(shortScript), 66);

    LessonHarness fullScript;  // every slot holds a command that takes no frame
    fullScript.setUp(std::vector<const char*>(ScriptSlots, "c000000"));
    fullScript.escape(70);
    fullScript.run();
    EXPECT_EQ(exerciseStart(fullScript), 65);
}

TEST(LessonIntro, EscapeAbandonsTheLessonEvenWhenPressedDuringTheFade) {
    struct Case {
        uint64_t frame;
        size_t shown;
    };
    const Case cases[] = {{10, 64}, {64, 64}, {90, 90}};
    for (const Case& each : cases) {
        LessonHarness lesson;
        lesson.setUp({"t0216Press a key", "w", "e"});
        lesson.escape(each.frame);
        EXPECT_EQ(lesson.run(), 0);
        EXPECT_EQ(lesson.frames.size(), each.shown);
        EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours);
    }
}

TEST(LessonIntroDeathTest, AWindowCloseEndsTheProgram) {
    for (uint64_t frame : {uint64_t(20), uint64_t(100)}) {
        LessonHarness lesson;
        lesson.setUp({"t0216Press a key", "w", "e"});
        lesson.clock.quit(frame);
        EXPECT_EXIT(lesson.run(), ::testing::ExitedWithCode(0), "") << frame;
    }
}

}  // namespace
