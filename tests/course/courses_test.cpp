// The learner's courses in the data folder: stepped to with Left and Right, played with their
// best times in the history, and broken ones shown with their first fault.
#include "course/common/screen_layout.h"
#include "course/records/course_folder.h"
#include "tests/support/history_seed.h"
#include "tests/support/hosted_test.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class CoursesTest : public HostedTest {
  protected:
    fs::path folder = data.path / CoursesFolderName;

    void SetUp() override {
        HostedTest::SetUp();
        test.composeNarrowFrames();
    }
    void write(const std::string& name, const std::string& text) {
        fs::create_directories(folder);
        writeBytes((folder / name).string(), Bytes(text.begin(), text.end()));
    }
    // The menu's header row `row`, as its sprites show it.
    std::string header(int row) {
        std::string shown(ScreenColumns, ' ');
        for (const SpriteEntry& sprite : test.memory().sprites) {
            const int x = spriteXOf(sprite.placement), y = spriteYOf(sprite.attributes);
            if ((sprite.attributes & SpriteVisible) != 0 && y == 8 * row && x >= 0 && x < 320)
                shown[size_t(x / 8)] = char(spriteTileOf(sprite.attributes));
        }
        shown = shown.substr(0, shown.find_last_not_of(' ') + 1);
        return shown.substr(std::min(shown.size(), shown.find_first_not_of(' ')));
    }
};

// A course of two lessons: its intro, lines of its words, a best time the history keeps over
// a restart, and the best-times file left as it was.
TEST_F(CoursesTest, ACourseFileIsPlayedAndKeepsItsBestTimeInTheHistory) {
    write("mine.txt", "course: Home Keys\nlesson: Left Hand\nsay Rest your left hand on a s d f.\n"
                      "light a s d f\nwait\nrelease a s d f\nclear\nwords: sad dad fad\n"
                      "lesson: Right Hand\nwords: jkl lkj\n");
    BestTimes stored;
    stored.fill(-1);
    stored[1] = 75;
    saveBestTimes(stored);
    const Bytes timesBefore = readBytes(data.file(BestTimesFileName));
    LessonMenu menu{};
    Learner learner(clock, {});
    bool introShown = false;
    std::set<std::string> words;
    playFromMenu(
        menu, learner, 0,
        [&](const VideoMemory& memory) {
            introShown |=
                readText(memory, {16, 128, 36, LessonStyle}) == "Rest your left hand on a s d f.";
            std::istringstream line(readText(memory, {16, 144, LineBudget - 1, LessonStyle}));
            const bool typing = readText(memory, Heading) == "Type these words:";
            for (std::string word; typing && line >> word;) words.insert(word);
        },
        1);
    ASSERT_EQ(learner.phase, LearnerPhase::BackInMenu);
    EXPECT_TRUE(introShown);
    EXPECT_EQ(words, (std::set<std::string>{"sad", "dad", "fad"}));
    const int seconds = learner.results.seconds;
    ASSERT_GT(seconds, 0);
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    EXPECT_EQ(queryNumber(data.file(HistoryFileName),
                          "SELECT COUNT(*) FROM runs WHERE course = 'Home Keys' AND "
                          "lesson_title = 'Left Hand' AND lesson = -1"),
              1);
    EXPECT_EQ(readBytes(data.file(BestTimesFileName)), timesBefore);

    LessonMenu restarted{};
    setUpLessonMenu(test.video(), restarted);
    EXPECT_EQ(header(0), "Touch Typing >");
    ASSERT_TRUE(stepCourse(restarted, 1));
    drawLessonMenu(restarted);
    EXPECT_EQ(header(0), "< Home Keys");
    EXPECT_EQ(restarted.entryCount, 2);
    EXPECT_EQ(restarted.entries[0].bestTime, seconds);
    EXPECT_EQ(restarted.entries[1].bestTime, -1);
    EXPECT_EQ(readText(test.memory(), MenuTitle), "Left Hand");
    const std::vector<ProgressPage> pages = courseProgressPages(restarted);
    ASSERT_EQ(pages.size(), 3u);
    auto progress = std::make_unique<ProgressScreen>();
    drawProgressScreen(test.video(), *progress, pages[0]);
    EXPECT_EQ(readText(test.memory(), {0, 0, 40, {0, 0, 0}}), "             < Left Hand >");
    EXPECT_EQ(progress->figures.runCount, 1);
    EXPECT_EQ(progress->figures.bestSeconds, seconds);
    drawProgressScreen(test.video(), *progress, pages[1]);
    EXPECT_EQ(progress->figures.status, HistoryStatus::Empty);
    EXPECT_FALSE(stepCourse(restarted, 1));
    ASSERT_TRUE(stepCourse(restarted, -1));  // back to the built-in course and its times
    EXPECT_EQ(restarted.entryCount, MenuRows);
    EXPECT_EQ(restarted.entries[1].bestTime, 75);
}

// A layout's own course keeps its runs and best times in the history by its name, never in
// the best-times file; a learner's course may not take its name.
TEST_F(CoursesTest, ALayoutsCourseKeepsItsBestTimesInTheHistory) {
    clock.layout = &germanLayout();
    write("mine.txt", "course: Zehnfingerschreiben\nlesson: Mine\nwords: a\n");
    LessonMenu menu{};
    Learner learner(clock, {});
    playFromMenu(menu, learner);
    ASSERT_EQ(learner.phase, LearnerPhase::BackInMenu);
    EXPECT_EQ(header(0), "Zehnfingerschreiben >");
    const int seconds = learner.results.seconds;
    ASSERT_GT(seconds, 0);
    EXPECT_EQ(queryNumber(data.file(HistoryFileName),
                          "SELECT COUNT(*) FROM runs WHERE course = 'Zehnfingerschreiben' "
                          "AND lesson_title = 'Lektion 1: Grundreihe links' AND lesson = -1"),
              1);
    EXPECT_FALSE(fs::exists(data.file(BestTimesFileName)));
    ASSERT_EQ(menu.courses.size(), 1u);
    EXPECT_TRUE(menu.courses[0].lessons.empty());

    LessonMenu restarted{};
    setUpLessonMenu(test.video(), restarted);
    EXPECT_EQ(restarted.entries[0].bestTime, seconds);
    EXPECT_EQ(restarted.entries[1].bestTime, -1);
    const std::vector<ProgressPage> pages = courseProgressPages(restarted);
    ASSERT_EQ(pages.size(), size_t(MenuRows + 1));
    EXPECT_EQ(pages[0].lesson.course, "Zehnfingerschreiben");
    EXPECT_EQ(pages[PracticeRow].lesson.row, PracticeRow);
}

// The first start writes the folder's README; a plain text is a lesson of its words; a file
// with faults keeps its good lessons and names its first fault, one without any says so, and a
// course may not take another's name.
TEST_F(CoursesTest, FilesAreFoundAndTheirFaultsShown) {
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu);
    EXPECT_TRUE(menu.courses.empty());
    EXPECT_EQ(header(0), "");  // only the built-in course: the menu as it always was
    const Bytes readme = readBytes((folder / CoursesReadmeName).string());
    EXPECT_NE(std::string(readme.begin(), readme.end()).find("course: My Course"),
              std::string::npos);

    write("a-broken.txt", "course: Broken\nlesson: Fine\nwords: ok\nlesson: Bad\nwords: b\njump\n");
    write("b-nothing.txt", "course: Nothing\nlesson: Empty\n");
    write("c-poem.txt", "Roses are red,\n  violets blue\n");
    write("d-taken.txt", "course: Touch Typing\nlesson: Mine\nwords: a\n");
    write("notes.md", "not a course");
    fs::create_directories(folder / "e-folder.txt");
    testing::internal::CaptureStderr();
    setUpLessonMenu(test.video(), menu);
    const std::string told = testing::internal::GetCapturedStderr();
    ASSERT_EQ(menu.courses.size(), 5u);
    struct Page {
        const char* name;
        int32_t rows;
        const char* fault;  // the header's second row, before the Options screen's hint
    } pages[] = {
        {"Broken", 1, "a-broken.txt, line 6: un... O: Options"},
        {"Nothing", 0, "b-nothing.txt, line 2: t... O: Options"},
        {"c-poem", 1, "O: Options"},
        {"Touch Typing", 0, "d-taken.txt: another cou... O: Options"},
        {"e-folder", 0, "e-folder.txt: is not a r... O: Options"},
    };
    for (const Page& page : pages) {
        ASSERT_TRUE(stepCourse(menu, 1));
        drawLessonMenu(menu);
        EXPECT_EQ(header(0).substr(0, 2 + std::strlen(page.name)), std::string("< ") + page.name);
        EXPECT_EQ(menu.entryCount, page.rows) << page.name;
        EXPECT_EQ(header(1), page.fault);
        EXPECT_TRUE(page.rows > 0 ||
                    readText(test.memory(), MenuTitle) == "No lesson here can be played.");
    }
    EXPECT_EQ(menu.courses[2].lessons.at(0).entries,
              (std::vector<std::string>{"Roses", "are", "red,", "violets", "blue"}));
    EXPECT_NE(told.find("a-broken.txt, line 6: unknown line"), std::string::npos) << told;
    EXPECT_NE(told.find("e-folder.txt: is not a regular file"), std::string::npos) << told;
    auto screen = std::make_unique<LessonScreen>();
    EXPECT_EQ(startSelectedLesson(menu, *screen), ScreenExit::Done);
}

}  // namespace
