// The history: every finished run kept in an SQLite database, "quenmoreHistory.db" beside the
// best-times file, with how often each character was typed right and missed and what was
// typed instead. Nothing here ever stops the program: a failure is said once on stderr and
// leaves the rows already kept (and the best-times file, which this never touches) as they
// were.
#pragma once

#include "course/content/built_in_course.h"
#include "course/records/run_figures.h"

#include <cstdint>
#include <string>

constexpr const char* HistoryFileName = "quenmoreHistory.db";
constexpr const char* HistoryCsvFileName = "quenmoreHistory.csv";
constexpr int HistorySchemaVersion = 1;  // PRAGMA user_version of the databases this writes
constexpr int GraphRuns = 30;            // runs in the progress graph
constexpr int KeyRuns = 20;              // runs whose misses make the miss rates
constexpr int RecentRuns = 10;           // runs in the recent averages
constexpr int AllLessons = -1;           // a query over every lesson
constexpr int HistoryRows = MenuRows;    // the lessons' rows, then the practice's

enum class HistoryStatus { Ready, Empty, Unavailable };

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
bool recordRun(int32_t lesson, const RunSummary& run);
// Reads the figures of one lesson, or of AllLessons, without changing anything on disk.
void loadProgress(int32_t lesson, ProgressFigures& figures);
// Writes every run as CSV into the data folder; false when it could not. `written` gets the
// file's name.
bool exportHistoryCsv(std::string& written);
