#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

struct Figures {
    std::string wordsPerMinute, errors, time;
};

// Ten lines of `line` typed one per frame from the exercise's first frame, with `errors`
// wrong presses, while the clock is moved on by `seconds` (the ten frames add a sixth of a
// second, which the whole seconds drop). The window is closed once the figures are shown.
Figures play(const char* line, uint64_t seconds, int errors = 0) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.setLines(line);
    lesson.jumpFrame = ExerciseFirstFrame;
    lesson.jumpSeconds = seconds;
    for (int i = 0; i < errors; ++i) lesson.type(ExerciseFirstFrame, '`');
    lesson.clock.quit(lesson.typeLines(ExerciseFirstFrame) + 66);
    lesson.run();
    return {lesson.resultsLine(12), lesson.resultsLine(14), lesson.resultsLine(16)};
}

TEST(LessonResults, ShowSpeedErrorsAndTime) {
    const char* line35 = "abc abc abc abc abc abc abc abc abc";
    const Figures figures = play(line35, 70, 4);  // 350 characters in 70 seconds
    EXPECT_EQ(figures.wordsPerMinute, "Words Per Minute:  60");
    EXPECT_EQ(figures.errors, "Errors:             4");
    EXPECT_EQ(figures.time, "Time:           01:10");

    const Figures slow = play("abcd abcde", 59);  // 100 characters: 20.3 words per minute
    EXPECT_EQ(slow.wordsPerMinute, "Words Per Minute:  20");
    EXPECT_EQ(slow.time, "Time:           00:59");
}

TEST(LessonResults, TimesInMinutesAndSeconds) {
    struct Case {
        uint64_t seconds;
        const char* time;
    };
    const Case cases[] = {{60, "01:00"}, {3599, "59:59"}, {6000, "100:00"}};
    for (const Case& each : cases) {
        const Figures figures = play("ab", each.seconds);
        EXPECT_EQ(figures.time, std::string("Time:           ") + each.time);
    }
}

TEST(LessonResults, ALessonTypedWithinOneSecondShowsNoSpeed) {
    const Figures figures = play("ab", 0);
    EXPECT_EQ(figures.wordsPerMinute, "Words Per Minute:   0");
    EXPECT_EQ(figures.time, "Time:           00:00");
}

TEST(LessonResults, AnEndlessTimeStillPrintsInsideTheTextLayer) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.setLines("ab");
    lesson.jumpFrame = ExerciseFirstFrame;
    lesson.jumpSeconds = uint64_t(1) << 40;
    lesson.clock.quit(lesson.typeLines(ExerciseFirstFrame) + 66);
    const std::vector<TileCell> before(lesson.test.memory().maps.begin() + MapCellCount,
                                       lesson.test.memory().maps.end());
    lesson.run();
    EXPECT_EQ(resultsAt(lesson.frames.back(), 9, 16, 30), "Time:           18325193796:16");
    const std::vector<TileCell> after(lesson.test.memory().maps.begin() + MapCellCount,
                                      lesson.test.memory().maps.end());
    EXPECT_TRUE(before == after);
}

class ResultsScreen : public ::testing::Test {
  protected:
    LessonHarness lesson;
    uint64_t last = 0;  // the exercise's last frame
    void SetUp() override {
        lesson.setUp({"e"});
        lesson.setLines("ab");
        lesson.jumpFrame = ExerciseFirstFrame;
        lesson.jumpSeconds = 42;
        last = lesson.typeLines(ExerciseFirstFrame);
    }
};

TEST_F(ResultsScreen, SlidesDimsWaitsForEnterAndFadesOut) {
    const uint64_t slide = last + 1, waiting = slide + 64;
    // Enter while the banner slides, the keypad's Enter and Escape are all passed over.
    lesson.enter(slide);
    lesson.enter(slide + 40);
    lesson.press(waiting + 2, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER);
    lesson.escape(waiting + 3);
    const uint64_t enter = waiting + 100;
    lesson.enter(enter);
    EXPECT_EQ(lesson.run(), 42);

    const auto& frames = lesson.frames;
    const uint32_t full1 = lesson.fullColours[1], full33 = lesson.fullColours[33];
    for (uint32_t k = 0; k < 64; ++k) {
        const ShownFrame& frame = frames[slide + k];
        EXPECT_EQ(frame.layers[0], 0x80000000u | layerScroll(0, -int((10080 - 160 * k) / 64)));
        EXPECT_EQ(frame.colourGroup0, scaled(full1, (63 - k) / 2 + 32)) << k;
        EXPECT_EQ(frame.colourGroup2, full33);
        EXPECT_EQ(resultsAt(frame, 9, 12, 5), "#####");  // figures only after the slide
    }
    EXPECT_EQ(layerScrollY(frames[slide].layers[0]), 512 - 157);
    EXPECT_EQ(layerScrollY(frames[waiting - 1].layers[0]), 0);
    EXPECT_EQ(resultsAt(frames[waiting], 9, 16, 21), "Time:           00:42");
    EXPECT_EQ(frames[waiting].colourGroup0, scaled(full1, 32));

    // The frame that reads Enter is still shown; then 65 frames fade to black.
    ASSERT_EQ(frames.size(), enter + 1 + 65);
    for (uint32_t j = 0; j <= 64; ++j) {
        const ShownFrame& frame = frames[enter + 1 + j];
        EXPECT_EQ(frame.colourGroup0, scaled(scaled(full1, 32), 64 - j));
        EXPECT_EQ(frame.colourGroup2, scaled(full33, 64 - j));
    }
    EXPECT_EQ(frames.back().colourGroup2, 0u);
    EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours);
    EXPECT_EQ(lesson.test.memory().lineCallback, nullptr);
}

TEST_F(ResultsScreen, ThePromptBlinksEveryThirtyTwoFrames) {
    lesson.enter(260);
    lesson.run();
    // Frame f is drawn while the frame count stands at f: bit 5 shows the prompt.
    for (uint64_t f = last + 65; f <= 260; ++f) {
        const bool shown = (f & 32) != 0;
        EXPECT_EQ(resultsAt(lesson.frames[f], 8, 18, 23),
                  shown ? "Press Enter to Continue" : std::string(23, ' '))
            << f;
    }
}

TEST_F(ResultsScreen, AWindowCloseAbandonsTheLessonInEveryStep) {
    const uint64_t slide = last + 1;
    for (uint64_t frame : {slide + 10, slide + 70, slide + 80}) {
        LessonHarness other;
        other.setUp({"e"});
        other.setLines("ab");
        other.typeLines(ExerciseFirstFrame);
        if (frame < slide + 75) other.clock.quit(frame);
        other.enter(slide + 75);
        if (frame > slide + 75) other.clock.quit(frame);
        EXPECT_EQ(other.run(), 0) << frame;
        EXPECT_EQ(other.frames.size(), frame) << frame;
        EXPECT_EQ(other.test.memory().palette, other.fullColours);
    }
}

}  // namespace
