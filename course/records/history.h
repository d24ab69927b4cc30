// The history: every finished run kept in an SQLite database, "quenmoreHistory.db" beside the
// best-times file, with how often each character was expected and missed and what was typed
// instead. Nothing here ever stops the program: a failure is said once on stderr and leaves
// the rows already kept (and the best-times file, which this never touches) as they were.
#pragma once

#include "course/content/lesson_catalogue.h"

#include <cstdint>
#include <string>

constexpr const char* HistoryFileName = "quenmoreHistory.db";
constexpr const char* HistoryCsvFileName = "quenmoreHistory.csv";
constexpr int HistorySchemaVersion = 1;  // PRAGMA user_version of the databases this writes
constexpr int TalliedCharacters = 128;
constexpr int GraphRuns = 30;                 // runs in the progress graph
constexpr int KeyRuns = 20;                   // runs whose misses make the miss rates
constexpr int RecentRuns = 10;                // runs in the recent averages
constexpr int AllLessons = -1;                // a query over every lesson
constexpr int HistoryRows = LessonCount + 1;  // menu rows with a history: the lessons, the practice

// What one finished run typed, character by character (codes 0 to 127).
struct KeyTally {
    uint32_t expected[TalliedCharacters];  // times the character was the one to type
    uint32_t missed[TalliedCharacters];    // wrong presses while it was expected
    uint16_t typedInstead[TalliedCharacters][TalliedCharacters];  // [expected][typed], saturating
};

// The figures of one finished run, as the results screen shows them.
struct RunSummary {
    bool finished;  // the exercise was typed to its end; false: abandoned, nothing to keep
    int32_t seconds;
    int32_t characters;
    int32_t errors;
    int32_t wordsPerMinute;
    KeyTally keys;
};

// Counts one judged press of `typed` while `expected` was the character to type.
void tallyPress(KeyTally& tally, uint8_t expected, uint8_t typed);
// Words per minute as the results screen works them out: a word is five characters; a run
// of under one second shows 0.
int32_t wordsPerMinute(int32_t characters, int32_t seconds);

enum class HistoryStatus { Ready, Empty, Unavailable };

// What the progress screen and the practice row read from the history for one lesson
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

// Full path of the history database (or of another file of the data folder); false when
// the data folder is unknown.
bool historyPath(std::string& path, const char* name = HistoryFileName);
// Keeps one finished run of menu row `lesson` in one transaction. A damaged database is
// renamed aside and a new one started; a database of a newer version is left untouched.
// False when nothing was kept.
bool recordRun(int32_t lesson, const RunSummary& run);
// Reads the figures of one lesson, or of AllLessons, without changing anything on disk.
void loadProgress(int32_t lesson, ProgressFigures& figures);
// Writes every run as CSV into the data folder; false when it could not. `written` gets the
// file's name.
bool exportHistoryCsv(std::string& written);
// Accuracy in tenths of a percent: characters / (characters + errors); 1000 without either.
int32_t accuracyPermille(int64_t characters, int64_t errors);
