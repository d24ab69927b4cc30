// The best-times file: what loads, what a save writes, and that no failure loses a time
// saved before. The data folder comes through the host.
#include "course/best_times.h"
#include "tests/support/temp_folder.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

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
    std::vector<int32_t> loaded() {
        buildMenuRows(menu);
        loadBestTimes(menu);
        std::vector<int32_t> all;
        for (int i = 0; i < menu.entryCount; ++i) all.push_back(menu.entries[i].bestTime);
        return all;
    }
};

// A record: bit 31 set, the time in the bits below, little-endian.
Bytes record(uint32_t seconds) {
    const uint32_t value = seconds | 0x80000000u;
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(BestTimesFile, LoadTakesEveryWholeRecordAndNothingElse) {
    const std::vector<int32_t> none(10, -1);
    std::vector<int32_t> firstOnly = none, full = none, zero = none;
    firstOnly[0] = full[0] = 45;
    full[9] = 3600;
    zero[0] = 0;
    const Bytes tenRecords = join({record(45), {0x2D, 0, 0, 0}, Bytes(28, 0), record(3600)});
    const struct {
        const char* name;
        std::optional<Bytes> contents;
        std::vector<int32_t> expected;
    } cases[] = {
        {"no file", std::nullopt, none},
        {"empty file", Bytes{}, none},
        {"six bytes", join({record(45), {1, 2}}), firstOnly},
        {"ten records, one with bit 31 clear", tenRecords, full},
        {"longer than ten records", join({tenRecords, record(1), {0xFF}}), full},
        {"a zero time", record(0), zero},
    };
    for (const auto& test : cases) {
        fs::remove(file);
        if (test.contents) writeBytes(file, *test.contents);
        EXPECT_EQ(loaded(), test.expected) << test.name;
    }
}

TEST_F(BestTimesFile, SaveWritesTenRecordsAndDropsExtraBytesAndZeroTimes) {
    writeBytes(file, join({record(0), record(45), Bytes(32, 0), {0x12}}));
    EXPECT_EQ(loaded()[0], 0);  // shown, but cannot stay
    menu.entries[2].bestTime = 75;
    ASSERT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), join({Bytes(4, 0), record(45), record(75), Bytes(28, 0)}));
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(BestTimesFile, MissingFoldersAreCreatedAndAFileInTheWayFailsCleanly) {
    menu.entries[0].bestTime = 9;
    clock.dataFolder = (folder.path / "a" / "b").string();
    ASSERT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(fs::file_size(folder.path / "a" / "b" / "quenmoreTimes.bin"), 40u);

    // Tests may run as root, where permission bits stop nothing; a data folder that is
    // really a file is a folder no one can write into.
    clock.dataFolder = folder.file("not-a-folder");
    writeBytes(clock.dataFolder, {1, 2, 3});
    EXPECT_FALSE(saveBestTimes(menu));
    loadBestTimes(menu);
    EXPECT_EQ(menu.entries[0].bestTime, 9);
    EXPECT_EQ(readBytes(clock.dataFolder), (Bytes{1, 2, 3}));
}

// Each way a save can fail after the folder is found must leave the old file as it was and
// clear away what the save made.
TEST_F(BestTimesFile, AFailedSaveKeepsTheOldTimes) {
    const Bytes old = join({record(45), record(46)});
    menu.entries[0].bestTime = 12;

    // The temporary name is taken by a folder: the new file cannot even be opened.
    writeBytes(file, old);
    fs::create_directory(temporary);
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_TRUE(fs::is_directory(temporary));
    fs::remove(temporary);

#ifndef _WIN32
    // The temporary name leads to a device that is always full: the file opens, but the
    // records never reach it.
    ASSERT_TRUE(fs::exists("/dev/full"));
    fs::create_symlink("/dev/full", temporary);
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_FALSE(fs::is_symlink(temporary));
#endif

    // The real name is taken by a folder: the finished file cannot replace it.
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_FALSE(fs::exists(temporary));

    // Once the way is clear again, the save goes through.
    fs::remove(file);
    EXPECT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file).size(), 40u);
}

TEST_F(BestTimesFile, UnknownOrOverlongFolderSkipsLoadAndSave) {
    std::string path;
    ASSERT_TRUE(bestTimesPath(path));
    EXPECT_EQ(path, file);

    // Path lengths are counted as UTF-16 units: 259 fit, 260 do not.
    const size_t name = std::string("/quenmoreTimes.bin").size();
    const struct {
        std::string folder;
        bool fits;
    } lengths[] = {
        {"/" + std::string(259 - name - 1, 'a'), true},
        {"/" + std::string(260 - name - 1, 'a'), false},
        {"/" + std::string(259 - name - 2, 'a') + "\xC3\xA9", true},           // one unit
        {"/" + std::string(259 - name - 2, 'a') + "\xF0\x9F\x98\x80", false},  // two
    };
    for (const auto& row : lengths) {
        clock.dataFolder = row.folder;
        EXPECT_EQ(bestTimesPath(path), row.fits) << row.folder.size();
    }

    for (const std::string& unusable :
         {folder.path.string() + "/" + std::string(260, 'x'), std::string()}) {
        clock.dataFolder = unusable;
        menu.entries[1].bestTime = 30;
        EXPECT_FALSE(bestTimesPath(path));
        EXPECT_FALSE(saveBestTimes(menu));
        loadBestTimes(menu);
        EXPECT_EQ(menu.entries[1].bestTime, 30);
    }
}

}  // namespace
