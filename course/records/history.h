// The history: every finished run kept in an SQLite database, "quenmoreHistory.db" beside the
// best-times file, with how often each character was typed right and missed and what was
// typed instead. Nothing here ever stops the program: a failure is said once on stderr and
// leaves the rows already kept (and the best-times file, which this never touches) as they
// were.
//
// The schema (PRAGMA user_version 2):
//   runs(id INTEGER PRIMARY KEY, finished_at (calendar seconds), lesson (the built-in course's
//        menu row: its lessons from 0, then the practice; -1 for a lesson of another course),
//        seconds, characters, errors, words_per_minute, course (that other course's name, UTF-8;
//        '' for the built-in course), lesson_title (that lesson's title; '' for the built-in))
//        with the indexes runs_by_lesson(lesson, id) and runs_by_course(course, lesson_title, id);
//   run_keys(run, expected, times_expected, times_missed): per expected character of a run;
//   run_misses(run, expected, typed, times): what was typed instead, and how often.
// Version 1 had runs without course and lesson_title: the first run added to such a file adds
// them, its rows being of the built-in course. A file of a newer version is only read by the
// Quenmore that wrote it: this one neither reads nor writes it.
#pragma once

#include "course/content/built_in_course.h"
#include "course/records/run_figures.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* HistoryFileName = "quenmoreHistory.db";
constexpr const char* HistoryCsvFileName = "quenmoreHistory.csv";
constexpr int HistorySchemaVersion = 2;  // PRAGMA user_version of the databases this writes
constexpr int GraphRuns = 30;            // runs in the progress graph
constexpr int KeyRuns = 20;              // runs whose misses make the miss rates
constexpr int RecentRuns = 10;           // runs in the recent averages
constexpr int AllLessons = -1;           // a query over every lesson
constexpr int HistoryRows = MenuRows;    // the lessons' rows, then the practice's

enum class HistoryStatus { Ready, Empty, Unavailable };

// Which lesson a run is of: a row of the built-in course's menu (or AllLessons, for reading),
// or, when `course` is not empty, the lesson `title` of that course. Texts are Latin-1, as the
// course shows them.
struct LessonKey {
    int32_t row;
    std::string course;
    std::string title;
};

// What the progress screen and the practice row read from the history for one menu row
// (`lesson` 0 to 10, the practice row being 10) or for all of them.
struct ProgressFigures {
    HistoryStatus status;
    char reason[160];  // why the history is unavailable
    int32_t runCount;
    int32_t lessonRuns[HistoryRows];  // runs per menu row, whichever lesson was asked for
    int32_t bestSeconds;              // -1: none
    int32_t bestWordsPerMinute;
    int32_t recentWordsPerMinute;  // average of the last RecentRuns runs
    int32_t bestAccuracy;          // tenths of a percent
    int32_t recentAccuracy;        // tenths of a percent, over the last RecentRuns runs
    int32_t graphCount;            // runs in the graph, oldest first
    int32_t graphWordsPerMinute[GraphRuns];
    int32_t graphAccuracy[GraphRuns];  // tenths of a percent
    // The last KeyRuns runs, per expected character.
    uint32_t expected[TalliedCharacters];
    uint32_t missed[TalliedCharacters];
    uint32_t typedInstead[TalliedCharacters][TalliedCharacters];
};

// Keeps one finished run of menu row `lesson` in one transaction. A damaged database is
// renamed aside and a new one started; a database of a newer version is left untouched.
// False when nothing was kept.
bool recordRun(const LessonKey& lesson, const RunSummary& run);
inline bool recordRun(int32_t row, const RunSummary& run) {
    return recordRun(LessonKey{row, {}, {}}, run);
}
// Reads the figures of one lesson, or of AllLessons (every run of every course), without
// changing anything on disk.
void loadProgress(const LessonKey& lesson, ProgressFigures& figures);
inline void loadProgress(int32_t row, ProgressFigures& figures) {
    loadProgress(LessonKey{row, {}, {}}, figures);
}
// The best time of each of `titles`, lessons of the course `course`, from the history: whole
// seconds, -1 for none (nor when the history cannot be read).
std::vector<int32_t> courseBestTimes(const std::string& course,
                                     const std::vector<std::string>& titles);
// Writes every run as CSV into the data folder; false when it could not. `written` gets the
// file's name.
bool exportHistoryCsv(std::string& written);
