// The history's SQLite file as the records open, check and read it; shared by the writing
// (history.cpp) and the reading (history_figures.cpp) of the history.
#pragma once

#include "course/records/history.h"

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

struct CloseDatabase {
    void operator()(sqlite3* database) const { sqlite3_close_v2(database); }
};
struct FinishStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinishStatement>;

// Opens the database with extended result codes, a busy handler that waits about a second
// for another copy of the program, and the SQL function accuracy(characters, errors), which is
// accuracyPermille. Null, with `code` set, when it cannot be opened.
Database openHistory(const std::string& path, int flags, int& code);
Statement prepare(sqlite3* database, const char* sql, int& code);
// The schema version; -1 with `code` set when it cannot be read.
int schemaVersion(sqlite3* database, int& code);
// Whether an SQLite result code says the file is no (whole) database.
bool damaged(int code);
bool execute(sqlite3* database, const char* sql, int& code);
bool fileExists(const std::string& path);
// Says a failure on stderr, once: the same message again (every later run failing the same
// way) stays silent.
void sayOnce(const char* what, const char* detail);
// The path of a file of the data folder; false when there is no usable one.
bool historyFile(const char* name, std::string& path);

// Binds a lesson's key to a statement: ?1 the built-in course's row, or ?1 the course and ?2 the
// lesson's title (UTF-8); nothing for AllLessons.
void bindLesson(sqlite3_stmt* statement, const LessonKey& lesson);
// The WHERE clause that picks the lesson's runs, as bindLesson binds them.
std::string lessonFilter(const LessonKey& lesson);

// Steps through `sql` (with the lesson's key bound), calling `row` for each result row.
template <typename Row>
bool eachRow(sqlite3* db, const std::string& sql, const LessonKey& lesson, int& code, Row row) {
    Statement statement = prepare(db, sql.c_str(), code);
    if (code != SQLITE_OK) return false;
    bindLesson(statement.get(), lesson);
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) row(statement.get());
    if (code != SQLITE_DONE) return false;
    code = SQLITE_OK;
    return true;
}
