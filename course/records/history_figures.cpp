#include "course/common/latin1.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "course/records/history_database.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const LessonKey Everything{AllLessons, {}, {}};

void setUnavailable(ProgressFigures& figures, const char* why) {
    figures.status = HistoryStatus::Unavailable;
    std::snprintf(figures.reason, sizeof figures.reason, "%s", why);
}

bool readFigures(sqlite3* db, const LessonKey& lesson, ProgressFigures& figures, int& code) {
    const std::string filter = lessonFilter(lesson);
    auto column = [](sqlite3_stmt* s, int i) { return sqlite3_column_int(s, i); };
    bool read =
        eachRow(db,
                // Rows this program could not have written (a time of no seconds or over a day,
                // negative counts) are counted but give no best time and no accuracy beyond 100%.
                "SELECT COUNT(*), MIN(CASE WHEN seconds > 0 AND seconds <= " +
                    std::to_string(LongestBestTime) +
                    " THEN seconds END), MAX(words_per_minute), MAX(accuracy(characters, errors)) "
                    "FROM runs" +
                    filter,
                lesson, code, [&](sqlite3_stmt* s) {
                    figures.runCount = column(s, 0);
                    figures.bestSeconds =
                        sqlite3_column_type(s, 1) == SQLITE_NULL ? -1 : column(s, 1);
                    figures.bestWordsPerMinute = column(s, 2);
                    figures.bestAccuracy = column(s, 3);
                });
    if (!read) return false;
    if (figures.runCount == 0) return true;
    read = eachRow(db, "SELECT lesson, COUNT(*) FROM runs GROUP BY lesson", Everything, code,
                   [&](sqlite3_stmt* s) {
                       const int row = column(s, 0);
                       if (row >= 0 && row < HistoryRows) figures.lessonRuns[row] = column(s, 1);
                   });
    if (!read) return false;

    int32_t newestFirst[GraphRuns][2];
    int count = 0;
    read = eachRow(db,
                   "SELECT words_per_minute, characters, errors FROM runs" + filter +
                       " ORDER BY id DESC LIMIT " + std::to_string(GraphRuns),
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

    const std::string lastRuns = " WHERE run IN (SELECT id FROM runs" + filter +
                                 " ORDER BY id DESC LIMIT " + std::to_string(KeyRuns) + ")";
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

// A field as CSV has it: in double quotes, each of its own doubled, when it holds a comma, a
// quote or a line break.
std::string csvField(const unsigned char* text) {
    const std::string field = text == nullptr ? "" : reinterpret_cast<const char*>(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The lesson column holds the built-in course's lesson number or "practice", or the title of a
// lesson of another course, whose name is in the last column.
bool writeCsv(sqlite3* db, int version, std::string& csv, int& code) {
    csv = "finished_at,lesson,seconds,characters,errors,words_per_minute,accuracy,course\n";
    const std::string courseColumns = version >= 2 ? "course, lesson_title" : "'', ''";
    const bool read =
        eachRow(db,
                "SELECT finished_at, lesson, seconds, characters, errors, words_per_minute, " +
                    courseColumns + " FROM runs ORDER BY id",
                Everything, code, [&](sqlite3_stmt* s) {
                    char date[32] = "";
                    std::tm parts{};
                    if (platform::utcCalendar(sqlite3_column_int64(s, 0), parts))
                        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &parts);
                    const int lesson = sqlite3_column_int(s, 1);
                    const int characters = sqlite3_column_int(s, 3),
                              errors = sqlite3_column_int(s, 4);
                    const int32_t accuracy = accuracyPermille(characters, errors);
                    const std::string course = csvField(sqlite3_column_text(s, 6));
                    std::string lessonName =
                        lesson == PracticeRow ? "practice" : std::to_string(lesson + 1);
                    if (!course.empty()) lessonName = csvField(sqlite3_column_text(s, 7));
                    char figures[96];
                    std::snprintf(figures, sizeof figures, ",%d,%d,%d,%d,%d.%d,",
                                  sqlite3_column_int(s, 2), characters, errors,
                                  sqlite3_column_int(s, 5), accuracy / 10, accuracy % 10);
                    csv += date + ("," + lessonName) + figures + course + "\n";
                });
    return read;
}

}  // namespace

void loadProgress(const LessonKey& lesson, ProgressFigures& figures) {
    std::memset(&figures, 0, sizeof figures);
    figures.bestSeconds = -1;
    figures.status = HistoryStatus::Empty;
    std::string path;
    if (!historyFile(HistoryFileName, path)) {
        setUnavailable(figures, "There is no folder to keep it in.");
        return;
    }
    if (!fileExists(path)) return;
    int code = SQLITE_OK;
    Database database = openHistory(path, SQLITE_OPEN_READONLY, code);
    if (!database) {
        setUnavailable(figures, "The history file cannot be opened.");
        return;
    }
    const int version = schemaVersion(database.get(), code);
    if (version > HistorySchemaVersion) {
        setUnavailable(figures, "It was written by a newer Quenmore.");
        return;
    }
    // A file of version 1, which the next run brings up to date, holds only the built-in
    // course's runs.
    if (version == 1 && !lesson.course.empty()) return;
    if (version >= 1 && readFigures(database.get(), lesson, figures, code)) {
        figures.status = figures.runCount > 0 ? HistoryStatus::Ready : HistoryStatus::Empty;
        return;
    }
    if (version == 0 && code == SQLITE_OK) return;  // created, never written
    // Our own queries failing on a file of our version means its tables are not ours.
    const bool notOurs = version >= 1 && (code & 0xFF) == SQLITE_ERROR;
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
    if (!historyFile(HistoryFileName, path) || !historyFile(HistoryCsvFileName, csv) ||
        !fileExists(path))
        return false;
    int code = SQLITE_OK;
    Database database = openHistory(path, SQLITE_OPEN_READONLY, code);
    const int version = database ? schemaVersion(database.get(), code) : -1;
    if (version < 1 || version > HistorySchemaVersion) return false;
    // Written whole, through a new file of an unpredictable name, so a link planted in the data
    // folder cannot send the rows into another file.
    std::string rows;
    std::string reason;
    return writeCsv(database.get(), version, rows, code) &&
           platform::writeFileAtomically(csv, reinterpret_cast<const uint8_t*>(rows.data()),
                                         rows.size(), reason);
}

std::vector<int32_t> courseBestTimes(const std::string& course,
                                     const std::vector<std::string>& titles) {
    std::vector<int32_t> seconds(titles.size(), -1);
    std::string path;
    if (!historyFile(HistoryFileName, path) || !fileExists(path)) return seconds;
    int code = SQLITE_OK;
    Database database = openHistory(path, SQLITE_OPEN_READONLY, code);
    if (!database || schemaVersion(database.get(), code) != HistorySchemaVersion) return seconds;
    std::vector<std::string> keys;
    for (const std::string& title : titles) keys.push_back(utf8FromLatin1(title));
    eachRow(database.get(),
            "SELECT lesson_title, MIN(seconds) FROM runs WHERE course = ?1 AND seconds > 0 AND "
            "seconds <= " +
                std::to_string(LongestBestTime) + " GROUP BY lesson_title",
            LessonKey{AllLessons, course, {}}, code, [&](sqlite3_stmt* s) {
                const unsigned char* title = sqlite3_column_text(s, 0);
                if (title == nullptr) return;
                const auto found =
                    std::find(keys.begin(), keys.end(), reinterpret_cast<const char*>(title));
                if (found != keys.end())
                    seconds[size_t(found - keys.begin())] = sqlite3_column_int(s, 1);
            });
    return seconds;
}
