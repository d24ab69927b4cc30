// The history of finished runs: what a run keeps, the CSV export, the figures read back and
// every way the database can fail without losing what was kept.
#include "course/records/best_times.h"
#include "course/screens/lesson_menu.h"
#include "tests/support/history_seed.h"
#include "tests/support/hosted_test.h"

#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;

class HistoryTest : public HostedTest {
  protected:
    std::string database = data.file(HistoryFileName);

    void SetUp() override {
        HostedTest::SetUp();
        test.composeNarrowFrames();
    }
    int64_t number(const char* sql) { return queryNumber(database, sql); }
    int64_t runs() { return number("SELECT COUNT(*) FROM runs"); }
};

TEST_F(HistoryTest, AFinishedRunIsKeptWithItsCountsAndMissesAndAnAbandonedOneIsNot) {
    LessonMenu menu{};
    Learner learner(clock, {.wrongKeyEvery = 7});
    playFromMenu(menu, learner);
    ASSERT_EQ(runs(), 1);
    const int32_t seconds = menu.entries[0].bestTime;
    // Ten lines of lesson 1 hold 34 or 35 characters each.
    const int characters = int(number("SELECT characters FROM runs"));
    EXPECT_TRUE(characters >= 340 && characters <= 350) << characters;
    // Every character once as expected; every miss the learner's "j" instead.
    EXPECT_EQ(number("SELECT SUM(times_expected) FROM run_keys"), characters);
    EXPECT_EQ(number("SELECT SUM(times_missed) FROM run_keys"), learner.errorsMade);
    EXPECT_EQ(number("SELECT SUM(times) FROM run_misses WHERE typed = 106"), learner.errorsMade);
    EXPECT_EQ(number("SELECT COUNT(*) FROM run_misses WHERE typed <> 106"), 0);
    EXPECT_EQ(number("SELECT user_version FROM pragma_user_version"), HistorySchemaVersion);

    // The CSV export: a header and the run's figures; a link planted as its old temporary file
    // redirects nothing.
#ifndef _WIN32
    const std::string victim = data.file("victim");
    writeBytes(victim, {1, 2, 3});
    fs::create_symlink(victim, data.file(std::string(HistoryCsvFileName) + ".tmp"));
#endif
    std::string name;
    ASSERT_TRUE(exportHistoryCsv(name));
#ifndef _WIN32
    EXPECT_EQ(readBytes(victim), (Bytes{1, 2, 3}));
#endif
    EXPECT_EQ(name, HistoryCsvFileName);
    const Bytes csv = readBytes(data.file(HistoryCsvFileName));
    char row[128];
    std::snprintf(row, sizeof row, "2023-11-14T22:13:20Z,1,%d,%d,%d,%d,", seconds, characters,
                  learner.errorsMade, learner.results.wordsPerMinute);
    EXPECT_EQ(std::string(csv.begin(), csv.end())
                  .find(std::string("finished_at,lesson,seconds,characters,errors,"
                                    "words_per_minute,accuracy,course\n") +
                        row),
              0u);

    // Escape in the exercise adds nothing; a window close on the results still adds the run.
    for (LearnerPhase phase : {LearnerPhase::Exercise, LearnerPhase::Results}) {
        Learner leaving(clock, {.interrupts = true,
                                .interruptIn = phase,
                                .interruptWithClose = phase == LearnerPhase::Results});
        playFromMenu(menu, leaving);
        EXPECT_EQ(runs(), phase == LearnerPhase::Results ? 2 : 1);
    }
}

// However the database fails, the lesson finishes, the best time and the earlier run stay, and
// the failure is said once on stderr. (Damaged and newer files' bytes are the fuzzer's.)
TEST_F(HistoryTest, NoFailureStopsTheProgramOrLosesWhatWasKept) {
    enum Failure { FolderIsAFile, DatabaseIsAFolder, Garbage, Locked, NewerVersion, FullDevice };
    const std::pair<Failure, const char*> failures[] = {
        {FolderIsAFile, "history cannot be kept"},
        {DatabaseIsAFolder, "could not be added"},
        {Garbage, "damaged"},
        {Locked, "database is locked"},
        {NewerVersion, "newer Quenmore"},
#ifndef _WIN32
        {FullDevice, "full"},
#endif
    };
    for (auto [failure, said] : failures) {
        SCOPED_TRACE(said);
        fs::remove_all(data.path);
        fs::create_directories(data.path);
        clock.dataFolder = data.path.string();
        clock.calendarSeconds += 1;
        ASSERT_TRUE(seedRun(3, 60, 300, 2));
        sqlite3* holder = nullptr;
        if (failure == FolderIsAFile) {
            writeBytes(data.file("file"), {1});
            clock.dataFolder = data.file("file") + "/below";
        } else if (failure == DatabaseIsAFolder) {
            fs::remove(database);
            fs::create_directory(database);
        } else if (failure == Garbage) {
            writeBytes(database, Bytes(3000, 0x5A));
        } else if (failure == Locked) {
            ASSERT_EQ(sqlite3_open(database.c_str(), &holder), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
                      SQLITE_OK);
        } else if (failure == NewerVersion) {
            ASSERT_TRUE(runSql(database, "PRAGMA user_version = 3"));
        }

        const auto playTwice = [&](bool capture) {
            if (capture) testing::internal::CaptureStderr();
            LessonMenu menu{};
            Learner learner(clock, {});
            playFromMenu(menu, learner);
            Learner again(clock, {});  // the same failure again is not said again
            playFromMenu(menu, again);
            EXPECT_GT(menu.entries[0].bestTime, 0);
            return capture ? testing::internal::GetCapturedStderr() : std::string();
        };
        const std::string stderrText =
            failure == FullDevice ? "full: could not be added\n" : playTwice(true);
#ifndef _WIN32
        if (failure == FullDevice) {
            // Files limited to 1 KiB: the journal fails as on a full disk, the 40 bytes do not.
            const auto child = [&] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{1024, 1024};
                setrlimit(RLIMIT_FSIZE, &limit);
                playTwice(false);
                std::exit(HasFailure() ? 1 : 0);
            };
            EXPECT_EXIT(child(), testing::ExitedWithCode(0), "could not be added");
        }
#endif
        if (holder != nullptr) sqlite3_close(holder);

        EXPECT_TRUE(failure == FolderIsAFile ||
                    readBytes(data.file(BestTimesFileName)).size() == 40u);
        const size_t first = stderrText.find(said);
        EXPECT_NE(first, std::string::npos) << stderrText;
        // Said once, whatever the best-times file says besides.
        EXPECT_TRUE(failure == Garbage || stderrText.find(said, first + 1) == std::string::npos)
            << stderrText;
        if (failure == Garbage) {
            EXPECT_EQ(runs(), 2);  // a new history, with both runs
        } else if (failure != FolderIsAFile && failure != DatabaseIsAFolder &&
                   failure != NewerVersion) {
            EXPECT_EQ(runs(), 1);
            EXPECT_EQ(number("SELECT lesson FROM runs"), 3);
        }
    }
}

// A version-1 history (no courses) is read as it is and upgraded by the next run, its rows the
// built-in course's; another course's lessons are kept by course and title and give best times.
TEST_F(HistoryTest, AnOldHistoryTakesTheRunsOfOtherCourses) {
    ASSERT_TRUE(runSql(database,
                       "CREATE TABLE runs(id INTEGER PRIMARY KEY, finished_at INTEGER NOT NULL,"
                       " lesson INTEGER NOT NULL, seconds INTEGER NOT NULL, characters INTEGER NOT"
                       " NULL, errors INTEGER NOT NULL, words_per_minute INTEGER NOT NULL);"
                       "CREATE INDEX runs_by_lesson ON runs(lesson, id);"
                       "CREATE TABLE run_keys(run INTEGER NOT NULL REFERENCES runs(id), expected"
                       " INTEGER NOT NULL, times_expected INTEGER NOT NULL, times_missed INTEGER"
                       " NOT NULL, PRIMARY KEY(run, expected)) WITHOUT ROWID;"
                       "CREATE TABLE run_misses(run INTEGER NOT NULL REFERENCES runs(id), expected"
                       " INTEGER NOT NULL, typed INTEGER NOT NULL, times INTEGER NOT NULL,"
                       " PRIMARY KEY(run, expected, typed)) WITHOUT ROWID;"
                       "INSERT INTO runs VALUES(1, 1700000000, 3, 80, 300, 2, 45);"
                       "PRAGMA user_version = 1;"));
    const LessonKey mine{AllLessons, "Caf\xE9 Course", "First"};
    auto figures = std::make_unique<ProgressFigures>();
    loadProgress(3, *figures);
    EXPECT_EQ(figures->runCount, 1);
    EXPECT_EQ(courseBestTimes(mine.course, {"First"}), std::vector<int32_t>{-1});
    std::string csv;
    ASSERT_TRUE(exportHistoryCsv(csv));

    ASSERT_TRUE(seedRun(mine, 70, 300, 1));
    ASSERT_TRUE(seedRun(mine, 60, 300, 1));
    ASSERT_TRUE(seedRun(LessonKey{AllLessons, mine.course, "Second, \"quoted\""}, 50, 300, 0));
    EXPECT_EQ(number("SELECT user_version FROM pragma_user_version"), 2);
    EXPECT_EQ(number("SELECT COUNT(*) FROM runs WHERE course = '' AND lesson = 3"), 1);
    EXPECT_EQ(
        number("SELECT COUNT(*) FROM runs WHERE course = 'Caf\xC3\xA9 Course' AND lesson = -1"), 3);
    EXPECT_EQ(courseBestTimes(mine.course, {"Second, \"quoted\"", "Third", "First"}),
              (std::vector<int32_t>{50, -1, 60}));
    loadProgress(mine, *figures);
    EXPECT_TRUE(figures->runCount == 2 && figures->bestSeconds == 60) << figures->runCount;
    loadProgress(3, *figures);
    EXPECT_EQ(figures->runCount, 1);
    loadProgress(AllLessons, *figures);
    EXPECT_TRUE(figures->runCount == 4 && figures->lessonRuns[3] == 1) << figures->runCount;
    ASSERT_TRUE(exportHistoryCsv(csv));
    const Bytes rows = readBytes(data.file(HistoryCsvFileName));
    EXPECT_NE(std::string(rows.begin(), rows.end())
                  .find(",\"Second, \"\"quoted\"\"\",50,300,0,72,100.0,Caf\xC3\xA9 Course\n"),
              std::string::npos);
}

// What the progress screen reads: nothing yet, a page without runs, a page with them, and the
// reasons it gives when the history cannot be read; reading changes nothing on disk.
TEST_F(HistoryTest, ProgressFiguresAndWhyTheyAreUnavailable) {
    auto figures = std::make_unique<ProgressFigures>();
    loadProgress(0, *figures);
    EXPECT_EQ(figures->status, HistoryStatus::Empty);
    EXPECT_FALSE(fs::exists(database));
    for (int i = 0; i < 35; ++i) ASSERT_TRUE(seedRun(2, 100 - i, 330, i % 3, 'k', 'j'));
    ASSERT_TRUE(seedRun(10, 30, 330, 0));
    loadProgress(0, *figures);
    EXPECT_EQ(figures->status, HistoryStatus::Empty);
    loadProgress(2, *figures);
    ASSERT_EQ(figures->status, HistoryStatus::Ready);
    EXPECT_EQ(figures->runCount, 35);
    EXPECT_EQ(figures->bestSeconds, 66);
    EXPECT_EQ(figures->graphCount, GraphRuns);
    EXPECT_EQ(figures->graphWordsPerMinute[GraphRuns - 1], wordsPerMinute(330, 66));  // newest last
    EXPECT_EQ(figures->bestAccuracy, 1000);
    EXPECT_EQ(figures->missed[int('k')], 19u);  // 0, 1, 2, 0, ... of runs 16 to 35
    EXPECT_EQ(figures->typedInstead[int('k')][int('j')], 19u);
    loadProgress(AllLessons, *figures);
    EXPECT_EQ(figures->runCount, 36);
    EXPECT_EQ(figures->lessonRuns[10], 1);

    struct Unreadable {
        Bytes contents;  // none: an empty database of a newer schema
        const char* reason;
    };
    const Unreadable unreadable[] = {{Bytes(2000, 0x5A), "damaged"}, {{}, "newer Quenmore"}};
    for (const auto& [contents, reason] : unreadable) {
        fs::remove(database);
        ASSERT_TRUE(contents.empty() ? runSql(database, "PRAGMA user_version = 7")
                                     : writeBytes(database, contents));
        const Bytes before = readBytes(database);
        loadProgress(0, *figures);
        EXPECT_EQ(figures->status, HistoryStatus::Unavailable);
        EXPECT_NE(std::string(figures->reason).find(reason), std::string::npos) << figures->reason;
        EXPECT_EQ(readBytes(database), before);
    }
}

}  // namespace
