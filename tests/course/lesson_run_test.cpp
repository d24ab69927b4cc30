// Word lines, and a lesson's run frame by frame: fade-in and intro script, typing exercise and
// results, with a hand-made script and word line and key presses at chosen frames.
#include "course/lesson_catalogue.h"
#include "course/lesson_run.h"
#include "course/on_screen_keyboard.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
constexpr uint64_t Exercise = 65;  // the first exercise frame after a script of just "e"

Lines makeLines(const std::vector<const char*>& words, uint32_t seed, int32_t count = 99) {
    auto screen = std::make_unique<LessonScreen>();
    std::mt19937 random(seed);
    makeWordLines(*screen, words.data(), std::min(count, int32_t(words.size())), random);
    EXPECT_EQ(random == std::mt19937(seed), screen->lines[0][0] == 0);  // no draw for nothing
    return Lines(screen->lines, screen->lines + LineCount);
}

uint32_t scaled(uint32_t colour, uint32_t level) {  // as fades and dimming show it
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        result |= ((colour >> shift & 0xFF) * level >> 6) << shift;
    return result;
}

struct Lesson {
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    // Exactly ScriptSlots slots, each command a heap copy of its exact length: the sanitizers
    // catch any read past either.
    std::unique_ptr<const char*[]> script = std::make_unique<const char*[]>(ScriptSlots);
    std::vector<std::unique_ptr<char[]>> commands;
    // Per frame: map 0 rows 0 to 23 as text (intro, typed and results characters, '_' for the
    // cursor, '#' for other cells), the labels of keys 1, 26 and 35, the lamp's group.
    std::vector<std::string> frames;
    std::vector<uint32_t> group0;  // palette entry 1 per frame
    Palette colours{};
    uint64_t jumpFrame = UINT64_MAX, jumpSeconds = 0;  // the clock jumps during that frame

    explicit Lesson(const std::vector<const char*>& commandList, const char* line = "ab") {
        installVirtualHost(clock);
        for (size_t i = 0; i < colours.size(); ++i) colours[i] = 0x400000u + 0x10101u * i;
        test.memory().palette = colours;
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) { look(memory); };
        for (size_t i = 0; i < commandList.size(); ++i) {
            commands.push_back(std::make_unique<char[]>(std::strlen(commandList[i]) + 1));
            script[i] = std::strcpy(commands.back().get(), commandList[i]);
        }
        const char* words[] = {"abc"};
        setUpLessonScreen(test.video(), *screen, words, 1, "Title", script.get());
        for (char* each : screen->lines) std::strcpy(each, line);
    }
    ~Lesson() { restoreHost(); }
    int32_t run() { return runLesson(*screen); }

    void press(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, int mod = 0) {
        clock.keyDown(frame, key, scancode, uint16_t(mod));
        clock.keyUp(frame, key, scancode, uint16_t(mod));
    }
    // The keys of `text`, with Shift for upper characters; SDL's key code is the unshifted one.
    void type(uint64_t frame, const std::string& text) {
        for (char c : text) {
            const KeyboardKey& key = screen->keys[screen->keyByChar[uint8_t(c)]];
            press(frame, key.lowerChar, SDL_Scancode(key.scancode),
                  uint8_t(c) != key.lowerChar ? KMOD_LSHIFT : 0);
        }
    }
    // Types the lines from `first`, one a frame from `frame`; returns the last line's frame.
    uint64_t typeLines(uint64_t frame, int first = 0) {
        for (int line = first; line < LineCount; ++line) type(frame++, screen->lines[line]);
        return frame - 1;
    }
    void escape(uint64_t frame) { press(frame, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE); }

    std::string text(size_t frame, int column, int row, int count) {
        return frames[frame].substr(size_t(row * MapSide + column), size_t(count));
    }
    int64_t frameShowing(const std::string& shown, int row) {
        for (size_t f = 0; f < frames.size(); ++f)
            if (text(f, 2, row, int(shown.size())) == shown) return int64_t(f);
        return -1;
    }
    std::string resultsLine(int row) {  // a statistics line of the last frame
        const std::string line = text(frames.size() - 1, 9, row, 40);
        return line.substr(0, line.find('#'));
    }

    void look(const VideoMemory& memory) {
        if (clock.framesComposed - 1 == jumpFrame) clock.counter += jumpSeconds * clock.frequency;
        std::string shown(24 * MapSide, '#');
        for (size_t i = 0; i < shown.size(); ++i) {
            const int tile = cellTile(memory.maps[i]), group = memory.maps[i] & 0xFC00;
            if (group == 0x8400 && tile >= 128) shown[i] = char(tile - 96);
            if (group == 0x8800 && tile >= 32 && tile < 127) shown[i] = char(tile);
            if (memory.maps[i] == 0x8407) shown[i] = '_';
        }
        for (int k : {1, 26, 35}) {
            const KeyboardKey& key = screen->keys[k];
            const int cell = mapIndex(1, key.column + key.width - 1, key.row + 1);
            shown += char(key.pressed != 0 ? spriteTileOf(memory.sprites[size_t(k)].attributes)
                                           : cellTile(memory.maps[size_t(cell)]));
        }
        frames.push_back(shown + char('0' + (memory.sprites[CapsLockLampSprite].placement >> 12)));
        group0.push_back(memory.palette[1]);
    }
};

TEST(WordLines, FillTheBudgetWithWholeEntriesDrawnFromTheSeed) {
    const std::vector<const char*> homeRow = {"a", "sad", "lass", "fall", "ad", "flask"};
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        for (const std::string& line : makeLines(homeRow, seed)) {
            // The shortest entry has one character: a line stops with 1 or 2 of 36 left.
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
            for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
                end = line.find(' ', start);
                const std::string word = line.substr(start, end - start);
                EXPECT_NE(std::find(homeRow.begin(), homeRow.end(), word), homeRow.end()) << line;
            }
        }
    }
    const char* tooLong = "abcdefghijklmnopqrstuvwxyzABCDEFGHI";  // 35 characters
    EXPECT_EQ(makeLines({"abc"}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    EXPECT_EQ(makeLines({tooLong + 1, "ab"}, 7)[0].size(), 34u);  // alone on its line
    EXPECT_EQ(makeLines(homeRow, 5, -3), Lines(10, ""));
    EXPECT_EQ(makeLines({tooLong, tooLong}, 5), Lines(10, ""));

    // Set-up seeds the lines from the host's calendar seconds, anew each time.
    Lesson lesson({"e"});
    for (int second = 0; second < 2; ++second, ++lesson.clock.calendarSeconds) {
        setUpLessonScreen(lesson.test.video(), *lesson.screen, homeRow.data(), 6, "", nullptr);
        EXPECT_EQ(Lines(lesson.screen->lines, lesson.screen->lines + LineCount),
                  makeLines(homeRow, 1700000000u + uint32_t(second)));
    }
}

// A text takes a frame a character; a clear runs with the command after it; a pause of 0
// takes one frame; a wait ends with the first press read while waiting; highlights show the
// key pressed, and Shift and Caps Lock switch the labels and the lamp.
TEST(LessonIntro, FadeInThenEachCommandTakesItsFrames) {
    Lesson lesson({"t0216abc", "c021601", "t0217d", "p000", "t0218e", "p060", "t0219f", "w", "h\a1",
                   "t0220g", "w", "h\f1", "h\a0", "t0221h", "w", "h\f0", "e"});
    lesson.type(10, "q");   // read in the first intro frame, while printing: forgotten
    lesson.type(100, "q");  // during the pause: forgotten
    lesson.type(135, "q");
    lesson.type(140, "qq");  // two presses in one frame end one wait
    lesson.type(145, "q");
    lesson.escape(150);
    EXPECT_EQ(lesson.run(), 0);
    for (uint32_t k = 0; k < 64; ++k) EXPECT_EQ(lesson.group0[k], scaled(lesson.colours[1], k));
    const struct {
        const char* shown;
        int row;
        int64_t frame;
    } firstShown[] = {{"a##", 16, 64}, {"abc", 16, 66}, {"#bc", 16, 67},
                      {"d", 17, 67},   {"e", 18, 69},   {"f", 19, 130},
                      {"g", 20, 135},  {"h", 21, 140},  {"Type these words:", 16, 146}};
    for (const auto& each : firstShown)
        EXPECT_EQ(lesson.frameShowing(each.shown, each.row), each.frame) << each.shown;
    for (auto [frame, labels] :
         {std::pair{134, "1a;0"}, {135, "!A:0"}, {140, "1A;1"}, {146, "1a;0"}})
        EXPECT_EQ(lesson.frames[size_t(frame)].substr(24 * MapSide), labels) << frame;
}

// Commands the lessons never hold: texts and clears outside the text layer, commands too
// short for their operands, highlights of characters without a key, no "e". None reads or
// writes out of bounds; malformed ones are skipped without taking a frame.
TEST(LessonIntro, FaultyScriptsStaySafe) {
    Lesson lesson({"t6215abcd", "c621503", "c999999", "c/0/099", "t9999y", "t/0/0y", "t02", "t0216",
                   "c0216", "c02164", "p", "p06", "h", "hf", "h\r1", "h\0011", "h\3101", "t0217x"});
    lesson.escape(90);
    const std::vector<TileCell> others(lesson.test.memory().maps.begin() + MapCellCount,
                                       lesson.test.memory().maps.end());
    lesson.run();
    EXPECT_EQ(lesson.text(70, 62, 15, 4), "###d");  // a clear goes on into the next row
    EXPECT_EQ(lesson.text(70, 2, 17, 1), "x");
    EXPECT_EQ(lesson.frameShowing("Type these words:", 16), 72);
    EXPECT_TRUE(
        std::equal(others.begin(), others.end(), lesson.test.memory().maps.begin() + MapCellCount));

    Lesson full(std::vector<const char*>(ScriptSlots, "c000000"));  // every slot, none ends it
    full.escape(70);
    full.run();
    EXPECT_EQ(full.frameShowing("Type these words:", 16), 65);
}

// The typed character comes from the key and the event's modifiers, whatever the key code; a
// press is accepted only if it typed the character expected next; every other press of a
// character key is an error, repeats included, and the same character stays expected. The
// labels and the lamp follow Shift and Caps Lock.
TEST(TypingExercise, EachPressIsJudgedByTheCharacterItTypes) {
    const struct {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int mod;
        char typed;  // 0: an error; 1: not judged at all
        const char* labels;
        bool repeat = false;
    } presses[] = {
        {SDLK_a, SDL_SCANCODE_A, KMOD_CAPS, 'A', "1A;1"},
        {SDLK_x, SDL_SCANCODE_X, 0, 0, "1a;0"},
        {SDLK_1, SDL_SCANCODE_1, KMOD_CAPS, '1', "1A;1"},  // Caps Lock leaves other keys alone
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, 1, "!A:0"},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT | KMOD_CAPS, 'A', "!A:1"},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, KMOD_RSHIFT, ':', "!A:0"},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT, 0, "!A:0"},  // "A" is another character than "a"
        {'A', SDL_SCANCODE_A, 0, 'a', "1a;0"},
        {SDLK_x, SDL_SCANCODE_X, 0, 0, "1a;0", true},
        {':', SDL_SCANCODE_SEMICOLON, 0, ';', "1a;0"},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, 1, "1a;0"},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1, "1a;0"},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LSHIFT, ' ', "!A:0"},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LALT | KMOD_NUM, 'a', "1a;0"},
    };
    std::string line;
    for (const auto& each : presses) line += each.typed > 1 ? std::string(1, each.typed) : "";
    Lesson lesson({"e"}, line.c_str());
    uint64_t frame = Exercise;
    for (const auto& each : presses) {
        lesson.clock.keyDown(frame, each.key, each.scancode, uint16_t(each.mod), each.repeat);
        lesson.clock.keyUp(frame++, each.key, each.scancode, uint16_t(each.mod));
    }
    lesson.clock.quit(lesson.typeLines(frame, 1) + 66);  // once the figures are shown
    lesson.run();
    EXPECT_EQ(lesson.text(Exercise, 2, 18, int(line.size())), line);
    size_t typed = 0;
    for (size_t i = 0; i + 1 < std::size(presses); ++i) {
        typed += presses[i].typed > 1 ? 1 : 0;
        EXPECT_EQ(lesson.text(Exercise + i, 2, 20, int(typed) + 1), line.substr(0, typed) + "_");
        EXPECT_EQ(lesson.frames[Exercise + i].substr(24 * MapSide), presses[i].labels) << i;
    }
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             3");
}

// Presses in one frame are judged in order across a line end; the tenth line stays in view
// for one frame; the clock runs from the first exercise frame to the last character, and
// presses after it (Escape too) are dropped.
TEST(TypingExercise, BatchesLineEndsAndTheClock) {
    for (uint64_t lingering : {64, 65}) {  // 100 seconds on the intro's last frame or not
        Lesson lesson({"e"});
        std::strcpy(lesson.screen->lines[1], "cd");
        lesson.jumpFrame = lingering;
        lesson.jumpSeconds = 100;
        lesson.type(65, "abcx");
        lesson.type(66, "d");
        const uint64_t last = lesson.typeLines(67, 2);
        lesson.type(last, "x");
        lesson.escape(last);
        lesson.press(last + 65, SDLK_RETURN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(lesson.run(), lingering == 65 ? 100 : 0);
        EXPECT_EQ(lesson.resultsLine(14), "Errors:             1");
        EXPECT_EQ(lesson.text(65, 2, 18, 2) + lesson.text(65, 2, 20, 2), "cdc_");
        EXPECT_EQ(lesson.text(last, 2, 20, 3), "ab_");
        EXPECT_EQ(lesson.text(last + 1, 2, 20, 3), "###");  // cleared for the results
    }
}

TEST(LessonResults, ShowSpeedErrorsAndTime) {
    const struct {
        const char* line;  // typed ten times, one line a frame
        uint64_t seconds;  // the ten frames add a sixth of a second, which is dropped
        int errors;
        const char *wordsPerMinute, *time;
    } cases[] = {
        {"abc abc abc abc abc abc abc abc abc", 70, 4, "  60", "01:10"},  // 350 characters
        {"abcd abcde", 59, 0, "  20", "00:59"},                           // 20.3, truncated
        {"ab", 6000, 0, "   0", "100:00"},
        {"ab", 0, 0, "   0", "00:00"},  // within a second: no speed rather than a division by 0
    };
    for (const auto& each : cases) {
        Lesson lesson({"e"}, each.line);
        lesson.jumpFrame = Exercise;
        lesson.jumpSeconds = each.seconds;
        for (int i = 0; i < each.errors; ++i) lesson.type(Exercise, "`");
        lesson.clock.quit(lesson.typeLines(Exercise) + 66);  // once the figures are shown
        lesson.run();
        EXPECT_EQ(lesson.resultsLine(12), std::string("Words Per Minute:") + each.wordsPerMinute);
        EXPECT_EQ(lesson.resultsLine(14), "Errors:             " + std::to_string(each.errors));
        EXPECT_EQ(lesson.resultsLine(16), std::string("Time:           ") + each.time);
    }
}

// The banner slides in while the screen dims; Enter counts only once the prompt blinks (with
// bit 5 of the frame count); then the lesson fades out and leaves the palette as it was.
TEST(LessonResults, SlideDimWaitForEnterAndFadeOut) {
    Lesson lesson({"e"});
    const uint64_t slide = lesson.typeLines(Exercise) + 1, waiting = slide + 64;
    lesson.press(slide + 40, SDLK_RETURN, SDL_SCANCODE_RETURN);
    lesson.press(waiting + 2, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER);
    lesson.press(waiting + 100, SDLK_RETURN, SDL_SCANCODE_RETURN);
    lesson.run();
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(lesson.group0[slide + k], scaled(lesson.colours[1], (63 - k) / 2 + 32)) << k;
        EXPECT_EQ(lesson.text(slide + k, 9, 12, 1), "#");  // figures after the slide
    }
    for (uint64_t f = waiting; f <= waiting + 100; ++f)
        EXPECT_EQ(lesson.text(f, 8, 18, 23),
                  f & 32 ? "Press Enter to Continue" : std::string(23, ' '))
            << f;
    EXPECT_EQ(lesson.frames.size(), waiting + 100 + 1 + 65);  // the last frame is black
    EXPECT_EQ(lesson.group0.back(), 0u);
    EXPECT_EQ(lesson.test.memory().palette, lesson.colours);
    EXPECT_EQ(lesson.test.memory().lineCallback, nullptr);
}

}  // namespace
