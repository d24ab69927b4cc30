// The history database: any bytes as "quenmoreHistory.db". The progress screen draws a page
// from it, the practice is built from it and a course's best times are read; then a finished
// run of a lesson, of the built-in course or another, is added and read back.
//
// Invariants: the figures read are within what the screen can show, whatever the file holds;
// a run is kept unless the file is of a newer version, which is then left byte for byte; a
// damaged file set aside keeps its bytes; a kept run is read back.
#include "course/content/practice.h"
#include "course/lesson/practice_setup.h"
#include "course/records/history.h"
#include "course/screens/progress_screen.h"
#include "engine/host.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/test_video.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// Whether the file at `path` holds exactly these bytes.
bool holds(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    static std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.resize(size + 1);
    const size_t read = std::fread(bytes.data(), 1, size + 1, file);
    std::fclose(file);
    return read == size && (size == 0 || std::memcmp(bytes.data(), data, size) == 0);
}

void checkFigures(const ProgressFigures& figures) {
    if (figures.status != HistoryStatus::Ready) return;
    FUZZ_CHECK(figures.runCount > 0);
    FUZZ_CHECK(figures.graphCount >= 0 && figures.graphCount <= GraphRuns);
    FUZZ_CHECK(figures.bestAccuracy >= 0 && figures.bestAccuracy <= 1000);
    FUZZ_CHECK(figures.recentAccuracy >= 0 && figures.recentAccuracy <= 1000);
    FUZZ_CHECK(figures.bestSeconds == -1 || figures.bestSeconds > 0);
    for (int i = 0; i < figures.graphCount; ++i)
        FUZZ_CHECK(figures.graphAccuracy[i] >= 0 && figures.graphAccuracy[i] <= 1000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestVideo test;
    static auto screen = std::make_unique<ProgressScreen>();
    static auto practice = std::make_unique<PracticeLesson>();
    static auto run = std::make_unique<RunSummary>();
    static int64_t now = 1700000000;
    static const bool ready = [] {
        // No memory statistics: a global lock taken on every allocation, of no use here.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        host.userDataFolder = [](std::string& folder) {
            folder = scratchFolder();
            return true;
        };
        host.calendarSeconds = [] { return now; };
        return true;
    }();
    (void)ready;
    composeLineZeroOnly(test.memory());

    // A clean folder holding just the file.
    const std::filesystem::path folder = scratchFolder();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        std::filesystem::remove_all(entry.path(), error);
    const std::filesystem::path file = folder / HistoryFileName;
    FUZZ_CHECK(writeWhole(file.string(), data, size));
    now += 1;  // a name of its own for each file set aside

    const int32_t page = int32_t(size % ProgressPages);
    drawProgressScreen(test.video(), *screen, page);
    checkFigures(screen->figures);
    ProgressFigures& all = screen->figures;
    loadProgress(AllLessons, all);
    checkFigures(all);
    const BestTimes times = {60, 60, 60, -1, 60, -1, -1, -1, -1, -1};
    PracticeAim aim;
    aimPractice(all, times, screen->keyboard, aim);
    makePractice(aim, screen->keyboard, *practice);

    const LessonKey other{AllLessons, "Caf\xE9", "First"};
    for (int32_t seconds : courseBestTimes(other.course, {other.title, "Second"}))
        FUZZ_CHECK(seconds == -1 || (seconds > 0 && seconds <= LongestBestTime));

    // One run of the page's lesson, or of another course's, typed with a few misses.
    const LessonKey lesson =
        size % 3 == 0 ? other : LessonKey{page == AllLessonsPage ? 0 : page, {}, {}};
    *run = {};
    run->finished = true;
    run->seconds = 42;
    run->characters = 250;
    run->errors = 3;
    run->wordsPerMinute = wordsPerMinute(run->characters, run->seconds);
    for (int i = 0; i < 3; ++i) tallyPress(run->keys, 'f', 'g');
    const bool kept = recordRun(lesson, *run);

    bool setAside = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(std::string(HistoryFileName) + ".damaged-", 0) != 0) continue;
        if (name.find("-journal") != std::string::npos) continue;
        FUZZ_CHECK(holds(entry.path(), data, size));
        setAside = true;
    }
    if (!kept) {
        // Only a newer version is refused, and it is left as it was.
        FUZZ_CHECK(!setAside);
        FUZZ_CHECK(holds(file, data, size));
        return 0;
    }
    loadProgress(lesson, all);
    FUZZ_CHECK(all.status == HistoryStatus::Ready);
    checkFigures(all);
    return 0;
}
