// Course files: the built-in course read from its book, and the faults of broken files named
// with their lines.
#include "course/content/built_in_course.h"
#include "course/content/course_reader.h"
#include "course/content/lesson_catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// An intro's steps as the commands the catalogue spells them with.
std::vector<std::string> commandsOf(const Intro& intro) {
    std::vector<std::string> commands;
    for (const IntroStep& step : intro) {
        char command[64];
        switch (step.kind) {
        case StepKind::Print:
            std::snprintf(command, sizeof command, "t02%02d%s", step.row, step.text.c_str());
            break;
        case StepKind::Clear: std::snprintf(command, sizeof command, "c02%02d40", step.row); break;
        case StepKind::Light:
        case StepKind::Release:
            std::snprintf(command, sizeof command, "h%c%c", char(step.key),
                          step.kind == StepKind::Light ? '1' : '0');
            break;
        case StepKind::Wait: std::snprintf(command, sizeof command, "w"); break;
        case StepKind::Pause: std::snprintf(command, sizeof command, "p%03d", step.frames); break;
        }
        commands.push_back(command);
    }
    commands.push_back("e");
    return commands;
}

TEST(BuiltInCourse, ItsBookHoldsTheCataloguesLessonsByteForByte) {
    const Course& course = builtInCourse();
    ASSERT_EQ(course.lessons.size(), size_t(LessonCount));
    for (int l = 0; l < LessonCount; ++l) {
        const LessonRecord& record = lessonCatalogue[l];
        const CourseLesson& lesson = course.lessons[size_t(l)];
        EXPECT_EQ(lesson.title, record.title);
        EXPECT_EQ(lesson.entries,
                  std::vector<std::string>(record.words, record.words + record.wordCount));
        std::vector<std::string> script;
        for (int c = 0; c < ScriptSlots && record.script[c] != nullptr; ++c)
            script.push_back(record.script[c]);
        EXPECT_EQ(commandsOf(lesson.intro), script) << record.title;
    }
}

// Each broken file: its first fault at its line, and only the lessons without a fault kept.
// Lines 1 to 5 of each: a course, a lesson "Good" and a lesson "Bad" with one entry each; the
// fault follows on line 6, in "Bad" unless it begins a lesson of its own.
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
        std::vector<std::string> titles;
        for (const CourseLesson& lesson : course.lessons) titles.push_back(lesson.title);
        std::vector<std::string> kept = {"Good", "Bad"};
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

}  // namespace
