// Runs put straight into the history, and a look at it through SQLite, for tests.
#pragma once

#include "course/records/history.h"

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string>

// A finished run of `characters` with `errors` misses of `expected` typed as `typed`.
inline bool seedRun(const LessonKey& lesson, int32_t seconds, int32_t characters, int32_t errors,
                    char expected = 'f', char typed = 'd') {
    auto run = std::make_unique<RunSummary>();
    run->finished = true;
    run->seconds = seconds;
    run->characters = characters;
    run->errors = errors;
    run->wordsPerMinute = wordsPerMinute(characters, seconds);
    for (const char* c = "asdf jkl;"; *c != '\0'; ++c)
        run->keys.expected[uint8_t(*c)] = uint32_t(characters / 9);
    for (int i = 0; i < errors; ++i) tallyPress(run->keys, uint8_t(expected), uint8_t(typed));
    return recordRun(lesson, *run);
}
inline bool seedRun(int32_t lesson, int32_t seconds, int32_t characters, int32_t errors,
                    char expected = 'f', char typed = 'd') {
    return seedRun(LessonKey{lesson, {}, {}}, seconds, characters, errors, expected, typed);
}

// The first column of the first row of `sql` on the database at `path`; -1 when it fails.
inline int64_t queryNumber(const std::string& path, const char* sql) {
    sqlite3* database = nullptr;
    int64_t value = -1;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            value = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return value;
}

// Runs `sql` on the database at `path`, made if missing.
inline bool runSql(const std::string& path, const char* sql) {
    sqlite3* database = nullptr;
    const bool ran = sqlite3_open(path.c_str(), &database) == SQLITE_OK &&
                     sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return ran;
}
