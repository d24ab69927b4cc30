// A lesson's run, frame by frame: the fade-in and intro script, the typing exercise, the
// results, and every way out.
#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

constexpr TileCell Cursor = 0x8407;

TileCell typedCell(const ShownFrame& frame, int column) {
    return frame.text[size_t(20 * MapSide + column)];
}

int64_t exerciseStart(const LessonHarness& lesson) {
    return lesson.frameShowing("Type these words:", 16);
}

// ---- Fade-in and intro ------------------------------------------------------------------

TEST(LessonIntro, FadesInThenTextsTakeAFramePerCharacterAndPausesTheirCount) {
    LessonHarness lesson;
    lesson.setUp({"t0216abc", "c021601", "t0417d", "p000", "t0218e", "p001", "t0219f", "p060",
                  "t0220g", "e"});
    lesson.escape(140);
    EXPECT_EQ(lesson.run(), 0);
    const auto& frames = lesson.frames;
    // The lesson's own fade-in, with the lamp; then the layers of the lesson screen.
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(frames[k].group0, scaled(lesson.fullColours[1], k)) << k;
    }
    const SpriteEntry& lamp = lesson.test.memory().sprites[CapsLockLampSprite];
    EXPECT_EQ(lamp.attributes, 0x04060000u | (52 + 32));  // tile 6 at screen (40, 52)
    EXPECT_EQ(lamp.placement, 0x0600u | (40 + 32));
    EXPECT_EQ(frames[64].group0, lesson.fullColours[1]);
    EXPECT_EQ(frames[64].layers[0], 0x80000000u);
    EXPECT_EQ(frames[64].layers[1], 0x80000000u | layerScroll(-37, -17));
    EXPECT_EQ(frames[64].layers[2], 0x80000000u | layerScroll(-40, -20));
    EXPECT_EQ(frames[64].layers[3], 0x80000000u | 65u);  // the callback counted 65 frames

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

struct KeyboardStage {
    uint64_t frame, pressed;
    const char* labels;
    uint32_t lampGroup;
};

void expectKeyboardStages(const LessonHarness& lesson, std::initializer_list<KeyboardStage> all) {
    for (const KeyboardStage& stage : all) {
        const ShownFrame& frame = lesson.frames[stage.frame];
        EXPECT_EQ(frame.pressedKeys, stage.pressed) << stage.frame;
        EXPECT_EQ(frame.labels, stage.labels) << stage.frame;
        EXPECT_EQ(frame.lampGroup, stage.lampGroup) << stage.frame;
    }
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
    expectKeyboardStages(lesson, {
                                     {64, f, "1a;", 0},
                                     {70, f | left, "!A:", 0},
                                     {80, f | left | right, "!A:", 0},
                                     {90, f | right, "!A:", 0},  // upper until both are up
                                     {100, caps, "1A;", 1},      // Caps Lock: letters and the lamp
                                     {110, 0, "1a;", 0},
                                 });
}

// Commands the lessons never hold: texts and clears that would land outside the text
// layer, commands too short for their operands, highlights of characters without a key,
// a script without "e". None reads or writes out of bounds; malformed ones are skipped
// without taking a frame.
TEST(LessonIntro, FaultyScriptsStaySafe) {
    LessonHarness lesson;
    lesson.setUp({"t6215abcd", "c621503", "c999999", "c/0/099", "t9999y", "t/0/0y", "t02", "t0216",
                  "c0216", "c02164", "p", "p06", "h", "hf", "h\r1", "h\0011", "h\3101", "t0217x"});
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
    EXPECT_TRUE(
        std::equal(before.begin(), before.end(), lesson.test.memory().maps.begin() + MapCellCount));

    LessonHarness full;  // every slot holds a command that takes no frame
    full.setUp(std::vector<const char*>(ScriptSlots, "c000000"));
    full.escape(70);
    full.run();
    EXPECT_EQ(exerciseStart(full), 65);
}

// ---- Typing exercise --------------------------------------------------------------------

// The typed character comes from the key and the event's modifiers, whichever of the key's
// characters the key code is; a press is accepted only if it typed the character the line
// expects next; every other press of a character key is an error, repeats included.
TEST(TypingExercise, EachPressIsJudgedByTheCharacterItTypes) {
    struct Press {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int mod;
        char typed;  // 0: an error; 1: not judged at all
        bool repeat = false;
    };
    const Press presses[] = {
        {SDLK_a, SDL_SCANCODE_A, KMOD_CAPS, 'A'},
        {SDLK_x, SDL_SCANCODE_X, 0, 0},
        {SDLK_1, SDL_SCANCODE_1, KMOD_CAPS, '1'},  // Caps Lock leaves other keys alone
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, KMOD_CAPS, '\''},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT | KMOD_CAPS, 'A'},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, KMOD_RSHIFT, ':'},
        {SDLK_1, SDL_SCANCODE_1, KMOD_LSHIFT, '!'},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT, 0},  // "A" is another character than "a"
        {'A', SDL_SCANCODE_A, 0, 'a'},
        {SDLK_x, SDL_SCANCODE_X, 0, 0, true},
        {SDLK_x, SDL_SCANCODE_X, 0, 0, true},
        {':', SDL_SCANCODE_SEMICOLON, 0, ';'},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0, 1},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, 1},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, 1},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0, 1},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LSHIFT, ' '},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LALT | KMOD_NUM, 'a'},
    };
    std::string line;
    for (const Press& each : presses) line += each.typed > 1 ? std::string(1, each.typed) : "";
    LessonHarness lesson;
    lesson.setUp({"e"}, line.c_str());
    uint64_t frame = Exercise;
    for (const Press& each : presses) {
        lesson.clock.keyDown(frame, each.key, each.scancode, uint16_t(each.mod), each.repeat);
        lesson.clock.keyUp(frame++, each.key, each.scancode, uint16_t(each.mod));
    }
    lesson.clock.quit(lesson.typeLines(frame, 1) + 66);  // once the figures are shown
    lesson.run();

    EXPECT_EQ(textAt(lesson.frames[Exercise], 2, 16, 17), "Type these words:");
    EXPECT_EQ(textAt(lesson.frames[Exercise], 2, 18, int(line.size())), line);
    size_t typed = 0;
    for (size_t i = 0; i + 1 < std::size(presses); ++i) {
        typed += presses[i].typed > 1 ? 1 : 0;
        const ShownFrame& shown = lesson.frames[Exercise + i];
        EXPECT_EQ(textAt(shown, 2, 20, int(typed)), line.substr(0, typed)) << "press " << i;
        EXPECT_EQ(typedCell(shown, 2 + int(typed)), Cursor) << "press " << i;
    }
    // A finished line gives way to the next one at once.
    EXPECT_EQ(typedCell(lesson.frames[frame - 1], 2), Cursor);
    EXPECT_EQ(typedCell(lesson.frames[frame - 1], 3), 0x8020);
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             4");
}

TEST(TypingExercise, PressesInOneFrameAreJudgedInOrderAcrossALineEnd) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    std::strcpy(lesson.screen->lines[1], "cd");
    lesson.typeAll(65, "abcx");
    lesson.type(66, 'd');
    const uint64_t last = lesson.typeLines(67, 2);
    lesson.clock.quit(last + 2);
    lesson.run();
    EXPECT_EQ(textAt(lesson.frames[65], 2, 18, 2), "cd");
    EXPECT_EQ(textAt(lesson.frames[65], 2, 20, 1), "c");
    EXPECT_EQ(typedCell(lesson.frames[65], 3), Cursor);
    // The tenth line stays in view, cursor behind it, for one frame; then the results
    // clear the text layer for their banner.
    EXPECT_EQ(textAt(lesson.frames[last], 2, 20, 2), "ab");
    EXPECT_EQ(typedCell(lesson.frames[last], 4), Cursor);
    const ShownFrame& results = lesson.frames[last + 1];
    EXPECT_EQ(results.text[20 * 64 + 2], 0x83FF);
    EXPECT_EQ(results.text[6 * 64 + 13], 0x8800 | 224);
}

TEST(TypingExercise, TheKeyboardMirrorsHeldKeysShiftAndCapsLock) {
    LessonHarness lesson;
    lesson.setUp({"e"}, "zz");
    VirtualHost& clock = lesson.clock;
    clock.keyDown(70, SDLK_a, SDL_SCANCODE_A);
    clock.keyUp(75, SDLK_a, SDL_SCANCODE_A);
    clock.keyDown(80, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    clock.keyUp(85, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    clock.keyDown(90, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS);
    clock.keyUp(91, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS);
    clock.keyDown(100, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK);
    clock.keyUp(101, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK);
    clock.keyDown(105, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL);
    clock.quit(lesson.typeLines(110) + 66);
    lesson.run();
    expectKeyboardStages(lesson, {
                                     {69, 0, "1a;", 0},
                                     {70, uint64_t(1) << 26, "1a;", 0},
                                     {75, 0, "1a;", 0},
                                     {80, uint64_t(1) << 52, "!A:", 0},
                                     {85, 0, "1a;", 0},
                                     {90, uint64_t(1) << 50, "1A;", 1},
                                     {91, 0, "1A;", 1},
                                     {100, uint64_t(1) << 50, "1a;", 0},
                                     {105, 0, "1a;", 0},  // no Ctrl key
                                 });
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             1");  // the "a"
}

TEST(TypingExercise, TheClockRunsFromTheFirstFrameToTheLastCharacter) {
    // The learner lingers 100 seconds on the intro's last frame or the exercise's first.
    for (uint64_t lingering : {64, 65}) {
        LessonHarness lesson;
        lesson.setUp({"e"});
        lesson.jumpFrame = lingering;
        lesson.jumpSeconds = 100;
        const uint64_t last = lesson.typeLines(65);
        lesson.type(last, 'x');  // after the tenth line: dropped, Escape too
        lesson.escape(last);
        lesson.enter(last + 65);
        EXPECT_EQ(lesson.run(), lingering == 65 ? 100 : 0);
        EXPECT_EQ(lesson.resultsLine(14), "Errors:             0");
    }
}

// ---- Results ----------------------------------------------------------------------------

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

TEST(LessonResults, SlideDimWaitForEnterAndFadeOut) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.jumpFrame = Exercise;
    lesson.jumpSeconds = 42;
    const uint64_t slide = lesson.typeLines(Exercise) + 1;  // the first frame of the results
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

// Escape in the intro or the exercise, and a window close in the exercise or any step of
// the results, abandon the lesson at once (no further frame) with the palette as it was.
// (A window close in the intro ends the program: the journeys check that.)
TEST(LessonRun, EscapeAndWindowCloseAbandonTheLesson) {
    const uint64_t slide = Exercise + LineCount;  // the first frame of the results
    struct Case {
        const char* firstCommand;
        uint64_t frame;
        bool close;
        uint64_t framesShown;
    };
    const Case cases[] = {
        {"w", 10, false, 64},  // during the fade, read in the first intro frame
        {"w", 90, false, 90},
        {"e", 70, false, 70},
        {"e", 70, true, 70},
        {"e", slide + 10, true, slide + 10},
        {"e", slide + 70, true, slide + 70},
        {"e", slide + 80, true, slide + 80},  // in the fade-out after Enter
    };
    for (const Case& c : cases) {
        LessonHarness lesson;
        lesson.setUp({c.firstCommand, "e"});
        if (c.frame > slide) lesson.typeLines(Exercise);
        if (c.frame > slide + 75) lesson.enter(slide + 75);
        c.close ? lesson.clock.quit(c.frame) : lesson.escape(c.frame);
        EXPECT_EQ(lesson.run(), 0) << c.frame;
        EXPECT_EQ(lesson.frames.size(), c.framesShown) << c.frame;
        EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours) << c.frame;
    }
}

}  // namespace
