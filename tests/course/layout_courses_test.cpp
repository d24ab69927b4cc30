// The program's own courses on their layouts and on others: each lesson made of the keys
// taught so far, its intro lighting only those, and every lesson typed to its results.
#include "course/content/course_books.h"
#include "course/content/course_reader.h"
#include "course/content/lesson_places.h"
#include "course/lesson/lesson_run.h"
#include "course/lesson/lesson_screen.h"
#include "tests/support/intro_check.h"
#include "tests/support/learner.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

struct LayoutCourse {
    const char* name;
    const SimulatedLayout* layout;
    CourseBook book;
    const char* courseName;
    // Chosen for a layout it is not written for: only the entries the layout types are kept.
    bool otherLayout = false;
};

void PrintTo(const LayoutCourse& course, std::ostream* out) {
    *out << course.name;
}

class LayoutCourseTest : public ::testing::TestWithParam<LayoutCourse> {
  protected:
    VirtualHost clock;
    TestVideo test;
    KeyboardModel keyboard{};

    void SetUp() override {
        installVirtualHost(clock);
        clock.layout = GetParam().layout;
        test.composeNarrowFrames();
        buildKeyboard(keyboard);
        readKeyboardLayout(keyboard);
    }
    void TearDown() override { restoreHost(); }

    // The keys lessons 0 to `lesson` teach, with the special keys and the space bar.
    static std::set<int> taughtKeys(int lesson) {
        std::set<int> keys = {SpaceBarKey};
        for (int k = CharacterKeys; k < KeyCount; ++k) keys.insert(k);
        for (int l = 0; l <= lesson; ++l)
            for (const char* c = lessonPlaces(l); *c != '\0'; ++c)
                keys.insert(characterKey(usKeyboard(), uint8_t(*c)));
        return keys;
    }

    // Plays the lesson through its intro, types its lines as the layout does, and gives the
    // run's summary.
    RunSummary play(const CourseLesson& lesson, std::vector<std::string>& lines) {
        auto screen = std::make_unique<LessonScreen>();
        auto run = std::make_unique<LessonRun>();
        setUpLessonScreen(test.video(), *screen, lesson);
        for (const char* line : screen->lines) lines.push_back(line);
        bool typed = false;
        clock.onFrame = [&](const VideoMemory& memory) {
            const bool exercise = readText(memory, Heading) == "Type these words:";
            if (!exercise && !typed) clock.pressNow(SDLK_RIGHT, SDL_SCANCODE_RIGHT);
            if (exercise && !typed) {
                for (const std::string& line : lines) {
                    std::u32string text;
                    for (char c : line) text += char32_t(uint8_t(c));
                    clock.typeText(clock.framesComposed, text);
                }
                typed = true;
            }
            if (readText(memory, resultsLine(2)).starts_with("Time"))
                clock.pressNow(SDLK_RETURN, SDL_SCANCODE_RETURN);
            if (clock.framesComposed > 20000) clock.quitNow();
        };
        LessonEnd end = playLesson(*run, *screen);
        if (end == LessonEnd::Finished) end = showLessonResults(*run, "");
        clock.onFrame = nullptr;
        EXPECT_EQ(end, LessonEnd::Finished) << lesson.title;
        return run->summary;
    }
};

// Every book reads without a fault: ten lessons, each title whole on the lesson screen.
TEST(CourseBooks, EveryBookReadsWithoutAFault) {
    for (const CourseBookInfo& book : CourseBooks) {
        const Course course = readCourse(std::string(book.text, book.textSize), "", nullptr);
        for (const CourseError& error : course.errors)
            ADD_FAILURE() << describeError(book.settingName, error);
        EXPECT_EQ(course.lessons.size(), size_t(LessonCount)) << book.settingName;
        for (const CourseLesson& lesson : course.lessons)
            EXPECT_LE(lesson.title.size(), size_t(TitleColumns)) << lesson.title;
        EXPECT_TRUE(isCourseBookName(course.name));
    }
}

// Every entry and line drawn is made of the keys taught so far, every key lit is one of them
// and released again, and the lesson typed without a mistake finishes with every character.
TEST_P(LayoutCourseTest, EveryLessonIsMadeOfItsKeysAndCanBeFinished) {
    const PlayedCourse played = playedCourse(GetParam().book, keyboard);
    EXPECT_EQ(played.course.name, GetParam().courseName);
    const bool usLessons =
        GetParam().book == CourseBook::English && GetParam().layout == &usLayout();
    EXPECT_EQ(played.usLessons, usLessons);
    ASSERT_EQ(played.course.lessons.size(), size_t(LessonCount));
    // Two of the US lessons' old entries reach ahead: "wailed" has lesson 4's "i" in lesson 3,
    // "Spider-Man" the hyphen in the lesson of Shift.
    const std::set<std::string> reachingAhead =
        usLessons ? std::set<std::string>{"wailed", "Spider-Man"} : std::set<std::string>{};
    for (int l = 0; l < LessonCount; ++l) {
        const CourseLesson& lesson = played.course.lessons[size_t(l)];
        SCOPED_TRACE(lesson.title);
        CharacterSet characters = lessonCharacters(keyboard, l);
        for (int c = 0; c < 256 && GetParam().otherLayout; ++c)
            characters[size_t(c)] = c == ' ' || canType(keyboard, uint8_t(c));
        ASSERT_FALSE(lesson.entries.empty());
        for (const std::string& entry : lesson.entries)
            EXPECT_TRUE(madeOf(entry, characters) || reachingAhead.count(entry) == 1) << entry;
        expectIntroFits(lesson.intro, keyboard);
        const std::set<int> taught = taughtKeys(l);
        for (const IntroStep& step : lesson.intro) {
            if (step.kind != StepKind::Light || GetParam().otherLayout) continue;
            EXPECT_EQ(taught.count(keyboard.keyByChar[step.key]), 1u) << step.key;
        }
        std::vector<std::string> lines;
        const RunSummary summary = play(lesson, lines);
        int characterCount = 0;
        for (const std::string& line : lines) {
            characterCount += int(line.size());
            bool reaching = false;
            for (const std::string& entry : reachingAhead)
                reaching |= line.find(entry) != std::string::npos;
            EXPECT_TRUE(madeOf(line, characters) || reaching) << line;
        }
        EXPECT_TRUE(summary.finished);
        EXPECT_EQ(summary.errors, 0);
        EXPECT_EQ(summary.characters, characterCount);
    }
}

constexpr const char* YourKeys = "Touch Typing (your keys)";

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutCourseTest,
    ::testing::Values(
        LayoutCourse{"EnglishOnUs", &usLayout(), CourseBook::English, "Touch Typing"},
        LayoutCourse{"EnglishOnGerman", &germanLayout(), CourseBook::English, YourKeys},
        LayoutCourse{"EnglishOnFrench", &frenchLayout(), CourseBook::English, YourKeys},
        LayoutCourse{"EnglishOnDvorak", &dvorakLayout(), CourseBook::English, YourKeys},
        LayoutCourse{"GermanOnGerman", &germanLayout(), CourseBook::German, "Zehnfingerschreiben"},
        LayoutCourse{"FrenchOnFrench", &frenchLayout(), CourseBook::French, "Dactylographie"},
        LayoutCourse{"DvorakOnDvorak", &dvorakLayout(), CourseBook::Dvorak,
                     "Touch Typing (Dvorak)"},
        LayoutCourse{"ColemakOnColemak", &colemakLayout(), CourseBook::Colemak,
                     "Touch Typing (Colemak)"},
        LayoutCourse{"FrenchOnUs", &usLayout(), CourseBook::French, "Dactylographie", true},
        LayoutCourse{"GermanOnFrench", &frenchLayout(), CourseBook::German, "Zehnfingerschreiben",
                     true}),
    [](const ::testing::TestParamInfo<LayoutCourse>& each) {
        return std::string(each.param.name);
    });

}  // namespace
