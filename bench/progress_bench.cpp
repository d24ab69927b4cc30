// Opening the progress screen on a long history: 10,000 finished runs spread over the eleven
// menu rows, each with the counts of 30 characters and a few misses. The screen reads its
// page's figures and draws them (graph tiles, keyboard, texts); that must stay within 20 ms.
#include "course/records/data_folder.h"
#include "course/records/history.h"
#include "course/screens/progress_screen.h"
#include "engine/display.h"
#include "engine/host.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int HistoryRuns = 10000;
std::string dataFolder;

bool benchDataFolder(std::string& folder) {
    folder = dataFolder;
    return true;
}

// The schema comes from one recorded run; the rest go in in one transaction, as fast as
// SQLite takes them.
bool fillHistory() {
    auto run = std::make_unique<RunSummary>();
    run->finished = true;
    run->seconds = 60;
    run->characters = 330;
    run->errors = 4;
    run->wordsPerMinute = wordsPerMinute(330, 60);
    if (!recordRun(0, *run)) return false;
    std::string folder, path;
    dataFolderFile(HistoryFileName, folder, path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* runs = nullptr;
    sqlite3_stmt* keys = nullptr;
    sqlite3_stmt* misses = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO runs VALUES(NULL, ?, ?, ?, 330, ?, ?)", -1, &runs, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO run_keys VALUES(?, ?, 11, ?)", -1, &keys, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO run_misses VALUES(?, ?, ?, ?)", -1, &misses, nullptr);
    for (int i = 1; i < HistoryRuns; ++i) {
        sqlite3_reset(runs);
        sqlite3_bind_int64(runs, 1, 1700000000 + int64_t(i) * 600);
        sqlite3_bind_int(runs, 2, i % HistoryRows);
        sqlite3_bind_int(runs, 3, 40 + i % 60);
        sqlite3_bind_int(runs, 4, i % 9);
        sqlite3_bind_int(runs, 5, wordsPerMinute(330, 40 + i % 60));
        sqlite3_step(runs);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        for (int c = 0; c < 30; ++c) {
            const int character = 'a' + c % 26 + (c >= 26 ? -32 : 0);
            sqlite3_reset(keys);
            sqlite3_bind_int64(keys, 1, id);
            sqlite3_bind_int(keys, 2, character);
            sqlite3_bind_int(keys, 3, (i + c) % 7 == 0 ? 2 : 0);
            sqlite3_step(keys);
            if ((i + c) % 7 != 0) continue;
            sqlite3_reset(misses);
            sqlite3_bind_int64(misses, 1, id);
            sqlite3_bind_int(misses, 2, character);
            sqlite3_bind_int(misses, 3, character + 1);
            sqlite3_bind_int(misses, 4, 2);
            sqlite3_step(misses);
        }
    }
    sqlite3_finalize(runs);
    sqlite3_finalize(keys);
    sqlite3_finalize(misses);
    const bool committed = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return committed;
}

struct BenchScreen {
    std::unique_ptr<VideoState> video = std::make_unique<VideoState>();
    std::unique_ptr<ProgressScreen> screen = std::make_unique<ProgressScreen>();
    BenchScreen() {
        initVideoMemory(video->memory);
        allocateFramebuffer(video->memory);
    }
    ~BenchScreen() { releaseFramebuffer(video->memory); }
};

void openPage(benchmark::State& state, int32_t page) {
    BenchScreen bench;
    for (auto _ : state) {
        drawProgressScreen(*bench.video, *bench.screen, page);
        benchmark::DoNotOptimize(bench.screen->figures.runCount);
    }
    state.counters["runs"] = bench.screen->figures.runCount;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("quenmore-progress-bench-" + std::to_string(std::time(nullptr)));
    std::filesystem::create_directories(folder);
    dataFolder = folder.string();
    host.userDataFolder = benchDataFolder;
    if (!fillHistory()) {
        std::fprintf(stderr, "progress_bench: the history could not be filled in %s\n",
                     dataFolder.c_str());
        return 1;
    }
    benchmark::RegisterBenchmark("BM_OpenProgress/lesson", openPage, 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenProgress/all", openPage, AllLessonsPage)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return 0;
}
