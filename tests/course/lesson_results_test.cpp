#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

TEST(LessonResults, ShowSpeedErrorsAndTime) {
    struct Case {
        const char* line;  // typed ten times, one line per frame
        uint64_t seconds;  // the ten frames add a sixth of a second, which is dropped
        int errors;
        const char *wordsPerMinute, *time;
    };
    const Case cases[] = {
        {"abc abc abc abc abc abc abc abc abc", 70, 4, "  60", "01:10"},  // 350 characters
        {"abcd abcde", 59, 0, "  20", "00:59"},                           // 20.3, truncated
        {"ab", 60, 0, "   4", "01:00"},
        {"ab", 3599, 0, "   0", "59:59"},
        {"ab", 6000, 0, "   0", "100:00"},
        {"ab", 0, 0, "   0", "00:00"},  // within a second: no speed rather than a division by 0
        {"ab", uint64_t(1) << 40, 0, "   0", "18325193796:16"},
    };
    for (const Case& each : cases) {
        LessonHarness lesson;
        lesson.setUp({"e"}, each.line);
        lesson.jumpFrame = Exercise;
        lesson.jumpSeconds = each.seconds;
        for (int i = 0; i < each.errors; ++i) lesson.type(Exercise, '`');
        lesson.clock.quit(lesson.typeLines(Exercise) + 66);  // once the figures are shown
        lesson.run();
        EXPECT_EQ(lesson.resultsLine(12), std::string("Words Per Minute:") + each.wordsPerMinute);
        EXPECT_EQ(lesson.resultsLine(14), "Errors:             " + std::to_string(each.errors));
        EXPECT_EQ(lesson.resultsLine(16), std::string("Time:           ") + each.time);
    }
}

class ResultsScreen : public ::testing::Test {
  protected:
    LessonHarness lesson;
    uint64_t slide = 0;  // the first frame of the results
    void SetUp() override {
        lesson.setUp({"e"});
        lesson.jumpFrame = Exercise;
        lesson.jumpSeconds = 42;
        slide = lesson.typeLines(Exercise) + 1;
    }
};

TEST_F(ResultsScreen, SlidesDimsWaitsForEnterAndFadesOut) {
    const uint64_t waiting = slide + 64, enter = waiting + 100;
    // Enter while the banner slides, the keypad's Enter and Escape are all passed over.
    lesson.enter(slide);
    lesson.enter(slide + 40);
    lesson.press(waiting + 2, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER);
    lesson.escape(waiting + 3);
    lesson.enter(enter);
    EXPECT_EQ(lesson.run(), 42);

    const auto& frames = lesson.frames;
    const uint32_t full1 = lesson.fullColours[1], full33 = lesson.fullColours[33];
    for (uint32_t k = 0; k < 64; ++k) {
        const ShownFrame& frame = frames[slide + k];
        EXPECT_EQ(frame.layers[0], 0x80000000u | layerScroll(0, -int((10080 - 160 * k) / 64)));
        EXPECT_EQ(frame.group0, scaled(full1, (63 - k) / 2 + 32)) << k;
        EXPECT_EQ(frame.group2, full33);
        EXPECT_EQ(textAt(frame, 9, 12, 1, true), "#");  // the figures come after the slide
    }
    EXPECT_EQ(layerScrollY(frames[slide].layers[0]), 512 - 157);
    EXPECT_EQ(textAt(frames[waiting], 9, 16, 21, true), "Time:           00:42");

    // The frame that reads Enter is still shown; then 65 frames fade to black.
    ASSERT_EQ(frames.size(), enter + 1 + 65);
    for (uint32_t j = 0; j <= 64; ++j) {
        EXPECT_EQ(frames[enter + 1 + j].group0, scaled(scaled(full1, 32), 64 - j));
        EXPECT_EQ(frames[enter + 1 + j].group2, scaled(full33, 64 - j));
    }
    EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours);
    EXPECT_EQ(lesson.test.memory().lineCallback, nullptr);

    // The prompt blinks with bit 5 of the frame count as it stands when the frame is drawn.
    for (uint64_t f = waiting; f <= enter; ++f) {
        const bool shown = ((frames[f].layers[3] & 0x1FF) - 1) & 32;
        EXPECT_EQ(textAt(frames[f], 8, 18, 23, true),
                  shown ? "Press Enter to Continue" : std::string(23, ' '))
            << f;
    }
}

TEST_F(ResultsScreen, AWindowCloseAbandonsTheLessonInEveryStep) {
    for (uint64_t frame : {slide + 10, slide + 70, slide + 80}) {
        LessonHarness other;
        other.setUp({"e"});
        other.typeLines(Exercise);
        if (frame < slide + 75) other.clock.quit(frame);
        other.enter(slide + 75);
        if (frame > slide + 75) other.clock.quit(frame);
        EXPECT_EQ(other.run(), 0) << frame;
        EXPECT_EQ(other.frames.size(), frame) << frame;
        EXPECT_EQ(other.test.memory().palette, other.fullColours);
    }
}

}  // namespace
