// The intro: what each step shows and when, stray steps kept safe, and the keys
// its highlights light on the learner's layout.
#include "course/common/screen_text.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

namespace {

// A text takes a frame a character, a clear none, a pause of 0 one; a wait ends with the first
// press read while waiting (those in the fade, printing or pausing are forgotten).
TEST(LessonIntro, EachStepTakesItsFramesAndStrayOnesStaySafe) {
    Lesson lesson({printStep(16, "abc"), clearStep(16), printStep(17, "d"), pauseStep(0),
                   printStep(18, "e"), pauseStep(60), printStep(19, "f"), waitStep(),
                   printStep(20, "g"), waitStep(), printStep(21, "h"), waitStep()});
    for (int frame : {10, 100, 135, 140, 140, 145}) lesson.type(uint64_t(frame), "q");
    lesson.escape(150);
    EXPECT_EQ(lesson.run(), 0);
    struct Shown {
        const char* text;
        int row;
        int64_t firstFrame;
    };
    const Shown shown[] = {
        {"a##", 16, 64}, {"abc", 16, 66}, {"d", 17, 67},  {"e", 18, 69},
        {"f", 19, 130},  {"g", 20, 135},  {"h", 21, 140}, {"Type these words:", 16, 146}};
    for (const Shown& s : shown)
        EXPECT_EQ(lesson.frameShowing(s.text, s.row), s.firstFrame) << s.text;
    EXPECT_EQ(lesson.text(67, 2, 16, 3), "###");  // cleared in the frame "d" was printed in

    // Texts and clears off the map, empty texts and keys no key types: no frame, no harm. (That
    // no intro writes outside map 0 but the keys' cells is the intro fuzzer's.)
    Lesson stray({printStep(99, "abcd"), clearStep(-1), clearStep(64), printStep(-20, "y"),
                  printStep(16, ""), keyStep('\r'), keyStep(1), keyStep(0xC8), printStep(17, "x")});
    stray.escape(90);
    stray.run();
    EXPECT_EQ(stray.text(70, 2, 17, 1), "x");
    EXPECT_EQ(stray.frameShowing("Type these words:", 16), 71);
    Lesson full(Intro(300, clearStep(16)));  // many steps, none of which takes a frame
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
        {&germanLayout(), {7, 8, 18, 43, IsoKey}, "zyqam2\xFC"},
        {&frenchLayout(), {2, 5, 14, 35, 45, IsoKey}, "ywaq,\xE9^"},
    };
    for (const auto& [layout, lit, labels] : cases) {
        Lesson lesson(
            {keyStep('z'), keyStep('/'), keyStep('['), keyStep('<'), keyStep('m'), keyStep(0xE9)});
        lesson.clock.layout = layout;
        const char* line = "ab";
        setUpLessonScreen(lesson.test.video(), *lesson.screen, &line, 1, "", &lesson.intro);
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
