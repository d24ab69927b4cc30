#include "course/records/history_database.h"

#include "course/common/latin1.h"
#include "course/records/data_folder.h"
#include "course/records/run_figures.h"
#include "engine/host.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>

namespace {

// A busy database (another copy of the program writing) is tried again for about a second,
// through the host's sleep so that tests wait no real time.
constexpr int BusyTries = 50;
constexpr uint32_t BusyStepMilliseconds = 20;

int waitWhileBusy(void*, int tries) {
    if (tries >= BusyTries) return 0;
    host.sleepMilliseconds(BusyStepMilliseconds);
    return 1;
}

// accuracy(characters, errors) in SQL: the same figure the results screen shows.
void accuracyFunction(sqlite3_context* context, int, sqlite3_value** values) {
    sqlite3_result_int(
        context, accuracyPermille(sqlite3_value_int64(values[0]), sqlite3_value_int64(values[1])));
}

}  // namespace

void sayOnce(const char* what, const char* detail) {
    static char lastSaid[512];
    char message[512];
    std::snprintf(message, sizeof message, "Quenmore: %s (%s)", what, detail);
    if (std::strcmp(message, lastSaid) == 0) return;
    std::snprintf(lastSaid, sizeof lastSaid, "%s", message);
    std::fprintf(stderr, "%s\n", message);
}

bool damaged(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Database openHistory(const std::string& path, int flags, int& code) {
    sqlite3* raw = nullptr;
    code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Database database(raw);
    if (code != SQLITE_OK) return nullptr;
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_handler(raw, waitWhileBusy, nullptr);
    code = sqlite3_create_function_v2(raw, "accuracy", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, accuracyFunction, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return nullptr;
    return database;
}

Statement prepare(sqlite3* database, const char* sql, int& code) {
    sqlite3_stmt* raw = nullptr;
    code = sqlite3_prepare_v2(database, sql, -1, &raw, nullptr);
    return Statement(raw);
}

int schemaVersion(sqlite3* database, int& code) {
    Statement statement = prepare(database, "PRAGMA user_version", code);
    if (code != SQLITE_OK) return -1;
    code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return -1;
    code = SQLITE_OK;
    return sqlite3_column_int(statement.get(), 0);
}

bool execute(sqlite3* database, const char* sql, int& code) {
    code = sqlite3_exec(database, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK;
}

bool fileExists(const std::string& path) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

void bindLesson(sqlite3_stmt* statement, const LessonKey& lesson) {
    if (!lesson.course.empty()) {
        sqlite3_bind_text(statement, 1, utf8FromLatin1(lesson.course).c_str(), -1,
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, utf8FromLatin1(lesson.title).c_str(), -1, SQLITE_TRANSIENT);
    } else if (lesson.row != AllLessons) {
        sqlite3_bind_int(statement, 1, lesson.row);
    }
}

std::string lessonFilter(const LessonKey& lesson) {
    if (!lesson.course.empty()) return " WHERE course = ?1 AND lesson_title = ?2";
    return lesson.row == AllLessons ? "" : " WHERE lesson = ?1";
}

bool historyFile(const char* name, std::string& path) {
    std::string folder;
    return dataFolderFile(name, folder, path);
}
