// The real program in a real X session, driven like a learner: the full-screen title, whole
// lessons with a few wrong keys, the on-screen keyboard, the ways out, and no display at all
// (damaged asset files: tests/package/install_tree_test).
#include "tests/real_window/real_window_test.h"

#include "course/common/latin1.h"
#include "course/screens/progress_screen.h"

#include <csignal>

namespace {

// The program in a screen `scale` times 320x180.
class NativeWindowTest : public RealWindowTest {
  protected:
    void startAt(int scale = 2) {
        RealWindowTest::startAt(ScreenWidth * scale, ScreenHeight * scale);
    }
};

class StartTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartTest, AFullScreenWindowShowsTheTitlePixelForPixel) {
    ASSERT_NO_FATAL_FAILURE(startAt(GetParam()));
    ASSERT_NO_FATAL_FAILURE(expectFullScreenTitle());
    // Escape on the title ends the program at once.
    ASSERT_TRUE(pressKeys(x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

INSTANTIATE_TEST_SUITE_P(Scales, StartTest, ::testing::Values(1, 2, 4));

// Lesson 1 (home row) and lesson 9 (capitals and punctuation).
class LessonTest : public NativeWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(LessonTest, TypedWithMistakesItEndsInResultsProgressAndABestTimeThatLasts) {
    const int number = GetParam();
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(number));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--"));
    ASSERT_TRUE(reachExercise());
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(number, bestTime));
    int minutes = 0, seconds = 0;
    ASSERT_EQ(std::sscanf(bestTime.c_str(), "Best Time: %d:%d", &minutes, &seconds), 2);

    // Tab opens the progress screen on the lesson, with the run's figures; C writes the
    // history as CSV, holding the run (its columns are pinned headless); Tab leads back.
    ASSERT_TRUE(pressKeys(x, {"Tab"}));
    const auto row = [&](int line) { return read(look(), {0, 8 * line, 40, HighlightStyle}); };
    ASSERT_TRUE(waitToSee([&](const Image&) {
        return row(0).find("< Lesson " + std::to_string(number) + ":") != std::string::npos;
    })) << "no progress screen";
    const auto figure = [&](int line, const char* format, int* a, int* b = nullptr) {
        const std::string text = read(look(), {152, 8 * line, 21, HighlightStyle});
        return std::sscanf(text.c_str(), format, a, b) == (b == nullptr ? 1 : 2);
    };
    int shownMinutes = 0, shownSeconds = 0, runs = 0, bestWords = 0;
    EXPECT_TRUE(figure(2, "Best time: %d:%d", &shownMinutes, &shownSeconds));
    EXPECT_EQ(shownMinutes * 60 + shownSeconds, minutes * 60 + seconds);
    EXPECT_TRUE(figure(3, "Runs: %d", &runs) && runs == 1) << runs;
    EXPECT_TRUE(figure(4, "Best WPM: %d", &bestWords) && bestWords > 0) << bestWords;
    ASSERT_TRUE(pressKeys(x, {"c"}));
    EXPECT_TRUE(waitToSee([&](const Image&) {
        return row(1).find("Saved quenmoreHistory.csv") != std::string::npos;
    })) << "the export was not confirmed";
    const Bytes csv = readBytes(
        (std::filesystem::path(program.bestTimesFile).parent_path() / "quenmoreHistory.csv")
            .string());
    char fields[64];
    std::snprintf(fields, sizeof fields, "Z,%d,%d,", number, minutes * 60 + seconds);
    EXPECT_NE(std::string(csv.begin(), csv.end()).find(fields), std::string::npos);
    ASSERT_TRUE(pressKeys(x, {"Tab"}));
    EXPECT_TRUE(waitForText(MenuBestTime, bestTime)) << "not back in the menu";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());

    // A new run reads the time back.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(number));
    EXPECT_TRUE(waitForText(MenuBestTime, bestTime)) << "no " << bestTime << " again";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

INSTANTIATE_TEST_SUITE_P(Lessons, LessonTest, ::testing::Values(1, 9));

// A course of the learner's own, put in the folder that the first start made: picked with
// Right, its intro and lines played to the results, its best time in the menu and none in the
// best-times file, which only the built-in lessons write.
TEST_F(NativeWindowTest, ALearnersCourseIsPickedWithRightAndPlayedToTheResults) {
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const std::filesystem::path courses =
        std::filesystem::path(program.bestTimesFile).parent_path() / "quenmoreCourses";
    ASSERT_TRUE(std::filesystem::exists(courses / "README.txt"));
    const std::string course = "course: Home Keys\n"
                               "lesson: Left Hand\n"
                               "say Rest your left hand on a s d f.\n"
                               "light a s d f\n"
                               "wait\n"
                               "release a s d f\n"
                               "clear\n"
                               "words: sad dad fad add\n";
    ASSERT_TRUE(writeBytes((courses / "home.txt").string(), Bytes(course.begin(), course.end())));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(pressKeys(x, {"Right"}));
    EXPECT_TRUE(waitToSee([&](const Image& picture) {
        return read(picture, {0, 0, 40, {0, MenuHintGroup, 0}}).find("< Home Keys") !=
               std::string::npos;
    })) << read(look(), {0, 0, 40, {0, MenuHintGroup, 0}});
    ASSERT_TRUE(waitForText(MenuTitle, "Left Hand"));
    ASSERT_TRUE(pressKeys(x, {"Return"}));
    EXPECT_TRUE(waitForText({16, 128, 36, LessonStyle}, "Rest your left hand on a s d f."));
    ASSERT_TRUE(reachExercise());
    for (int line = 0; line < 10; ++line) {
        const std::string text = read(look(), LineToType);
        ASSERT_TRUE(text.find_first_not_of("sadf ") == std::string::npos && !text.empty()) << text;
        // All but the last key first, so that a fresh line is told from this one.
        const std::string allButLast = text.substr(0, text.size() - 1);
        ASSERT_TRUE(pressKeys(x, keysFor(allButLast, false, {})));
        ASSERT_TRUE(waitForText(TypedLine, allButLast + CursorCell)) << line << ": " << text;
        ASSERT_TRUE(pressKeys(x, keysFor(text.substr(text.size() - 1), false, {})));
        ASSERT_TRUE(waitToSee([&](const Image& picture) {
            if (line == 9) return readResults(picture).shown;
            return read(picture, TypedLine) == std::string(1, CursorCell);
        })) << "line "
            << line << " \"" << text << "\"";
    }
    const LessonResults results = readResults(look());
    EXPECT_EQ(results.errors, 0) << results.text;
    ASSERT_TRUE(pressKeys(x, {"Return"}));
    char bestTime[32];
    std::snprintf(bestTime, sizeof bestTime, "Best Time: %d:%02d", results.seconds / 60,
                  results.seconds % 60);
    EXPECT_TRUE(waitForText(MenuBestTime, bestTime));
    EXPECT_FALSE(std::filesystem::exists(program.bestTimesFile));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

// During the exercise the on-screen keyboard mirrors a held key and Caps Lock; with Caps Lock
// on and Shift held a letter key types its small letter, as the system does, and the first
// line typed so is accepted. Closing the window leads back to the menu, keeping no time; in
// the menu it ends the program.
TEST_F(NativeWindowTest, TheExerciseMirrorsTheKeyboardTypesAsTheSystemDoesAndClosingLeavesIt) {
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(reachExercise());
    // A key by its face's top-right cell, whose top 5 rows tell up (tile 2) from pressed (5);
    // its label is 3 pixels up and left of the cell below, a pixel lower while pressed. The F
    // key's cell is at (128, 52), the 1 key's at (64, 20); the Caps Lock lamp is tile 6 at
    // (40, 52), lit in palette group 1.
    const auto shows = [&](bool fPressed, char f, bool lampLit) {
        return waitToSee([&](const Image& picture) {
            const auto key = [&](int left, int top, bool pressed, char label) {
                return tileShows(picture, left, top, pressed ? 5 : 2, 0, 5) >= 0 &&
                       readCell(picture, left - 3, top + 5 + pressed, HighlightStyle) == label;
            };
            return key(128, 52, fPressed, f) && key(64, 20, false, '1') &&
                   tileShows(picture, 40, 52, 6, lampLit ? 1 : 0) >= 0;
        });
    };
    EXPECT_TRUE(shows(false, 'f', false)) << "at the start";
    ASSERT_TRUE(xdotool(x, {"keydown", "f"}));
    EXPECT_TRUE(shows(true, 'f', false)) << "F held";
    ASSERT_TRUE(xdotool(x, {"keyup", "f"}));
    EXPECT_TRUE(shows(false, 'f', false)) << "F let go";
    ASSERT_TRUE(setCapsLock(x, true));
    EXPECT_TRUE(shows(false, 'F', true)) << "Caps Lock on: letters up, digits not";
    const std::string text = read(look(), LineToType);
    std::vector<std::string> keys;
    for (char c : text) keys.push_back(c == ' ' ? "space" : "shift+" + std::string(1, c));
    keys.pop_back();  // the line stays, to be read
    ASSERT_TRUE(pressKeys(x, keys));
    EXPECT_TRUE(waitForText(TypedLine, text.substr(0, text.size() - 1) + CursorCell))
        << "\"" << text << "\" shows \"" << read(look(), TypedLine) << "\"";
    ASSERT_TRUE(setCapsLock(x, false));
    EXPECT_TRUE(shows(false, 'f', false)) << "Caps Lock off again";

    const WindowInfo window = findWindow(x, "Quenmore");
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_TRUE(waitForText(MenuBestTime, "Best Time: --:--"))
        << "no menu (" << describeEnd(process) << ")";
    EXPECT_FALSE(std::filesystem::exists(program.bestTimesFile));
    ASSERT_TRUE(requestClose(x, window.id));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

// A signal is the system asking the program to end, not a window close: during the exercise
// it ends the program with status 0 instead of abandoning the lesson.
TEST_F(NativeWindowTest, ASignalEndsTheProgramInsteadOfClosingTheLesson) {
    if (wineExe()) GTEST_SKIP() << "no POSIX signals under Wine";
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(reachExercise());
    ASSERT_EQ(kill(process.pid, SIGTERM), 0);
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(process);
}

// A learner on a German, French or Dvorak keyboard: the menu begins with that layout's course,
// the letter rows' labels are the layout's, and its lessons 8 and 10, typed by keysym (X picks
// the keys, Shift and AltGr of that layout; a character only a dead key gives is typed with it
// and the space bar), end in their results and best times, which the history keeps.
struct KeyboardLayoutCase {
    std::vector<std::string> layout;
    std::vector<std::string> deadKeys;  // characters typed with a dead key and the space bar
    std::string rows[3];  // the unshifted labels of the upper, home and lower letter rows
    std::string lessonWord = "Lesson ", lessonColon = ":";
};

void PrintTo(const KeyboardLayoutCase& each, std::ostream* out) {
    *out << each.layout.back();
}

class LayoutTest : public NativeWindowTest,
                   public ::testing::WithParamInterface<KeyboardLayoutCase> {};

TEST_P(LayoutTest, LabelsFollowTheLayoutAndLessonsEightAndTenEnd) {
    keyboardLayout = GetParam().layout;
    typeByKeysym = true;
    deadKeys = GetParam().deadKeys;
    lessonWord = GetParam().lessonWord;
    lessonColon = GetParam().lessonColon;
    usLessons = false;
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(8));
    ASSERT_TRUE(reachExercise());
    // The key rows start at panel columns 3, 4 and 5 (keys 13, 26 and 37); a label lies 3
    // pixels up and left of the cell below its key's top-right cell.
    const auto labels = [&](const Image& picture, int row) {
        std::string shown;
        const int first[] = {3, 4, 5};
        const size_t counts[] = {13, 11, 10};
        for (size_t k = 0; k < counts[row]; ++k) {
            const int right = first[row] + 2 * int(k) + (row == 0 && k == 12 ? 2 : 1);
            shown += readCell(picture, right * 8 + 37, (2 + 2 * row) * 8 + 25, HighlightStyle);
        }
        return shown;
    };
    EXPECT_TRUE(waitToSee([&](const Image& picture) {
        for (int row = 0; row < 3; ++row)
            if (labels(picture, row) != GetParam().rows[row]) return false;
        return true;
    })) << labels(look(), 0)
        << " | " << labels(look(), 1) << " | " << labels(look(), 2);
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(8, bestTime));
    ASSERT_TRUE(pressKeys(x, {"Down", "Down"}, 30));  // two rows down from lesson 8
    ASSERT_TRUE(waitForText(MenuTitle, lessonTitle(10), true));
    ASSERT_TRUE(reachExercise());
    ASSERT_NO_FATAL_FAILURE(finishLesson(10, bestTime));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutTest,
    ::testing::Values(
        KeyboardLayoutCase{{"de"},
                           {"^ dead_circumflex"},
                           {"qwertzuiop\xFC+#", "asdfghjkl\xF6\xE4", "yxcvbnm,.-"},
                           "Lektion ",
                           ":"},
        KeyboardLayoutCase{
            {"fr"}, {}, {"azertyuiop^$*", "qsdfghjklm\xF9", "wxcvbn,;:!"}, "Le\xE7on ", " :"},
        KeyboardLayoutCase{
            {"us", "-variant", "dvorak"}, {}, {"',.pyfgcrl/=\\", "aoeuidhtns-", ";qjkxbmwvz"}}),
    [](const ::testing::TestParamInfo<KeyboardLayoutCase>& param) {
        return param.param.layout.back() == "dvorak" ? std::string("Dvorak")
                                                     : param.param.layout[0];
    });

// The course of the layout the system reports, on its own keys: lesson 1 of the French course
// under AZERTY and lesson 5 of the German one under QWERTZ, every line read off the screen
// made of the keys of that lesson and the ones before it, typed to the results; the best time
// in the menu and in the history, by the course's name, and none in the best-times file.
struct LayoutLessonCase {
    const char* name;
    std::vector<std::string> layout;
    int lesson;
    std::string lessonWord, lessonColon, course;
    std::string characters;  // of the lesson's keys and the earlier lessons', and the space
};

void PrintTo(const LayoutLessonCase& each, std::ostream* out) {
    *out << each.name;
}

class LayoutLessonTest : public NativeWindowTest,
                         public ::testing::WithParamInterface<LayoutLessonCase> {};

TEST_P(LayoutLessonTest, TheLayoutsCourseTeachesItsOwnKeys) {
    const LayoutLessonCase& c = GetParam();
    keyboardLayout = c.layout;
    typeByKeysym = true;
    lessonWord = c.lessonWord;
    lessonColon = c.lessonColon;
    usLessons = false;
    lineCharacters = c.characters;
    ASSERT_NO_FATAL_FAILURE(startAt());
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(chooseLesson(c.lesson));
    ASSERT_TRUE(reachExercise());
    std::string bestTime;
    ASSERT_NO_FATAL_FAILURE(finishLesson(c.lesson, bestTime));
    EXPECT_FALSE(std::filesystem::exists(program.bestTimesFile));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const std::string history =
        (std::filesystem::path(program.bestTimesFile).parent_path() / "quenmoreHistory.db")
            .string();
    EXPECT_TRUE(std::filesystem::exists(history));
    const Bytes file = readBytes(history);
    const std::string utf8Course = utf8FromLatin1(c.course);
    EXPECT_NE(std::search(file.begin(), file.end(), utf8Course.begin(), utf8Course.end()),
              file.end())
        << "no run of " << utf8Course << " in " << history;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutLessonTest,
    ::testing::Values(
        LayoutLessonCase{"FrenchLesson1", {"fr"}, 1, "Le\xE7on ", " :", "Dactylographie", "qsdfg "},
        LayoutLessonCase{"GermanLesson5",
                         {"de"},
                         5,
                         "Lektion ",
                         ":",
                         "Zehnfingerschreiben",
                         "asdfgqwerthjkl\xF6\xE4zuiop\xFC+yxcvb "}),
    [](const ::testing::TestParamInfo<LayoutLessonCase>& each) {
        return std::string(each.param.name);
    });

TEST(NoDisplayTest, TheProgramStopsWithAMessageInsteadOfRunningInvisibly) {
    TempFolder data{"quenmore-no-display"};
    ChildProcess program;
    ASSERT_TRUE(spawnProcess(
        program, {QUENMORE_PROGRAM},
        {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_DATA_HOME=" + data.path.string()},
        data.file("output.log")));
    ASSERT_TRUE(waitForExit(program, 30)) << "it kept running without a display";
    EXPECT_GT(exitCode(program), 0) << describeEnd(program);
    EXPECT_NE(readFile(program.log).find("display"), std::string::npos) << readFile(program.log);
}

}  // namespace
