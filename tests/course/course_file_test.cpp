// Course files: the built-in course as it always was, and broken files' faults by line.
#include "course/content/built_in_course.h"
#include "course/content/course_reader.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

namespace {

// Every title of the ten lessons is whole and every entry fits in a line, but the one of
// lesson 10 that never did (their typing and intros are checked with the layouts' courses).
TEST(BuiltInCourse, EveryTitleIsWholeAndEveryEntryButOneFitsInALine) {
    std::vector<std::string> unplaceable;
    for (const CourseLesson& lesson : builtInCourse().lessons) {
        EXPECT_LE(lesson.title.size(), size_t(TitleColumns)) << lesson.title;
        for (const std::string& entry : lesson.entries)
            if (entry.size() > size_t(LongestPlaceableEntry)) unplaceable.push_back(entry);
    }
    EXPECT_EQ(unplaceable,
              std::vector<std::string>{"int bytes = fwrite(&data, sizeof(data), 1, fp);"});
}

// The lines each lesson draws at a fixed second, and every frame of its intro with a key
// pressed every 25 frames, as they have always been.
TEST(BuiltInCourse, LinesAndIntroFramesAreAsTheyWere) {
    const uint64_t pinned[LessonCount] = {
        9120546487447626826u,  2202765417195971933u, 2368036436951535845u, 3492882662853443240u,
        16119515939543325318u, 8371499515444019468u, 8301797212048504311u, 7919921318630846915u,
        1144147512091543958u,  368570711274830853u};
    const Course& course = builtInCourse();
    for (int l = 0; l < LessonCount; ++l) {
        uint64_t digest = 14695981039346656037u;  // 64-bit FNV-1a
        const auto add = [&digest](const std::string& text) {
            for (char c : text) digest = (digest ^ uint8_t(c)) * 1099511628211u;
            digest = (digest ^ 0xFFu) * 1099511628211u;
        };
        Lesson lesson;
        lesson.clock.calendarSeconds = 1700000000 + l;
        setUpLessonScreen(lesson.test.video(), *lesson.screen, course.lessons[size_t(l)]);
        for (const char* line : lesson.screen->lines) add(line);
        for (uint64_t f = 70; f < 1500; f += 25) lesson.press(f, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
        lesson.escape(1500);
        lesson.run();
        const int64_t exercise = lesson.frameShowing("Type these words:", 16);
        ASSERT_GT(exercise, 0);
        for (int64_t f = 0; f <= exercise; ++f) add(lesson.frames[size_t(f)]);
        EXPECT_EQ(digest, pinned[l]) << l;
    }
}

// Each broken file: its first fault at its line, and only the lessons without a fault kept.
// The head's lines 1 to 5 hold lessons "Good" and "Bad"; the fault follows on line 6.
TEST(CourseFile, EveryFaultIsNamedWithItsLine) {
    const std::string head = "course: C\nlesson: Good\nwords: a\nlesson: Bad\nwords: b\n";
    struct Broken {
        std::string text;  // after the head, or the whole file when it starts with "!"
        int line;
        const char* message;
        int kept = 1;  // lessons kept: "Good", then "Bad"
    };
    const Broken broken[] = {
        {"jump\n", 6, "unknown line"},
        {"phrase: abcdefghijklmnopqrstuvwxyz 123456789\n", 6, "longer than a line of the exercise"},
        {"words: caf\xC3\xA9\n", 6, "no key of this keyboard types \"\xE9\""},
        {"say 5 \xE2\x82\xAC\n", 6, "U+20AC, which the fonts do not draw"},
        {"say \xC3\x28\n", 6, "not UTF-8"},
        {"say \xED\xA0\x80\n", 6, "not UTF-8"},  // a surrogate
        {"say 1\nsay 2\nsay 3\nsay 4\nsay 5\n", 10, "\"clear\" it before this"},
        {"say " + std::string(39 * 4 - 1, 'x') + "\n", 6, "\"clear\" it before this"},
        {"light f\nwait\n", 6, "\"f\" is lit and never released"},
        {"release left-shift\n", 6, "left-shift is not lit"},
        {"light alt\n", 6, "\"alt\" is no key"},
        {"pause 1000\n", 6, "\"pause\" needs a number"},
        {"pause soon\n", 6, "\"pause\" needs a number"},
        {"wait for me\n", 6, "\"wait\" takes nothing after it"},
        {"phrase:\n", 6, "\"phrase:\" needs the entry"},
        {"lesson: Good\nwords: c\n", 6, "same title", 2},
        {"lesson:\nwords: c\n", 6, "needs the lesson's title", 2},
        {"lesson: " + std::string(36, 'T') + "\nwords: c\n", 6, "longer than 35", 2},
        {"lesson: Empty\nsay nothing to type\n", 6, "the lesson has no entries", 2},
        {"course: Again\n", 6, "one \"course:\" line"},
        {"positions: us\n", 6, "comes before the first lesson"},
        {"!course: C\npositions: de\nlesson: Good\nwords: a\n", 2, "named as on a US keyboard", 1},
        {"!course: C\npositions: us\nlesson: Good\nwords: a\nsay {\xC3\xA9}\n", 5,
         "no key of a US keyboard types \"\xE9\"", 0},
        {"!course: C\nsay hello\nlesson: Good\nwords: a\n", 2, "belongs to no lesson"},
        {"!course: " + std::string(37, 'N') + "\nlesson: Good\nwords: a\n", 1, "longer than 36"},
        {"!# a comment and a blank line first\n\ncourse: Empty\n", 3, "has no lessons", 0},
    };
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    for (const Broken& b : broken) {
        const bool whole = b.text[0] == '!';
        const Course course =
            readCourse(whole ? b.text.substr(1) : head + b.text, "c.txt", &keyboard);
        SCOPED_TRACE(b.text);
        ASSERT_FALSE(course.errors.empty());
        EXPECT_EQ(course.errors[0].line, b.line) << course.errors[0].message;
        EXPECT_NE(course.errors[0].message.find(b.message), std::string::npos)
            << course.errors[0].message;
        std::vector<std::string> titles, kept = {"Good", "Bad"};
        for (const CourseLesson& lesson : course.lessons) titles.push_back(lesson.title);
        kept.resize(size_t(b.kept));
        EXPECT_EQ(titles, kept);
    }
    // A course of 51 lessons keeps the first 50; one larger than a megabyte is no course.
    std::string many = "course: Many\n";
    for (int i = 1; i <= 51; ++i) many += "lesson: L" + std::to_string(i) + "\nwords: a\n";
    const Course fifty = readCourse(many, "many.txt", &keyboard);
    EXPECT_EQ(fifty.lessons.size(), 50u);
    EXPECT_EQ(describeError(fifty.fileName, fifty.errors.at(0)),
              "many.txt, line 102: a course has at most 50 lessons: this one and those after it "
              "are left out");
    const Course huge = readCourse(std::string(LargestCourseFile + 1, 'a'), "huge.txt", &keyboard);
    EXPECT_EQ(describeError(huge.fileName, huge.errors.at(0)), "huge.txt: is larger than 1 MB");
}

// A course by position names its keys as on a US keyboard and shows the learner's: on QWERTZ
// the key of "z" is lit as "y", and "{z}" says "y".
TEST(CourseFile, ACourseByPositionShowsTheLearnersCharacters) {
    VirtualHost clock;
    installVirtualHost(clock);
    clock.layout = &germanLayout();
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    readKeyboardLayout(keyboard);
    const std::string text = "course: C\npositions: us\nlesson: L\nlight z ;\n"
                             "say {z} {;} {:} {y} {\"}!\nrelease z ;\nwords: a\n";
    for (const KeyboardModel* shown : {&keyboard, static_cast<KeyboardModel*>(nullptr)}) {
        const Course course = readCourse(text, "c.txt", shown);
        ASSERT_TRUE(course.errors.empty()) << course.errors[0].message;
        const Intro& intro = course.lessons.at(0).intro;
        ASSERT_GE(intro.size(), 3u);
        EXPECT_EQ(intro[0].key, shown != nullptr ? 'y' : 'z');
        EXPECT_EQ(intro[1].key, shown != nullptr ? 0xF6 : ';');
        EXPECT_EQ(intro[2].text, shown != nullptr ? "y \xF6 \xD6 z \xC4!" : "z ; : y \"!");
    }
    restoreHost();
}

// A letter a dead key writes can be typed where the layout has that dead key.
TEST(CourseFile, LettersOfDeadKeysAreTypeableWhereTheLayoutHasThem) {
    VirtualHost clock;
    installVirtualHost(clock);
    struct Case {
        const SimulatedLayout* layout;
        const char* typeable;  // Latin-1
        const char* untypeable;
    } cases[] = {
        {&usLayout(), "e^`~", "\xEA\xE9\xE8\xF1"},
        {&frenchLayout(), "\xEA\xEB\xE2\xEE\xF4\xFB\xE9\xE8\xF9\xE7\xFC\xE1", "\xF1"},
        {&germanLayout(), "\xE4\xF6\xFC\xDF\xEA\xE9\xE8\xB5", "\xF1\xE7"},
    };
    for (const Case& c : cases) {
        clock.layout = c.layout;
        KeyboardModel keyboard{};
        buildKeyboard(keyboard);
        readKeyboardLayout(keyboard);
        for (const char* t = c.typeable; *t != '\0'; ++t)
            EXPECT_TRUE(canType(keyboard, uint8_t(*t))) << int(uint8_t(*t));
        for (const char* t = c.untypeable; *t != '\0'; ++t)
            EXPECT_FALSE(canType(keyboard, uint8_t(*t))) << int(uint8_t(*t));
        const Course course =
            readCourse("course: C\nlesson: L\nwords: f\xC3\xAAte\n", "c.txt", &keyboard);
        EXPECT_EQ(course.errors.empty(),
                  c.layout == &frenchLayout() || c.layout == &germanLayout());
    }
    restoreHost();
}

}  // namespace
