#include "course/records/history.h"

#include "engine/host.h"
#include "platform/platform.h"

#include <sqlite3.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

// A busy database (another copy of the program writing) is tried again for about a second,
// through the host's sleep so that tests wait no real time.
constexpr int BusyTries = 50;
constexpr uint32_t BusyStepMilliseconds = 20;

const char* const SchemaSql =
    "CREATE TABLE IF NOT EXISTS runs("
    " id INTEGER PRIMARY KEY,"
    " finished_at INTEGER NOT NULL,"  // calendar seconds since 1970
    " lesson INTEGER NOT NULL,"       // menu row: the lessons from 0, then the practice
    " seconds INTEGER NOT NULL,"
    " characters INTEGER NOT NULL,"
    " errors INTEGER NOT NULL,"
    " words_per_minute INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS runs_by_lesson ON runs(lesson, id);"
    "CREATE TABLE IF NOT EXISTS run_keys("
    " run INTEGER NOT NULL REFERENCES runs(id),"
    " expected INTEGER NOT NULL,"
    " times_expected INTEGER NOT NULL,"
    " times_missed INTEGER NOT NULL,"
    " PRIMARY KEY(run, expected)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS run_misses("
    " run INTEGER NOT NULL REFERENCES runs(id),"
    " expected INTEGER NOT NULL,"
    " typed INTEGER NOT NULL,"
    " times INTEGER NOT NULL,"
    " PRIMARY KEY(run, expected, typed)) WITHOUT ROWID;"
    "PRAGMA user_version = 1;";

struct CloseDatabase {
    void operator()(sqlite3* database) const { sqlite3_close_v2(database); }
};
struct FinishStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinishStatement>;

// Says a failure on stderr, once: the same message again (every later run failing the same
// way) stays silent.
void sayOnce(const char* what, const char* detail) {
    static char lastSaid[512];
    char message[512];
    std::snprintf(message, sizeof message, "Quenmore: %s (%s)", what, detail);
    if (std::strcmp(message, lastSaid) == 0) return;
    std::snprintf(lastSaid, sizeof lastSaid, "%s", message);
    std::fprintf(stderr, "%s\n", message);
}

int waitWhileBusy(void*, int tries) {
    if (tries >= BusyTries) return 0;
    host.sleepMilliseconds(BusyStepMilliseconds);
    return 1;
}

bool damaged(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Database open(const std::string& path, int flags, int& code) {
    sqlite3* raw = nullptr;
    code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Database database(raw);
    if (code != SQLITE_OK) return nullptr;
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_handler(raw, waitWhileBusy, nullptr);
    return database;
}

Statement prepare(sqlite3* database, const char* sql, int& code) {
    sqlite3_stmt* raw = nullptr;
    code = sqlite3_prepare_v2(database, sql, -1, &raw, nullptr);
    return Statement(raw);
}

// The schema version; -1 with `code` set when it cannot be read.
int schemaVersion(sqlite3* database, int& code) {
    Statement statement = prepare(database, "PRAGMA user_version", code);
    if (code != SQLITE_OK) return -1;
    code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return -1;
    code = SQLITE_OK;
    return sqlite3_column_int(statement.get(), 0);
}

bool fileExists(const std::string& path) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

// Moves a damaged database (and its journal, which would otherwise be played back into the
// new one) to a name of its own beside it; nothing is deleted.
bool setAside(const std::string& path) {
    std::string aside;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        if (attempt == 0) {
            std::snprintf(suffix, sizeof suffix, ".damaged-%" PRId64, host.calendarSeconds());
        } else {
            std::snprintf(suffix, sizeof suffix, ".damaged-%" PRId64 "-%d", host.calendarSeconds(),
                          attempt);
        }
        aside = path + suffix;
        if (!fileExists(aside)) break;
        aside.clear();
    }
    if (aside.empty() || !platform::replaceFile(path, aside)) return false;
    const std::string journal = path + "-journal";
    if (fileExists(journal)) platform::replaceFile(journal, aside + "-journal");
    std::fprintf(stderr,
                 "Quenmore: the history was damaged and has been kept as %s; a new one "
                 "is started\n",
                 aside.c_str());
    return true;
}

bool execute(sqlite3* database, const char* sql, int& code) {
    code = sqlite3_exec(database, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK;
}

// The whole write: schema when new, then the run and its keys in one transaction. `code`
// tells why it failed; a newer schema sets `newer`.
// Whether the file is whole: SQLite's integrity check finds nothing wrong (the quick check
// would miss an index that has lost rows of its table, which the lesson's queries read
// through), and every column the history reads is where this program put it. `code` is set
// to SQLITE_CORRUPT when something is wrong, or to the error that stopped the check.
bool intact(sqlite3* database, int& code) {
    for (const char* columns : {"SELECT id, finished_at, lesson, seconds, characters, errors, "
                                "words_per_minute FROM runs",
                                "SELECT run, expected, times_expected, times_missed FROM run_keys",
                                "SELECT run, expected, typed, times FROM run_misses"}) {
        prepare(database, columns, code);
        if (code != SQLITE_OK) {
            if ((code & 0xFF) == SQLITE_ERROR) code = SQLITE_CORRUPT;  // a table or column gone
            return false;
        }
    }
    Statement statement = prepare(database, "PRAGMA integrity_check(1)", code);
    if (code != SQLITE_OK) return false;
    code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return false;
    const unsigned char* verdict = sqlite3_column_text(statement.get(), 0);
    const bool ok =
        verdict != nullptr && std::strcmp(reinterpret_cast<const char*>(verdict), "ok") == 0;
    code = ok ? SQLITE_OK : SQLITE_CORRUPT;
    return ok;
}

bool writeRun(const std::string& path, int32_t lesson, const RunSummary& run, int& code,
              bool& newer) {
    Database database = open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, code);
    if (!database) return false;
    sqlite3* db = database.get();
    if (!execute(db, "BEGIN IMMEDIATE", code)) return false;
    const int version = schemaVersion(db, code);
    if (version < 0) return false;
    if (version > HistorySchemaVersion) {
        newer = true;
        execute(db, "ROLLBACK", code);
        return false;
    }
    if (version < HistorySchemaVersion && !execute(db, SchemaSql, code)) return false;
    // Damage the insert would not touch would still keep every later read from the file: such
    // a file is set aside now, like one the insert fails on, not added to.
    if (!intact(db, code)) return false;

    Statement insertRun = prepare(db,
                                  "INSERT INTO runs(finished_at, lesson, seconds, characters, "
                                  "errors, words_per_minute) VALUES(?, ?, ?, ?, ?, ?)",
                                  code);
    if (code != SQLITE_OK) return false;
    sqlite3_bind_int64(insertRun.get(), 1, host.calendarSeconds());
    sqlite3_bind_int(insertRun.get(), 2, lesson);
    sqlite3_bind_int(insertRun.get(), 3, run.seconds);
    sqlite3_bind_int(insertRun.get(), 4, run.characters);
    sqlite3_bind_int(insertRun.get(), 5, run.errors);
    sqlite3_bind_int(insertRun.get(), 6, run.wordsPerMinute);
    if ((code = sqlite3_step(insertRun.get())) != SQLITE_DONE) return false;
    const sqlite3_int64 id = sqlite3_last_insert_rowid(db);

    Statement insertKey = prepare(db, "INSERT INTO run_keys VALUES(?, ?, ?, ?)", code);
    if (code != SQLITE_OK) return false;
    Statement insertMiss = prepare(db, "INSERT INTO run_misses VALUES(?, ?, ?, ?)", code);
    if (code != SQLITE_OK) return false;
    const KeyTally& keys = run.keys;
    for (int c = 0; c < TalliedCharacters; ++c) {
        if (keys.expected[c] == 0 && keys.missed[c] == 0) continue;
        sqlite3_reset(insertKey.get());
        sqlite3_bind_int64(insertKey.get(), 1, id);
        sqlite3_bind_int(insertKey.get(), 2, c);
        sqlite3_bind_int64(insertKey.get(), 3, keys.expected[c]);
        sqlite3_bind_int64(insertKey.get(), 4, keys.missed[c]);
        if ((code = sqlite3_step(insertKey.get())) != SQLITE_DONE) return false;
        for (int typed = 0; typed < TalliedCharacters; ++typed) {
            if (keys.typedInstead[c][typed] == 0) continue;
            sqlite3_reset(insertMiss.get());
            sqlite3_bind_int64(insertMiss.get(), 1, id);
            sqlite3_bind_int(insertMiss.get(), 2, c);
            sqlite3_bind_int(insertMiss.get(), 3, typed);
            sqlite3_bind_int(insertMiss.get(), 4, keys.typedInstead[c][typed]);
            if ((code = sqlite3_step(insertMiss.get())) != SQLITE_DONE) return false;
        }
    }
    // A failed commit leaves the transaction open; closing the database rolls it back.
    return execute(db, "COMMIT", code);
}

const char* lessonFilter(int32_t lesson) {
    return lesson == AllLessons ? "" : " WHERE lesson = ?1";
}

void setUnavailable(ProgressFigures& figures, const char* why) {
    figures.status = HistoryStatus::Unavailable;
    std::snprintf(figures.reason, sizeof figures.reason, "%s", why);
}

// Steps through `sql` (with ?1 the lesson when given), calling `row` for each result row.
template <typename Row>
bool eachRow(sqlite3* db, const std::string& sql, int32_t lesson, int& code, Row row) {
    Statement statement = prepare(db, sql.c_str(), code);
    if (code != SQLITE_OK) return false;
    if (lesson != AllLessons) sqlite3_bind_int(statement.get(), 1, lesson);
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) row(statement.get());
    if (code != SQLITE_DONE) return false;
    code = SQLITE_OK;
    return true;
}

bool readFigures(sqlite3* db, int32_t lesson, ProgressFigures& figures, int& code) {
    const std::string filter = lessonFilter(lesson);
    auto column = [](sqlite3_stmt* s, int i) { return sqlite3_column_int(s, i); };
    bool read = eachRow(
        db,
        // Rows this program could not have written (a time of no seconds or over a day,
        // negative counts) are counted but give no best time and no accuracy beyond 100%.
        "SELECT COUNT(*), MIN(CASE WHEN seconds > 0 AND seconds <= 86400 THEN seconds END), "
        "MAX(words_per_minute), MAX(CASE WHEN characters >= 0 AND errors >= 0 AND "
        "characters + errors > 0 THEN characters * 1000 / (characters + errors) ELSE 1000 END) "
        "FROM runs" +
            filter,
        lesson, code, [&](sqlite3_stmt* s) {
            figures.runCount = column(s, 0);
            figures.bestSeconds = sqlite3_column_type(s, 1) == SQLITE_NULL ? -1 : column(s, 1);
            figures.bestWordsPerMinute = column(s, 2);
            figures.bestAccuracy = column(s, 3);
        });
    if (!read) return false;
    if (figures.runCount == 0) return true;
    read = eachRow(db, "SELECT lesson, COUNT(*) FROM runs GROUP BY lesson", AllLessons, code,
                   [&](sqlite3_stmt* s) {
                       const int row = column(s, 0);
                       if (row >= 0 && row < HistoryRows) figures.lessonRuns[row] = column(s, 1);
                   });
    if (!read) return false;

    int32_t newestFirst[GraphRuns][2];
    int count = 0;
    read = eachRow(db,
                   "SELECT words_per_minute, characters, errors FROM runs" + filter +
                       " ORDER BY id DESC LIMIT 30",
                   lesson, code, [&](sqlite3_stmt* s) {
                       if (count >= GraphRuns) return;
                       newestFirst[count][0] = column(s, 0);
                       newestFirst[count][1] = accuracyPermille(column(s, 1), column(s, 2));
                       ++count;
                   });
    if (!read) return false;
    figures.graphCount = count;
    int64_t wordsSum = 0, accuracySum = 0;
    for (int i = 0; i < count; ++i) {
        figures.graphWordsPerMinute[count - 1 - i] = newestFirst[i][0];
        figures.graphAccuracy[count - 1 - i] = newestFirst[i][1];
        if (i < RecentRuns) {
            wordsSum += newestFirst[i][0];
            accuracySum += newestFirst[i][1];
        }
    }
    const int recent = std::min(count, RecentRuns);
    figures.recentWordsPerMinute = int32_t(wordsSum / recent);
    figures.recentAccuracy = int32_t(accuracySum / recent);

    const std::string lastRuns =
        " WHERE run IN (SELECT id FROM runs" + filter + " ORDER BY id DESC LIMIT 20)";
    read = eachRow(db,
                   "SELECT expected, SUM(times_expected), SUM(times_missed) FROM run_keys" +
                       lastRuns + " GROUP BY expected",
                   lesson, code, [&](sqlite3_stmt* s) {
                       const int c = column(s, 0);
                       if (c < 0 || c >= TalliedCharacters) return;
                       figures.expected[c] = uint32_t(sqlite3_column_int64(s, 1));
                       figures.missed[c] = uint32_t(sqlite3_column_int64(s, 2));
                   });
    if (!read) return false;
    return eachRow(db,
                   "SELECT expected, typed, SUM(times) FROM run_misses" + lastRuns +
                       " GROUP BY expected, typed",
                   lesson, code, [&](sqlite3_stmt* s) {
                       const int c = column(s, 0), typed = column(s, 1);
                       if (c < 0 || c >= TalliedCharacters || typed < 0 ||
                           typed >= TalliedCharacters) {
                           return;
                       }
                       figures.typedInstead[c][typed] = uint32_t(sqlite3_column_int64(s, 2));
                   });
}

// A CSV field needs no quoting: every value written is a number or a plain date.
bool writeCsv(sqlite3* db, std::string& csv, int& code) {
    csv = "finished_at,lesson,seconds,characters,errors,words_per_minute,accuracy\n";
    const bool read = eachRow(
        db,
        "SELECT finished_at, lesson, seconds, characters, errors, words_per_minute FROM runs "
        "ORDER BY id",
        AllLessons, code, [&](sqlite3_stmt* s) {
            const time_t when = time_t(sqlite3_column_int64(s, 0));
            char date[32] = "";
            struct tm parts {};
#ifdef _WIN32
            const bool converted = gmtime_s(&parts, &when) == 0;
#else
            const bool converted = gmtime_r(&when, &parts) != nullptr;
#endif
            if (converted) std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &parts);
            const int lesson = sqlite3_column_int(s, 1);
            const int characters = sqlite3_column_int(s, 3), errors = sqlite3_column_int(s, 4);
            const int32_t accuracy = accuracyPermille(characters, errors);
            char lessonName[16];
            if (lesson == LessonCount) {  // the practice row
                std::snprintf(lessonName, sizeof lessonName, "practice");
            } else {
                std::snprintf(lessonName, sizeof lessonName, "%d", lesson + 1);
            }
            char line[128];
            std::snprintf(line, sizeof line, "%s,%s,%d,%d,%d,%d,%d.%d\n", date, lessonName,
                          sqlite3_column_int(s, 2), characters, errors, sqlite3_column_int(s, 5),
                          accuracy / 10, accuracy % 10);
            csv += line;
        });
    return read;
}

}  // namespace

void tallyPress(KeyTally& tally, uint8_t expected, uint8_t typed) {
    if (expected >= TalliedCharacters) return;
    if (typed == expected) {
        tally.expected[expected] += 1;
        return;
    }
    tally.missed[expected] += 1;
    if (typed < TalliedCharacters && tally.typedInstead[expected][typed] < UINT16_MAX)
        tally.typedInstead[expected][typed] += 1;
}

int32_t wordsPerMinute(int32_t characters, int32_t seconds) {
    if (seconds <= 0 || characters < 0) return 0;
    return int32_t(60u * uint32_t(characters) / (5u * uint32_t(seconds)));
}

int32_t accuracyPermille(int64_t characters, int64_t errors) {
    if (characters < 0 || errors < 0 || characters + errors == 0) return 1000;
    return int32_t(characters * 1000 / (characters + errors));
}

bool historyPath(std::string& path, const char* name) {
    std::string folder;
    if (!host.userDataFolder(folder) || folder.empty()) return false;
    path = folder;
    if (path.back() != platform::pathSeparator()) path += platform::pathSeparator();
    path += name;
    return true;
}

bool recordRun(int32_t lesson, const RunSummary& run) {
    std::string folder;
    std::string path;
    if (!run.finished) return false;
    if (!host.userDataFolder(folder) || folder.empty() || !historyPath(path)) {
        sayOnce("the history cannot be kept", "no data folder");
        return false;
    }
    if (!platform::createFolders(folder)) {
        sayOnce("the history cannot be kept", "the data folder cannot be made");
        return false;
    }
    int code = SQLITE_OK;
    bool newer = false;
    bool kept = writeRun(path, lesson, run, code, newer);
    if (!kept && !newer && damaged(code) && setAside(path)) {
        kept = writeRun(path, lesson, run, code, newer);
    }
    if (kept) return true;
    if (newer) {
        sayOnce("the history was written by a newer Quenmore and is left as it is", path.c_str());
    } else {
        char detail[256];
        std::snprintf(detail, sizeof detail, "%s: %s", path.c_str(), sqlite3_errstr(code));
        sayOnce("this run could not be added to the history", detail);
    }
    return false;
}

void loadProgress(int32_t lesson, ProgressFigures& figures) {
    std::memset(&figures, 0, sizeof figures);
    figures.bestSeconds = -1;
    figures.status = HistoryStatus::Empty;
    std::string path;
    if (!historyPath(path)) {
        setUnavailable(figures, "There is no folder to keep it in.");
        return;
    }
    if (!fileExists(path)) return;
    int code = SQLITE_OK;
    Database database = open(path, SQLITE_OPEN_READONLY, code);
    if (!database) {
        setUnavailable(figures, "The history file cannot be opened.");
        return;
    }
    const int version = schemaVersion(database.get(), code);
    if (version > HistorySchemaVersion) {
        setUnavailable(figures, "It was written by a newer Quenmore.");
        return;
    }
    if (version == HistorySchemaVersion && readFigures(database.get(), lesson, figures, code)) {
        figures.status = figures.runCount > 0 ? HistoryStatus::Ready : HistoryStatus::Empty;
        return;
    }
    if (version == 0 && code == SQLITE_OK) return;  // created, never written
    // Our own queries failing on a file of our version means its tables are not ours.
    const bool notOurs = version == HistorySchemaVersion && (code & 0xFF) == SQLITE_ERROR;
    setUnavailable(figures, damaged(code) || notOurs
                                ? "The history file is damaged; the next finished "
                                  "lesson sets it aside and starts a new one."
                            : (code & 0xFF) == SQLITE_BUSY ? "Another Quenmore is writing it."
                                                           : "The history file cannot be read.");
}

bool exportHistoryCsv(std::string& written) {
    std::string path;
    std::string csv;
    written = HistoryCsvFileName;
    if (!historyPath(path) || !historyPath(csv, HistoryCsvFileName) || !fileExists(path))
        return false;
    int code = SQLITE_OK;
    Database database = open(path, SQLITE_OPEN_READONLY, code);
    if (!database || schemaVersion(database.get(), code) != HistorySchemaVersion) return false;
    // Written whole, through a new file of an unpredictable name, so a link planted in the data
    // folder cannot send the rows into another file.
    std::string rows;
    std::string reason;
    return writeCsv(database.get(), rows, code) &&
           platform::writeFileAtomically(csv, reinterpret_cast<const uint8_t*>(rows.data()),
                                         rows.size(), reason);
}
