#include "tests/course/lesson_harness.h"

#include <gtest/gtest.h>

namespace {

constexpr TileCell Cursor = 0x8407;

TileCell typedCell(const ShownFrame& frame, int column) {
    return frame.text[size_t(20 * MapSide + column)];
}

TEST(TypingExercise, RightKeysAreEchoedAndEveryWrongPressCounted) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    lesson.type(65, 'a');
    lesson.typeAll(66, "xA");                                   // Shift makes "A" another character
    lesson.clock.keyDown(67, SDLK_x, SDL_SCANCODE_X, 0, true);  // each repeat counts
    lesson.clock.keyDown(67, SDLK_x, SDL_SCANCODE_X, 0, true);
    lesson.clock.keyUp(67, SDLK_x, SDL_SCANCODE_X);
    // Keys that type no character are never judged.
    lesson.press(68, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE);
    lesson.press(68, SDLK_RETURN, SDL_SCANCODE_RETURN);
    lesson.press(68, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    lesson.press(68, SDLK_DELETE, SDL_SCANCODE_DELETE);
    lesson.press(68, SDLK_LEFT, SDL_SCANCODE_LEFT);
    lesson.type(69, 'b');
    for (uint64_t line = 1; line < LineCount; ++line) lesson.typeAll(69 + line, "ab");
    lesson.clock.quit(78 + 66);  // once the figures are shown
    lesson.run();

    const auto& frames = lesson.frames;
    EXPECT_EQ(textAt(frames[65], 2, 16, 17), "Type these words:");
    EXPECT_EQ(textAt(frames[65], 2, 18, 2), "ab");
    for (size_t f = 65; f <= 68; ++f) {
        EXPECT_EQ(textAt(frames[f], 2, 20, 1), "a");
        EXPECT_EQ(typedCell(frames[f], 3), Cursor);
    }
    // A finished line gives way to the next one at once.
    EXPECT_EQ(typedCell(frames[69], 2), Cursor);
    EXPECT_EQ(typedCell(frames[69], 3), 0x8020);
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             4");
}

TEST(TypingExercise, TheCharacterComesFromTheKeyAndTheEventsModifiers) {
    struct Case {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int mod;
        char typed;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, KMOD_CAPS, 'A'},
        {SDLK_1, SDL_SCANCODE_1, KMOD_CAPS, '1'},  // Caps Lock leaves other keys alone
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, KMOD_CAPS, '\''},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT | KMOD_CAPS, 'A'},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, KMOD_RSHIFT, ':'},
        {SDLK_1, SDL_SCANCODE_1, KMOD_LSHIFT, '!'},
        {'A', SDL_SCANCODE_A, 0, 'a'},  // which of the key's characters the code is: no matter
        {':', SDL_SCANCODE_SEMICOLON, 0, ';'},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LSHIFT, ' '},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LALT | KMOD_NUM, 'a'},
    };
    LessonHarness lesson;
    std::string line;
    for (const Case& each : cases) line += each.typed;
    lesson.setUp({"e"}, (line + ".").c_str());
    uint64_t frame = Exercise;
    for (const Case& each : cases) lesson.press(frame++, each.key, each.scancode, each.mod);
    lesson.escape(frame);
    lesson.run();
    // Each press is accepted only if it typed the character the line expects next.
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const ShownFrame& shown = lesson.frames[Exercise + uint64_t(i)];
        EXPECT_EQ(typedCell(shown, 3 + i), Cursor) << "case " << i;
        EXPECT_EQ(textAt(shown, 2 + i, 20, 1), std::string(1, cases[i].typed)) << "case " << i;
    }
}

TEST(TypingExercise, PressesInOneFrameAreJudgedInOrderAcrossALineEnd) {
    LessonHarness lesson;
    lesson.setUp({"e"});
    std::strcpy(lesson.screen->lines[1], "cd");
    lesson.typeAll(65, "abcx");
    lesson.type(66, 'd');
    const uint64_t last = 74;
    for (uint64_t line = 2; line < LineCount; ++line) lesson.typeAll(65 + line, "ab");
    lesson.clock.quit(last + 2);
    lesson.run();
    EXPECT_EQ(textAt(lesson.frames[65], 2, 18, 2), "cd");
    EXPECT_EQ(textAt(lesson.frames[65], 2, 20, 1), "c");
    EXPECT_EQ(typedCell(lesson.frames[65], 3), Cursor);
    // The tenth line stays in view, cursor behind it, for one frame; then the results
    // clear the text layer for their banner.
    const ShownFrame& final = lesson.frames[last];
    EXPECT_EQ(textAt(final, 2, 20, 2), "ab");
    EXPECT_EQ(typedCell(final, 4), Cursor);
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
    struct Expected {
        uint64_t frame, pressed;
        const char* labels;
        uint32_t lampGroup;
    };
    const Expected stages[] = {
        {69, 0, "1a;", 0},  {70, uint64_t(1) << 26, "1a;", 0},
        {75, 0, "1a;", 0},  {80, uint64_t(1) << 52, "!A:", 0},
        {85, 0, "1a;", 0},  {90, uint64_t(1) << 50, "1A;", 1},
        {91, 0, "1A;", 1},  {100, uint64_t(1) << 50, "1a;", 0},
        {105, 0, "1a;", 0},  // no Ctrl key
    };
    for (const Expected& stage : stages) {
        const ShownFrame& frame = lesson.frames[stage.frame];
        EXPECT_EQ(frame.pressedKeys, stage.pressed) << stage.frame;
        EXPECT_EQ(frame.labels, stage.labels) << stage.frame;
        EXPECT_EQ(frame.lampGroup, stage.lampGroup) << stage.frame;
    }
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

TEST(TypingExercise, EscapeOrAWindowCloseAbandonsTheLesson) {
    for (bool close : {false, true}) {
        LessonHarness lesson;
        lesson.setUp({"e"});
        lesson.type(65, 'a');
        close ? lesson.clock.quit(70) : lesson.escape(70);
        EXPECT_EQ(lesson.run(), 0);
        EXPECT_EQ(lesson.frames.size(), 70u);
        EXPECT_EQ(lesson.test.memory().palette, lesson.fullColours);
    }
}

}  // namespace
