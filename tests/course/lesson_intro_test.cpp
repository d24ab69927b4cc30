#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

int64_t exerciseStart(const LessonHarness& lesson) {
    return lesson.frameShowing("Type these words:", 16);
}

TEST(LessonIntro, FadesInWithTheLampThenShowsTheLayers) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.escape(Exercise);
    EXPECT_EQ(lesson.run(), 0);
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(lesson.frames[k].group0, scaled(lesson.fullColours[1], k)) << k;
    }
    const SpriteEntry& lamp = lesson.test.memory().sprites[CapsLockLampSprite];
    EXPECT_EQ(lamp.attributes, 0x04060000u | (52 + 32));  // tile 6 at screen (40, 52)
    EXPECT_EQ(lamp.placement, 0x0600u | (40 + 32));
    const ShownFrame& intro = lesson.frames[64];
    EXPECT_EQ(intro.group0, lesson.fullColours[1]);
    EXPECT_EQ(intro.layers[0], 0x80000000u);
    EXPECT_EQ(intro.layers[1], 0x80000000u | layerScroll(-37, -17));
    EXPECT_EQ(intro.layers[2], 0x80000000u | layerScroll(-40, -20));
    EXPECT_EQ(intro.layers[3], 0x80000000u | 65u);  // the callback counted 65 frames
}

TEST(LessonIntro, TextsTakeAFramePerCharacterAndPausesTheirCount) {
    LessonHarness lesson;
    lesson.setUp({"t0216abc", "c021601", "t0417d", "p000", "t0218e", "p001", "t0219f", "p060",
                  "t0220g", "e"});
    lesson.escape(140);
    lesson.run();
    const auto& frames = lesson.frames;
    EXPECT_EQ(textAt(frames[64], 2, 16, 3), "a##");
    EXPECT_EQ(textAt(frames[66], 2, 16, 3), "abc");
    // A clear runs in the same frame as the command after it, the frame after the text.
    EXPECT_EQ(textAt(frames[67], 2, 16, 3), "#bc");
    EXPECT_EQ(frames[67].text[16 * 64 + 2], 0x83FF);
    EXPECT_EQ(textAt(frames[67], 4, 17, 1), "d");
    // A pause of 0 or 1 takes one frame, of 60 sixty.
    EXPECT_EQ(lesson.frameShowing("e", 18), 69);
    EXPECT_EQ(lesson.frameShowing("f", 19), 71);
    EXPECT_EQ(lesson.frameShowing("g", 20), 132);
    EXPECT_EQ(exerciseStart(lesson), 134);  // "e" in frame 133, which is still shown
}

TEST(LessonIntro, AWaitEndsWithTheFirstPressReadWhileWaiting) {
    LessonHarness lesson;
    lesson.setUp({"t0216ab", "w", "t0217c", "w", "w", "t0218d", "p005", "w", "t0219e", "e"});
    lesson.type(10, 'q');  // during the fade: read in the first intro frame, forgotten
    lesson.type(65, 'q');  // while printing: forgotten
    lesson.type(70, 'q');
    lesson.typeAll(75, "qw");  // two presses in one frame end one wait
    lesson.type(80, 'q');
    lesson.type(83, 'q');  // during the pause: forgotten
    lesson.type(95, 'q');
    lesson.escape(110);
    EXPECT_EQ(lesson.run(), 0);
    EXPECT_EQ(lesson.frameShowing("c", 17), 70);
    EXPECT_EQ(lesson.frameShowing("d", 18), 80);
    EXPECT_EQ(lesson.frameShowing("e", 19), 95);
}

TEST(LessonIntro, HighlightsPressKeysAndShiftAndCapsLockSwitchTheLabels) {
    LessonHarness lesson;
    lesson.setUp({"hf1", "w", "h\a1", "w", "h\v1", "w", "h\a0", "w", "h\v0", "hf0", "h\f1", "w",
                  "h\f0", "w", "e"});
    for (uint64_t frame = 70; frame <= 120; frame += 10) lesson.type(frame, 'q');
    lesson.escape(130);
    lesson.run();
    const uint64_t f = uint64_t(1) << 29, caps = uint64_t(1) << 50;
    const uint64_t left = uint64_t(1) << 52, right = uint64_t(1) << 53;
    struct Expected {
        uint64_t frame, pressed;
        const char* labels;
        uint32_t lampGroup;
    };
    const Expected stages[] = {
        {64, f, "1a;", 0},         {70, f | left, "!A:", 0}, {80, f | left | right, "!A:", 0},
        {90, f | right, "!A:", 0},  // upper until both Shift keys are released
        {100, caps, "1A;", 1},      // Caps Lock: the letters only, and the lamp
        {110, 0, "1a;", 0},
    };
    for (const Expected& stage : stages) {
        const ShownFrame& frame = lesson.frames[stage.frame];
        EXPECT_EQ(frame.pressedKeys, stage.pressed) << stage.frame;
        EXPECT_EQ(frame.labels, stage.labels) << stage.frame;
        EXPECT_EQ(frame.lampGroup, stage.lampGroup) << stage.frame;
    }
}

// Commands the lessons never hold: texts and clears that would land outside the text
// layer, commands too short for their operands, highlights of characters without a key,
// a script without "e". None reads or writes out of bounds; malformed ones are skipped
// without taking a frame.
TEST(LessonIntro, FaultyScriptsStaySafe) {
    LessonHarness lesson;
    lesson.setUp({"t6215abcd", "c621503", "c999999", "c/0/099", "t9999y", "t/0/0y", "t02", "t0216",
                  "c0216", "c02164", "p", "p06", "h", "hf", "h\r1",
                  "h\x01"
                  "1",
                  "h\xC8"
                  "1",
                  "t0217x"});
    lesson.escape(90);
    const std::vector<TileCell> before(lesson.test.memory().maps.begin() + MapCellCount,
                                       lesson.test.memory().maps.end());
    lesson.run();
    const ShownFrame& frame = lesson.frames[70];
    for (int cell : {15 * 64 + 62, 15 * 64 + 63, 16 * 64}) EXPECT_EQ(frame.text[cell], 0x83FF);
    EXPECT_EQ(textAt(frame, 1, 16, 1), "d");  // a clear goes on into the next row
    EXPECT_EQ(textAt(frame, 2, 17, 1), "x");
    EXPECT_EQ(frame.pressedKeys, 0u);
    EXPECT_EQ(exerciseStart(lesson), 72);
    const std::vector<TileCell> after(lesson.test.memory().maps.begin() + MapCellCount,
                                      lesson.test.memory().maps.end());
    EXPECT_TRUE(before == after);

    LessonHarness full;  // every slot holds a command that takes no frame
    full.setUp(std::vector<const char*>(ScriptSlots, "c000000"));
    full.escape(70);
    full.run();
    EXPECT_EQ(exerciseStart(full), 65);
}

TEST(LessonIntro, EscapeAbandonsTheLessonEvenWhenPressedDuringTheFade) {
    for (uint64_t frame : {10, 90}) {
        LessonHarness lesson;
        lesson.setUp({"w", "e"});
        lesson.escape(frame);
        EXPECT_EQ(lesson.run(), 0);
        EXPECT_EQ(lesson.frames.size(), std::max<uint64_t>(frame, 64));
        EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours);
    }
}

TEST(LessonIntroDeathTest, AWindowCloseEndsTheProgram) {
    for (uint64_t frame : {20, 100}) {
        LessonHarness lesson;
        lesson.setUp({"w", "e"});
        lesson.clock.quit(frame);
        EXPECT_EXIT(lesson.run(), ::testing::ExitedWithCode(0), "") << frame;
    }
}

}  // namespace
