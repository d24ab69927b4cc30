// The typing exercise: presses judged by the characters they type on US, German and French
// layouts, the keyboard following Shift and Caps Lock, the clock, results and pause.
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A press is judged by the text the system makes of it (with Ctrl or Alt, the key's own), not
// its key code; a wrong one (a repeat too) is an error; labels and lamp follow Shift and Caps
// Lock; a frame's presses are judged in order across line ends.
TEST(TypingExercise, EachPressIsJudgedByTheCharacterItTypes) {
    struct Press {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int mod;
        bool repeat;
        char typed;         // 0: an error; 1: not judged
        const char* shown;  // the labels of keys 1, A and ;, then the Caps Lock lamp
    };
    const Press presses[] = {
        {SDLK_a, SDL_SCANCODE_A, KMOD_CAPS, false, 'A', "1A;1"},
        {SDLK_x, SDL_SCANCODE_X, 0, false, 0, "1a;0"},
        {SDLK_1, SDL_SCANCODE_1, KMOD_CAPS, false, '1', "1A;1"},  // Caps Lock: letters only
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, false, 1, "!A:0"},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT | KMOD_CAPS, false, 0, "!a:1"},  // "a" is not "A"
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT, false, 'A', "!A:0"},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, KMOD_RSHIFT, false, ':', "!A:0"},
        {'A', SDL_SCANCODE_A, 0, false, 'a', "1a;0"},
        {SDLK_x, SDL_SCANCODE_X, 0, true, 0, "1a;0"},
        {':', SDL_SCANCODE_SEMICOLON, 0, false, ';', "1a;0"},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, false, 1, "1a;0"},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LSHIFT, false, ' ', "!A:0"},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LALT | KMOD_NUM, false, 'a', "1a;0"},
    };
    const std::string line = "A1A:a; a";  // the characters typed
    Lesson lesson({}, line.c_str());
    uint64_t frame = Exercise;
    for (const Press& p : presses) {
        lesson.clock.keyDown(frame, p.key, p.scancode, uint16_t(p.mod), p.repeat);
        lesson.clock.keyUp(frame++, p.key, p.scancode, uint16_t(p.mod));
    }
    lesson.type(frame, line + line + line + line + line + line + line + line + line);
    lesson.clock.quit(frame + 66);  // once the figures are shown
    lesson.run();
    EXPECT_EQ(lesson.text(Exercise, 2, 18, int(line.size())), line);
    EXPECT_EQ(lesson.text(frame, 2, 20, 9) + lesson.text(frame + 1, 2, 20, 3), line + "_###");
    size_t typed = 0;
    for (size_t i = 0; i + 1 < std::size(presses); ++i) {
        typed += presses[i].typed > 1 ? 1 : 0;
        EXPECT_EQ(lesson.text(Exercise + i, 2, 20, int(typed) + 1), line.substr(0, typed) + "_");
        EXPECT_EQ(lesson.frames[Exercise + i].substr(24 * MapSide), presses[i].shown) << i;
    }
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             3");
}

// Every lesson character typed the German or French way (AltGr and dead keys too) after the
// US way where that differs: only the US ways and a composed letter are wrong. The layout,
// reported or found on focus, relabels the keys at once; the keypad is not judged.
TEST(KeyboardLayouts, EveryLessonsCharactersAreTypedTheLayoutsWay) {
    std::u32string characters;
    for (const CourseLesson& lesson : builtInCourse().lessons)
        for (const std::string& entry : lesson.entries)
            for (char c : entry)
                if (characters.find(char32_t(c)) == std::u32string::npos) characters += char32_t(c);
    ASSERT_LE(characters.size(), 30u * LineCount);
    // The labels of keys 1, 26 and 35 once the layout has come ("\xF6" is the glyph of "ö").
    for (auto [layout, labels] : {std::pair{&germanLayout(), "1a\xF6"}, {&frenchLayout(), "&qm"}}) {
        Lesson lesson;
        lesson.clock.textInputOn = false;  // until the exercise turns it on
        lesson.clock.changeLayout(Exercise, *layout, layout == &germanLayout());
        lesson.clock.keyDown(Exercise + 1, SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE);
        lesson.clock.push(Exercise + 1, textEvent("/"));
        // AltGr and the key right of L give a dead circumflex on both: with "e", an "\u00EA".
        lesson.clock.keyDown(Exercise + 1, 0, SDL_SCANCODE_APOSTROPHE, KMOD_RALT);
        lesson.clock.keyDown(Exercise + 1, SDLK_e, SDL_SCANCODE_E);
        int wrong = 1;
        for (size_t line = 0; line < LineCount; ++line) {
            const std::u32string part =
                characters.substr(std::min(line * 30, characters.size()), 30);
            const std::string text = part.empty() ? "." : std::string(part.begin(), part.end());
            std::strcpy(lesson.screen->lines[line], text.c_str());
            for (const char c : text) {
                const SimulatedKeystroke us = simulatedKeystrokes(usLayout(), char32_t(c))[0];
                for (const SimulatedKey& key : *layout) {
                    const char32_t typed = us.mod == KMOD_LSHIFT ? key.shifted : key.alone;
                    if (key.scancode != us.scancode || typed == char32_t(c) || typed == U' ' ||
                        typed >= 0x300)
                        continue;
                    lesson.press(Exercise + 2 + line, SDLK_a, us.scancode, us.mod);
                    wrong += 1;
                }
                ASSERT_FALSE(simulatedKeystrokes(*layout, char32_t(c)).empty()) << c;
                lesson.clock.typeText(Exercise + 2 + line, std::u32string(1, char32_t(c)));
            }
        }
        lesson.clock.quit(Exercise + 2 + LineCount + 66);
        lesson.run();
        EXPECT_EQ(lesson.frames[Exercise - 1].substr(24 * MapSide, 3), "1a;");
        EXPECT_EQ(lesson.frames[Exercise].substr(24 * MapSide, 3), labels);
        char errors[32];
        std::snprintf(errors, sizeof errors, "Errors:          %4d", wrong);
        EXPECT_EQ(lesson.resultsLine(14), errors);
        EXPECT_GT(wrong, 20);
    }
}

// The clock runs from the first exercise frame to the last character; later presses (Escape
// too) are dropped.
TEST(LessonResults, ShowSpeedErrorsAndTime) {
    struct Case {
        const char* line;             // typed ten times, one a frame
        uint64_t jumpFrame, seconds;  // the clock jumps by `seconds` during that frame
        int errors;
        const char *wordsPerMinute, *time;
    };
    const Case cases[] = {
        {"abc abc abc abc abc abc abc abc abc", 65, 70, 4, "  60", "01:10"},  // 350 characters
        {"abcd abcde", 65, 59, 0, "  20", "00:59"},                           // 20.3, truncated
        {"ab", 65, 6000, 0, "   0", "100:00"},
        {"ab", 64, 100, 0, "   0", "00:00"},  // the intro's last frame: no speed, no division by 0
    };
    for (const Case& c : cases) {
        Lesson lesson({}, c.line);
        lesson.jumpFrame = c.jumpFrame;
        lesson.jumpSeconds = c.seconds;
        lesson.type(Exercise, std::string(size_t(c.errors), '`'));
        const uint64_t last = Exercise + LineCount - 1;
        for (int line = 0; line < LineCount; ++line) lesson.type(Exercise + line, c.line);
        lesson.type(last, "x");
        lesson.escape(last);
        lesson.press(last + 65, SDLK_RETURN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(lesson.run(), c.jumpFrame == 65 ? int32_t(c.seconds) : 0);
        EXPECT_EQ(lesson.resultsLine(12), std::string("Words Per Minute:") + c.wordsPerMinute);
        EXPECT_EQ(lesson.resultsLine(14), "Errors:             " + std::to_string(c.errors));
        EXPECT_EQ(lesson.resultsLine(16), std::string("Time:           ") + c.time);
    }
}

// Without the keyboard focus the clock stands and "Paused" shows; the first key once the
// focus is back only resumes, and the time away counts for nothing.
TEST(LessonResults, TheClockStandsWhileTheWindowHasNoFocus) {
    const auto focus = [](Lesson& lesson, uint64_t frame, SDL_WindowEventID what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = uint8_t(what);
        lesson.clock.push(frame, event);
    };
    Lesson lesson({}, "ab");
    const uint64_t resumed = Exercise + 602;
    lesson.type(Exercise, "a");
    focus(lesson, Exercise + 1, SDL_WINDOWEVENT_FOCUS_LOST);
    lesson.type(Exercise + 2, "b");  // no focus: not judged
    focus(lesson, Exercise + 600, SDL_WINDOWEVENT_FOCUS_GAINED);
    lesson.type(resumed, "x");  // resumes only: no error
    lesson.type(resumed + 1, "b");
    lesson.jumpFrame = resumed + 2;
    lesson.jumpSeconds = 70;
    uint64_t last = resumed + 3;  // the other nine lines, one a frame
    for (int line = 1; line < LineCount; ++line) lesson.type(last++, lesson.screen->lines[line]);
    lesson.press(last + 66, SDLK_RETURN, SDL_SCANCODE_RETURN);
    EXPECT_EQ(lesson.run(), 70);
    const RunSummary& summary = lesson.summary();
    EXPECT_EQ(lesson.text(Exercise, 30, 16, 6), "######");
    EXPECT_EQ(lesson.text(Exercise + 1, 30, 16, 6), "Paused");
    EXPECT_EQ(lesson.text(Exercise + 300, 2, 20, 2), "a_");
    EXPECT_EQ(lesson.text(resumed, 30, 16, 6), "######");
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             0");
    EXPECT_TRUE(summary.finished && summary.seconds == 70 && summary.characters == 20);
    EXPECT_EQ(summary.keys.expected[int('a')], 10u);

    // Focus lost during the intro: the exercise begins paused.
    Lesson away({}, "ab");
    focus(away, 10, SDL_WINDOWEVENT_FOCUS_LOST);
    away.jumpFrame = Exercise + 100;
    away.jumpSeconds = 600;
    focus(away, Exercise + 200, SDL_WINDOWEVENT_FOCUS_GAINED);
    away.type(Exercise + 201, "x");
    uint64_t end = Exercise + 202;
    for (int line = 0; line < LineCount; ++line) away.type(end++, away.screen->lines[line]);
    away.press(end + 66, SDLK_RETURN, SDL_SCANCODE_RETURN);
    EXPECT_EQ(away.run(), 0);
    EXPECT_EQ(away.text(Exercise, 30, 16, 6), "Paused");
    EXPECT_TRUE(away.summary().finished && away.summary().errors == 0);
}

}  // namespace
