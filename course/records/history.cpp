#include "course/records/history.h"

#include "course/common/latin1.h"
#include "course/records/data_folder.h"
#include "course/records/history_database.h"
#include "engine/host.h"
#include "platform/platform.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// The tables of version 1, made when the file is new; then every step from the file's version
// to this program's, in order, so that a new file and an old one end alike.
constexpr const char* Version1Sql = "CREATE TABLE IF NOT EXISTS runs("
                                    " id INTEGER PRIMARY KEY,"
                                    " finished_at INTEGER NOT NULL,"
                                    " lesson INTEGER NOT NULL,"
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
// The lessons of other courses, by name and title; the rows already kept are the built-in
// course's.
constexpr const char* Version2Sql =
    "ALTER TABLE runs ADD COLUMN course TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE runs ADD COLUMN lesson_title TEXT NOT NULL DEFAULT '';"
    "CREATE INDEX runs_by_course ON runs(course, lesson_title, id);"
    "PRAGMA user_version = 2;";
constexpr const char* const Migrations[HistorySchemaVersion] = {Version1Sql, Version2Sql};

// Brings the file from `version` to this program's, inside the caller's transaction. A step
// that fails on tables of the right version but not of this program's making (a column already
// there) counts as damage, like a file whose tables the check finds wanting.
bool migrate(sqlite3* db, int version, int& code) {
    for (int step = version; step < HistorySchemaVersion; ++step) {
        if (!execute(db, Migrations[step], code)) {
            if ((code & 0xFF) == SQLITE_ERROR) code = SQLITE_CORRUPT;
            return false;
        }
    }
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

// Whether the file is whole: SQLite's integrity check finds nothing wrong (the quick check
// would miss an index that has lost rows of its table, which the lesson's queries read
// through), and every column the history reads is where this program put it. `code` is set
// to SQLITE_CORRUPT when something is wrong, or to the error that stopped the check.
bool intact(sqlite3* database, int& code) {
    for (const char* columns : {"SELECT id, finished_at, lesson, seconds, characters, errors, "
                                "words_per_minute, course, lesson_title FROM runs",
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

// The whole write: schema when new, then the run and its keys in one transaction. `code`
// tells why it failed; a newer schema sets `newer`.
bool writeRun(const std::string& path, const LessonKey& lesson, const RunSummary& run, int& code,
              bool& newer) {
    Database database = openHistory(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, code);
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
    if (!migrate(db, version, code)) return false;
    // Damage the insert would not touch would still keep every later read from the file: such
    // a file is set aside now, like one the insert fails on, not added to.
    if (!intact(db, code)) return false;

    Statement insertRun = prepare(db,
                                  "INSERT INTO runs(finished_at, lesson, seconds, characters, "
                                  "errors, words_per_minute, course, lesson_title) "
                                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
                                  code);
    if (code != SQLITE_OK) return false;
    sqlite3_bind_int64(insertRun.get(), 1, host.calendarSeconds());
    const bool builtIn = lesson.course.empty();
    const std::string course = utf8FromLatin1(lesson.course);
    const std::string title = builtIn ? std::string() : utf8FromLatin1(lesson.title);
    sqlite3_bind_int(insertRun.get(), 2, builtIn ? lesson.row : -1);
    sqlite3_bind_int(insertRun.get(), 3, run.seconds);
    sqlite3_bind_int(insertRun.get(), 4, run.characters);
    sqlite3_bind_int(insertRun.get(), 5, run.errors);
    sqlite3_bind_int(insertRun.get(), 6, run.wordsPerMinute);
    sqlite3_bind_text(insertRun.get(), 7, course.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insertRun.get(), 8, title.c_str(), -1, SQLITE_TRANSIENT);
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

}  // namespace

bool recordRun(const LessonKey& lesson, const RunSummary& run) {
    std::string folder;
    std::string path;
    if (!run.finished) return false;
    if (!dataFolderFile(HistoryFileName, folder, path)) {
        sayOnce("the history cannot be kept",
                folder.empty() ? "no data folder" : "the path is too long");
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
