// The Options screen's rows and their effects, and Alt+Enter anywhere: it switches the display
// and is never judged as typing.
#include "course/screens/lesson_menu.h"
#include "course/screens/options_screen.h"
#include "engine/window_modes.h"
#include "tests/support/hosted_test.h"
#include "tests/support/lesson_fixture.h"

namespace {

using OptionsTest = HostedTest;

// A row changes at once and is saved; Escape or O leads back to the lesson row left.
TEST_F(OptionsTest, RowsChangeAtOnceAreSavedAndLeadBackToTheSameRow) {
    test.composeNarrowFrames();
    Settings settings;
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu, &settings);
    const uint64_t o = 70;
    for (int i = 0; i < 2; ++i) clock.keyDown(o, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(o + 40, SDLK_o, SDL_SCANCODE_O);
    clock.keyDown(o + 40 + 140, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    std::string shown;
    clock.onFrame = [&](const VideoMemory& memory) {
        if (clock.framesComposed == o + 40 + 150)
            shown = readText(memory, {168, 32, 17, HighlightStyle});
    };
    clock.keyDown(o + 40 + 160, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    clock.keyDown(o + 40 + 160 + 140, SDLK_o, SDL_SCANCODE_O);
    clock.keyDown(o + 40 + 160 + 280, SDLK_o, SDL_SCANCODE_O);
    clock.keyDown(o + 40 + 160 + 420, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(shown, "< Window >");
    EXPECT_EQ(menu.selectedIndex, 2);
    EXPECT_EQ(readText(test.memory(), MenuTitle), "Lesson 3: Home Row Right");
    EXPECT_TRUE(settings.display == DisplayMode::Window && test.video().choice.windowed);
    const Bytes saved = readBytes(data.file(SettingsFileName));
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("display = window\n"),
              std::string::npos);
}

// On a German keyboard the Course row shows the German course as the automatic choice; a step
// to English gives the English lessons on the German keys at once, saved.
TEST_F(OptionsTest, TheCourseRowChoosesTheMenusFirstCourse) {
    test.composeNarrowFrames();
    clock.layout = &germanLayout();
    Settings settings;
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu, &settings);
    EXPECT_EQ(readText(test.memory(), MenuTitle), "Lektion 1: Grundreihe links");
    const uint64_t o = 70;
    clock.keyDown(o, SDLK_o, SDL_SCANCODE_O);
    for (int i = 0; i < 4; ++i) clock.keyDown(o + 140, SDLK_DOWN, SDL_SCANCODE_DOWN);
    std::string before, after;
    clock.onFrame = [&](const VideoMemory& memory) {
        if (clock.framesComposed == o + 145)
            before = readText(memory, {168, 96, 19, HighlightStyle});
        if (clock.framesComposed == o + 155)
            after = readText(memory, {168, 96, 19, HighlightStyle});
    };
    clock.keyDown(o + 150, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    clock.keyDown(o + 160, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    clock.keyDown(o + 300, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(before, "< Auto: Deutsch >");
    EXPECT_EQ(after, "< English >");
    EXPECT_EQ(readText(test.memory(), MenuTitle), "Lesson 1: Home Row Left");
    EXPECT_EQ(menu.builtIn.name, "Touch Typing (your keys)");
    Settings loaded;
    loadSettings(loaded);
    EXPECT_EQ(loaded.course, CourseChoice(int(CourseBook::English) + 1));
}

// The course of a layout: by its name where the letters agree, else by the letters alone.
TEST(CourseChoice, FollowsTheLayoutsNameAndLetters) {
    VirtualHost clock;
    installVirtualHost(clock);
    struct Case {
        const char* name;  // "" for none
        const SimulatedLayout* layout;
        CourseBook book;
    } cases[] = {
        {"us", &usLayout(), CourseBook::English},
        {"de", &germanLayout(), CourseBook::German},
        {"de(nodeadkeys)", &germanLayout(), CourseBook::German},
        {"00000407", &germanLayout(), CourseBook::German},
        {"fr", &frenchLayout(), CourseBook::French},
        {"fr(bepo)", &dvorakLayout(), CourseBook::English},  // other letters than AZERTY
        {"de", &usLayout(), CourseBook::English},
        {"ch", &germanLayout(), CourseBook::German},  // a name unknown: the letters
        {"", &frenchLayout(), CourseBook::French},
        {"us(dvorak)", &dvorakLayout(), CourseBook::Dvorak},
        {"00010409", &dvorakLayout(), CourseBook::Dvorak},
        {"us(colemak)", &colemakLayout(), CourseBook::Colemak},
        {"a0000409", &colemakLayout(), CourseBook::Colemak},  // an installed layout's number
    };
    for (const Case& c : cases) {
        clock.layout = c.layout;
        KeyboardModel keyboard{};
        buildKeyboard(keyboard);
        readKeyboardLayout(keyboard);
        EXPECT_EQ(courseBookForLayout(c.name, c.name[0] != '\0', keyboard), c.book) << c.name;
        EXPECT_EQ(chosenBook(CourseChoice(int(CourseBook::German) + 1), c.name, true, keyboard),
                  CourseBook::German);
    }
    restoreHost();
}

// Alt+Enter in the middle of a line switches the display, and the exercise goes on as if it
// had not been pressed.
TEST(AltEnter, SwitchesTheDisplayAndIsNeverTyped) {
    static uint32_t changes = 0;
    for (bool pressed : {false, true}) {
        Lesson lesson({}, "ab");
        changes = 0;
        lesson.test.video().choiceMade = [](const DisplayChoice&, uint32_t what) {
            changes |= what;
        };
        lesson.type(Exercise, "a");
        if (pressed) {
            lesson.clock.keyDown(Exercise + 1, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
            lesson.clock.keyDown(Exercise + 1, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
            lesson.clock.keyUp(Exercise + 1, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
            lesson.clock.keyUp(Exercise + 1, SDLK_LALT, SDL_SCANCODE_LALT);
        }
        lesson.type(Exercise + 2, "b");
        lesson.jumpFrame = Exercise + 3;
        lesson.jumpSeconds = 30;
        for (int line = 1; line < LineCount; ++line) lesson.type(Exercise + 3 + line, "ab");
        lesson.press(Exercise + 80, SDLK_RETURN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(lesson.run(), 30) << pressed;
        EXPECT_EQ(lesson.summary().errors, 0) << pressed;
        EXPECT_EQ(lesson.summary().characters, 20) << pressed;
        EXPECT_EQ(lesson.test.video().choice.windowed, pressed);
        EXPECT_EQ(changes, pressed ? uint32_t(ModeChanged) : 0u);
    }
}

}  // namespace
