// The intro script: what each command shows and when, faulty commands kept safe, and the keys
// its highlights light on the learner's layout.
#include "course/common/screen_text.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

namespace {

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

// An intro's highlight lights the key that types the character in the layout, with AltGr if
// nothing simpler types it, a Latin-1 letter on its label included; a character no key on the
// screen types lights none.
TEST(KeyboardLayouts, LabelsAndHighlightsFollowTheKeysThatMove) {
    struct Case {
        const SimulatedLayout* layout;
        std::vector<int> lit;  // the keys lit for "z", "/", "[", "<", "m" and "\xE9"
        std::string labels;    // of keys 18, 37, 13, 26, 43, 2 and 23
    };
    const Case cases[] = {
        {&usLayout(), {23, 37, 43, 44, 46}, "yzqam2["},
        {&germanLayout(), {7, 8, 18, 43}, "zyqam2\xFC"},
        {&frenchLayout(), {2, 5, 14, 35, 45}, "ywaq,\xE9^"},
    };
    for (const auto& [layout, lit, labels] : cases) {
        Lesson lesson({"hz1", "h/1", "h[1", "h<1", "hm1",
                       "h\xE9"
                       "1",
                       "e"});
        lesson.clock.layout = layout;
        const char* line = "ab";
        setUpLessonScreen(lesson.test.video(), *lesson.screen, &line, 1, "", lesson.script.get());
        lesson.escape(Exercise);
        lesson.run();
        std::vector<int> pressed;
        for (int k = 0; k < KeyCount; ++k)
            if (lesson.screen->keyboard.keys[k].pressed != 0) pressed.push_back(k);
        EXPECT_EQ(pressed, lit);
        std::string shown;
        for (int k : {18, 37, 13, 26, 43, 2, 23}) {
            const KeyboardKey& key = lesson.screen->keyboard.keys[k];
            shown += char(key.lowerChar);
            const TileCell label =
                lesson.test.memory().maps[size_t(mapIndex(1, key.column + 1, key.row + 1))];
            EXPECT_EQ(cellTileOf(label), key.pressed ? BlankTile : mainFontTile(key.lowerChar))
                << k;
        }
        EXPECT_EQ(shown, labels);
    }
}

}  // namespace
