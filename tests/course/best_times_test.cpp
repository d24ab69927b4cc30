// The best-times file: what loads, what a save writes, and that no failure loses a time saved
// before. The data folder comes through the host.
#include "course/best_times.h"
#include "tests/support/temp_folder.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class BestTimesFile : public ::testing::Test {
  protected:
    VirtualHost clock;
    TempFolder folder;
    std::string file = folder.file("quenmoreTimes.bin");
    std::string temporary = folder.file("quenmoreTimes.tmp");
    LessonMenu menu{};
    void SetUp() override {
        installVirtualHost(clock);
        clock.dataFolder = folder.path.string();
        buildMenuRows(menu);
    }
    void TearDown() override { restoreHost(); }
};

// A record: bit 31 set, the time in the bits below, little-endian; and records joined.
Bytes record(uint32_t seconds) {
    const uint32_t value = seconds | 0x80000000u;
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(BestTimesFile, LoadTakesEveryWholeRecordAndASaveWritesTen) {
    const Bytes tenRecords = join({record(45), {0x2D, 0, 0, 0}, Bytes(28, 0), record(3600)});
    const struct {
        const char* name;
        Bytes contents;
        int32_t first, second, last;
    } cases[] = {
        {"no file", {}, -1, -1, -1},
        {"six bytes", join({record(45), {1, 2}}), 45, -1, -1},
        {"ten records, one with bit 31 clear", tenRecords, 45, -1, 3600},
        {"longer than ten records", join({tenRecords, record(1), {0xFF}}), 45, -1, 3600},
        {"a zero time", record(0), 0, -1, -1},
    };
    for (const auto& test : cases) {
        fs::remove(file);
        if (!test.contents.empty()) writeBytes(file, test.contents);
        buildMenuRows(menu);
        loadBestTimes(menu);
        EXPECT_EQ(menu.entries[0].bestTime, test.first) << test.name;
        EXPECT_EQ(menu.entries[1].bestTime, test.second) << test.name;
        EXPECT_EQ(menu.entries[9].bestTime, test.last) << test.name;
    }
    // A zero time is shown but cannot stay; extra bytes go.
    writeBytes(file, join({record(0), record(45), Bytes(32, 0), {0x12}}));
    loadBestTimes(menu);
    menu.entries[2].bestTime = 75;
    ASSERT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), join({Bytes(4, 0), record(45), record(75), Bytes(28, 0)}));
    EXPECT_FALSE(fs::exists(temporary));
}

// A save writes a temporary file and renames it over the old one: each way it can fail leaves
// the old file as it was and clears away what the save made. Missing folders are created.
TEST_F(BestTimesFile, AFailedSaveKeepsTheOldTimes) {
    const Bytes old = join({record(45), record(46)});
    menu.entries[0].bestTime = 12;
    writeBytes(file, old);
    fs::create_directory(temporary);  // the new file cannot even be opened
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    fs::remove(temporary);
#ifndef _WIN32
    fs::create_symlink("/dev/full", temporary);  // it opens, but the records never reach it
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_FALSE(fs::is_symlink(temporary));
#endif
    fs::remove(file);
    fs::create_directory(file);  // the finished file cannot replace the real name
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_FALSE(fs::exists(temporary));

    clock.dataFolder = (folder.path / "a" / "b").string();
    ASSERT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(fs::file_size(folder.path / "a" / "b" / "quenmoreTimes.bin"), 40u);
    // Tests may run as root, where permission bits stop nothing: a data folder that is a file
    // is one no one can write into. An unknown folder, or one too long for the name, skips
    // loading and saving.
    const std::string name = "/quenmoreTimes.bin";
    writeBytes(folder.file("not-a-folder"), {1, 2, 3});
    for (const std::string& unusable : {folder.file("not-a-folder"), std::string(),
                                        "/" + std::string(260 - name.size() - 1, 'a')}) {
        clock.dataFolder = unusable;
        EXPECT_FALSE(saveBestTimes(menu)) << unusable;
        loadBestTimes(menu);
        EXPECT_EQ(menu.entries[0].bestTime, 12);
    }
    EXPECT_EQ(readBytes(folder.file("not-a-folder")), (Bytes{1, 2, 3}));
    std::string path;
    clock.dataFolder = "/" + std::string(259 - name.size() - 1, 'a');  // 259 units fit
    EXPECT_TRUE(bestTimesPath(path));
}

}  // namespace
