// The course's pieces: word lines, a lesson's run frame by frame with a hand-made script and
// line, the built-in lessons and the best-times file.
#include "course/common/screen_text.h"
#include "course/content/lesson_catalogue.h"
#include "course/lesson/lesson_run.h"
#include "course/lesson/on_screen_keyboard.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "tests/support/hosted_test.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
constexpr uint64_t Exercise = 65;  // the first exercise frame after a script of just "e"

Lines makeLines(const std::vector<const char*>& words, uint32_t seed) {
    auto screen = std::make_unique<LessonScreen>();
    std::mt19937 random(seed);
    makeWordLines(*screen, words.data(), int32_t(words.size()), random);
    EXPECT_EQ(random == std::mt19937(seed), screen->lines[0][0] == 0);  // no draw for nothing
    return Lines(screen->lines, screen->lines + LineCount);
}

struct Lesson {
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    // ScriptSlots slots of exact-length heap copies: the sanitizers catch any read past either.
    std::unique_ptr<const char*[]> script = std::make_unique<const char*[]>(ScriptSlots);
    std::vector<std::unique_ptr<char[]>> commands;
    // Per frame: map 0 rows 0-23 as text ('_' the cursor, '#' other cells), labels, lamp.
    std::vector<std::string> frames;
    uint64_t jumpFrame = UINT64_MAX, jumpSeconds = 0;  // the clock jumps during that frame

    explicit Lesson(const std::vector<const char*>& commandList, const char* line = "ab") {
        installVirtualHost(clock);
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) { look(memory); };
        for (size_t i = 0; i < commandList.size(); ++i) {
            commands.push_back(std::make_unique<char[]>(std::strlen(commandList[i]) + 1));
            script[i] = std::strcpy(commands.back().get(), commandList[i]);
        }
        setUpLessonScreen(test.video(), *screen, &line, 1, "Title", script.get());
        for (char* each : screen->lines) std::strcpy(each, line);
    }
    ~Lesson() { restoreHost(); }
    int32_t run() { return runLesson(*screen); }
    void press(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, int mod = 0) {
        clock.keyDown(frame, key, scancode, uint16_t(mod));
        clock.keyUp(frame, key, scancode, uint16_t(mod));
    }
    void type(uint64_t frame, const std::string& text) {  // the keys of a US keyboard
        Keystroke k{};
        for (char c : text)
            if (keystrokeFor(c, k))
                press(frame, k.key, SDL_Scancode(k.scancode), k.shift ? KMOD_LSHIFT : 0);
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
            const int tile = cellTileOf(memory.maps[i]), group = memory.maps[i] & 0xFC00;
            if (group == 0x8400 && tile >= 128) shown[i] = char(tile - 96);
            if (group == 0x8800 && tile >= 32 && tile < 127) shown[i] = char(tile);
            if (memory.maps[i] == 0x8407) shown[i] = '_';
        }
        for (const KeyboardKey* key : {&screen->keys[1], &screen->keys[26], &screen->keys[35]})
            shown += char(cellTileOf(
                memory.maps[size_t(mapIndex(1, key->column + key->width - 1, key->row + 1))]));
        frames.push_back(shown + char('0' + (memory.sprites[CapsLockLampSprite].placement >> 12)));
    }
};

TEST(WordLines, FillTheBudgetWithWholeEntriesDrawnFromTheSeed) {
    const std::vector<const char*> homeRow = {"a", "sad", "lass", "fall", "ad", "flask"};
    // The shortest entry has one character: a line stops with 1 or 2 of 36 left. (That a line
    // is whole entries within its budget, whatever the entries, is the word-line fuzzer's.)
    for (uint32_t seed = 1; seed <= 40; ++seed)
        for (const std::string& line : makeLines(homeRow, seed))
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
    EXPECT_EQ(makeLines({"", "abc", ""}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGH", "a"}, 7)[0].size(), 34u);  // alone
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGHI"}, 5), Lines(10, ""));  // 35: never
    Lesson lesson({"e"});  // set-up seeds the lines from the host's calendar seconds each time
    for (int64_t second : {1700000000, 1700000001}) {
        lesson.clock.calendarSeconds = second;
        setUpLessonScreen(lesson.test.video(), *lesson.screen, homeRow.data(), 6, "", nullptr);
        EXPECT_EQ(Lines(lesson.screen->lines, lesson.screen->lines + LineCount),
                  makeLines(homeRow, uint32_t(second)));
    }
}

// A text takes a frame a character, a clear none, a pause of 0 one; a wait ends with the first
// press read while waiting (those in the fade, printing or pausing are forgotten).
TEST(LessonIntro, EachCommandTakesItsFramesAndFaultyOnesStaySafe) {
    Lesson lesson({"t0216abc", "c021601", "t0217d", "p000", "t0218e", "p060", "t0219f", "w",
                   "t0220g", "w", "t0221h", "w", "e"});
    for (int frame : {10, 100, 135, 140, 140, 145}) lesson.type(uint64_t(frame), "q");
    lesson.escape(150);
    EXPECT_EQ(lesson.run(), 0);
    struct Shown {
        const char* text;
        int row;
        int64_t firstFrame;
    };
    const Shown shown[] = {{"a##", 16, 64}, {"abc", 16, 66}, {"#bc", 16, 67},
                           {"d", 17, 67},   {"e", 18, 69},   {"f", 19, 130},
                           {"g", 20, 135},  {"h", 21, 140},  {"Type these words:", 16, 146}};
    for (const Shown& s : shown)
        EXPECT_EQ(lesson.frameShowing(s.text, s.row), s.firstFrame) << s.text;

    // Texts and clears off the text layer, operands missing, keyless highlights, no "e": no
    // frame for a malformed command. (That no script writes outside map 0 but the keys' cells
    // is the intro-script fuzzer's.)
    Lesson faulty({"t6215abcd", "c621503", "c999999", "c/0/099", "t9999y", "t/0/0y", "t02", "t0216",
                   "c0216", "c02164", "p", "p06", "h", "hf", "h\r1", "h\0011", "h\3101", "t0217x"});
    faulty.escape(90);
    faulty.run();
    EXPECT_EQ(faulty.text(70, 62, 15, 4), "###d");  // a clear goes on into the next row
    EXPECT_EQ(faulty.text(70, 2, 17, 1), "x");
    EXPECT_EQ(faulty.frameShowing("Type these words:", 16), 72);
    Lesson full(std::vector<const char*>(ScriptSlots, "c000000"));  // every slot, none ends it
    full.escape(70);
    full.run();
    EXPECT_EQ(full.frameShowing("Type these words:", 16), 65);
}

// The character judged is the text the system makes of a press (with Ctrl or Alt and no text,
// the key's own), not the key code; Shift with Caps Lock types a small letter. A wrong one is
// an error (repeats too) and the right one stays expected; labels and lamp follow Shift and
// Caps Lock. A frame's presses are judged in order across line ends; the tenth line stays a
// frame.
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
    Lesson lesson({"e"}, line.c_str());
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

// Every character of the ten lessons, typed as a German or French keyboard types it (AltGr
// and dead keys included) after the US way where that types something else: only the US way
// and a composed letter are wrong. The layout arrives in the middle of the lesson and
// relabels the keys at once, reported or found when the window gains the focus; a dead key
// alone types nothing, and the keypad is not judged.
TEST(KeyboardLayouts, EveryLessonsCharactersAreTypedTheLayoutsWay) {
    std::u32string characters;
    for (const LessonRecord& record : lessonCatalogue) {
        for (int w = 0; w < record.wordCount; ++w)
            for (const char* c = record.words[w]; *c != '\0'; ++c)
                if (characters.find(char32_t(*c)) == std::u32string::npos)
                    characters += char32_t(*c);
    }
    ASSERT_LE(characters.size(), 30u * LineCount);
    // The labels of keys 1, 26 and 35 once the layout has come ("\xF6" is the glyph of "ö").
    for (auto [layout, labels] : {std::pair{&germanLayout(), "1a\xF6"}, {&frenchLayout(), "&qm"}}) {
        Lesson lesson({"e"});
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

// An intro's highlight lights the key that types the character in the layout, with AltGr if
// nothing simpler types it; a character no key on the screen types lights none.
TEST(KeyboardLayouts, LabelsAndHighlightsFollowTheKeysThatMove) {
    struct Case {
        const SimulatedLayout* layout;
        std::vector<int> lit;  // the keys lit for "z", "/", "[", "<" and "m"
        std::string labels;    // of keys 18, 37, 13, 26, 43, 2 and 23
    };
    const Case cases[] = {
        {&usLayout(), {23, 37, 43, 44, 46}, "yzqam2["},
        {&germanLayout(), {7, 8, 18, 43}, "zyqam2\xFC"},
        {&frenchLayout(), {5, 14, 35, 45}, "ywaq,\xE9^"},
    };
    for (const auto& [layout, lit, labels] : cases) {
        Lesson lesson({"hz1", "h/1", "h[1", "h<1", "hm1", "e"});
        lesson.clock.layout = layout;
        const char* line = "ab";
        setUpLessonScreen(lesson.test.video(), *lesson.screen, &line, 1, "", lesson.script.get());
        lesson.escape(Exercise);
        lesson.run();
        std::vector<int> pressed;
        for (int k = 0; k < KeyCount; ++k)
            if (lesson.screen->keys[k].pressed != 0) pressed.push_back(k);
        EXPECT_EQ(pressed, lit);
        std::string shown;
        for (int k : {18, 37, 13, 26, 43, 2, 23}) {
            const KeyboardKey& key = lesson.screen->keys[k];
            shown += char(key.lowerChar);
            const TileCell label =
                lesson.test.memory().maps[size_t(mapIndex(1, key.column + 1, key.row + 1))];
            EXPECT_EQ(cellTileOf(label), key.pressed ? BlankTile : mainFontTile(key.lowerChar))
                << k;
        }
        EXPECT_EQ(shown, labels);
    }
}

// The clock runs from the first exercise frame to the last character; later presses (Escape
// too) are dropped; the result is the time shown, 0 for no whole second.
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
        Lesson lesson({"e"}, c.line);
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
// focus is back only resumes. The ten seconds away count for nothing, the 70 seconds typed
// after it do.
TEST(LessonResults, TheClockStandsWhileTheWindowHasNoFocus) {
    const auto focus = [](Lesson& lesson, uint64_t frame, SDL_WindowEventID what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = uint8_t(what);
        lesson.clock.push(frame, event);
    };
    Lesson lesson({"e"}, "ab");
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
    RunSummary summary{};
    EXPECT_EQ(runLesson(*lesson.screen, &summary), 70);
    EXPECT_EQ(lesson.text(Exercise, 30, 16, 6), "######");
    EXPECT_EQ(lesson.text(Exercise + 1, 30, 16, 6), "Paused");
    EXPECT_EQ(lesson.text(Exercise + 300, 2, 20, 2), "a_");
    EXPECT_EQ(lesson.text(resumed, 30, 16, 6), "######");
    EXPECT_EQ(lesson.resultsLine(14), "Errors:             0");
    EXPECT_TRUE(summary.finished && summary.seconds == 70 && summary.characters == 20);
    EXPECT_EQ(summary.keys.expected[int('a')], 10u);

    // Focus lost during the intro: the exercise begins paused.
    Lesson away({"e"}, "ab");
    focus(away, 10, SDL_WINDOWEVENT_FOCUS_LOST);
    away.jumpFrame = Exercise + 100;
    away.jumpSeconds = 600;
    focus(away, Exercise + 200, SDL_WINDOWEVENT_FOCUS_GAINED);
    away.type(Exercise + 201, "x");
    uint64_t end = Exercise + 202;
    for (int line = 0; line < LineCount; ++line) away.type(end++, away.screen->lines[line]);
    away.press(end + 66, SDLK_RETURN, SDL_SCANCODE_RETURN);
    RunSummary awaySummary{};
    runLesson(*away.screen, &awaySummary);
    EXPECT_EQ(away.text(Exercise, 30, 16, 6), "Paused");
    // The ten minutes away count for nothing.
    EXPECT_TRUE(awaySummary.finished && awaySummary.seconds == 0 && awaySummary.errors == 0);
}

// Every byte the program reads from the catalogue, pinned at once: titles, word entries and
// intro commands in order. A change to any lesson must change this number on purpose.
TEST(LessonCatalogue, BytesArePinnedByOneDigest) {
    uint64_t digest = 14695981039346656037u;  // 64-bit FNV-1a
    const auto add = [&digest](const char* text) {
        for (const char* c = text; *c != '\0'; ++c)
            digest = (digest ^ uint8_t(*c)) * 1099511628211u;
        digest = (digest ^ 0xFFu) * 1099511628211u;  // the end of each string counts too
    };
    for (const LessonRecord& lesson : lessonCatalogue) {
        add(lesson.title);
        for (int slot = 0; slot < lesson.wordCount; ++slot) add(lesson.words[slot]);
        add("");
        for (int c = 0; c < ScriptSlots && lesson.script[c] != nullptr; ++c) add(lesson.script[c]);
        add("");
    }
    EXPECT_EQ(digest, 11232203020610407195u);
}

// A record: bit 31 set, the time in the bits below, little-endian.
Bytes record(uint32_t seconds) {
    const uint32_t value = seconds | 0x80000000u;
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Loads take every whole record; a save writes a new file renamed over the old one, so each
// way it fails leaves the old file and clears away what it made.
using BestTimesFile = HostedTest;

TEST_F(BestTimesFile, LoadSaveAndFailuresThatLoseNothing) {
    const TempFolder& folder = data;
    const std::string file = folder.file("quenmoreTimes.bin");
    LessonMenu menu{};
    buildMenuRows(menu);
    loadBestTimes(menu);  // no file: no times
    EXPECT_EQ(menu.entries[0].bestTime, -1);
    // No time in a record with bit 31 clear, of 0, of more than a day (the longest one kept)
    // or with every bit set. (That only whole records count, and none past the tenth, is the
    // best-times fuzzer's.)
    writeBytes(file, join({record(45),
                           {0x2D, 0, 0, 0},
                           record(0),
                           record(86401),
                           record(86400),
                           {0xFF, 0xFF, 0xFF, 0xFF},
                           record(3600),
                           Bytes(12, 0),
                           record(1)}));
    loadBestTimes(menu);
    std::vector<int32_t> loaded;
    for (int row = 0; row < 10; ++row) loaded.push_back(menu.entries[row].bestTime);
    EXPECT_EQ(loaded, (std::vector<int32_t>{45, -1, -1, -1, 86400, -1, 3600, -1, -1, -1}));
    menu.entries[1].bestTime = 45;
    menu.entries[2].bestTime = 75;  // the extra bytes go
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), join({record(45), record(45), record(75), Bytes(4, 0), record(86400),
                                     Bytes(4, 0), record(3600), Bytes(12, 0)}));
    menu.entries[0].bestTime = 12;
    fs::remove(file);
    fs::create_directory(file);  // a folder in place of the file is left alone
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2);  // and the lock file
    clock.dataFolder = (folder.path / "a" / "b").string();  // missing folders are created
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(clock.dataFolder + "/quenmoreTimes.bin").size(), 40u);
    // A folder path far beyond Windows' 259 UTF-16 units is used everywhere else.
    const std::string deep = (folder.path / std::string(200, 'd') / std::string(200, 'e')).string();
    clock.dataFolder = deep;
#ifdef _WIN32
    EXPECT_FALSE(saveBestTimes(menu));
#else
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(deep + "/quenmoreTimes.bin").size(), 40u);
#endif
    // A file for a folder (permissions stop no root) or no folder: no load, no save.
    const std::string notAFolder = folder.file("not-a-folder");
    writeBytes(notAFolder, {1, 2, 3});
    for (const std::string& unusable : {notAFolder, std::string()}) {
        clock.dataFolder = unusable;
        EXPECT_FALSE(saveBestTimes(menu)) << unusable;
        loadBestTimes(menu);
        EXPECT_EQ(menu.entries[0].bestTime, 12);
    }
    EXPECT_EQ(readBytes(notAFolder), (Bytes{1, 2, 3}));
}

#ifndef _WIN32
// Two copies of the program on one data folder, saving at once: each save keeps what the
// other saved, so the file ends with the best of both, and the rows show the merged times.
TEST_F(BestTimesFile, TwoProgramsSavingAtOnceKeepEachOthersTimes) {
    pid_t copies[2];
    for (int copy = 0; copy < 2; ++copy) {
        copies[copy] = fork();
        if (copies[copy] != 0) continue;
        LessonMenu menu{};
        buildMenuRows(menu);
        for (int round = 0; round < 200; ++round) {
            menu.entries[size_t(5 * copy + round % 5)].bestTime = 1000 - round;
            if (!saveBestTimes(menu)) _exit(1);
        }
        _exit(0);
    }
    for (pid_t copy : copies) {
        int status = -1;
        waitpid(copy, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    LessonMenu menu{};
    buildMenuRows(menu);
    menu.entries[0].bestTime = 2000;  // slower than the stored time, which stays
    EXPECT_TRUE(saveBestTimes(menu));
    for (int row = 0; row < 10; ++row) EXPECT_EQ(menu.entries[row].bestTime, 805 - row % 5) << row;
}

// A FIFO in place of the file would block the load until a writer came: it is no file, and
// a save leaves it alone. Names planted in the folder are never written through: the new
// file's name is unpredictable and made exclusively. A file that is a link is updated where
// it points.
TEST_F(BestTimesFile, HostileFilesNeitherHangNorRedirectTheSave) {
    const TempFolder& folder = data;
    const std::string file = folder.file("quenmoreTimes.bin");
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    LessonMenu menu{};
    buildMenuRows(menu);
    EXPECT_EXIT(
        {
            alarm(20);  // a hang ends the check as a failure
            loadBestTimes(menu);
            menu.entries[0].bestTime = 5;
            std::exit(menu.entries[1].bestTime == -1 && !saveBestTimes(menu) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    fs::remove(file);

    const std::string victim = folder.file("victim"), elsewhere = folder.file("elsewhere.bin");
    writeBytes(victim, {1, 2, 3});
    fs::create_symlink(victim, folder.file("quenmoreTimes.tmp"));  // the old fixed name
    fs::create_directory(folder.file("quenmoreTimes.tmp2"));
    menu.entries[0].bestTime = 30;
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(victim), (Bytes{1, 2, 3}));
    fs::remove(folder.file("quenmoreTimes.tmp"));
    fs::create_directory(folder.file("quenmoreTimes.tmp"));  // a leftover folder of that name
    menu.entries[0].bestTime = 20;
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), join({record(20), Bytes(36, 0)}));

    fs::rename(file, elsewhere);
    fs::create_symlink("elsewhere.bin", file);
    menu.entries[1].bestTime = 40;
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(readBytes(elsewhere), join({record(20), record(40), Bytes(32, 0)}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 6);  // the lock file too
}
#endif

}  // namespace
