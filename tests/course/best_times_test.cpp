#include "course/best_times.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace {

TEST(BestTimeRecords, ConvertBothWays) {
    const struct {
        int32_t time;
        uint32_t record;
    } written[] = {{45, 0x8000002D}, {1, 0x80000001}, {0x7FFFFFFF, 0xFFFFFFFF}, {0, 0}, {-1, 0}};
    for (const auto& row : written) EXPECT_EQ(encodeBestTime(row.time), row.record) << row.time;

    const struct {
        uint32_t record;
        int32_t time;
    } read[] = {
        {0x8000002D, 45}, {0x0000002D, -1}, {0x80000000, 0}, {0, -1}, {0xFFFFFFFF, 0x7FFFFFFF}};
    for (const auto& row : read) EXPECT_EQ(decodeBestTime(row.record), row.time) << row.record;
}

// The file tests point the data folder elsewhere through XDG_DATA_HOME, which only the POSIX
// side reads.
#ifndef _WIN32

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Sets an environment variable for the scope and puts the old value back afterwards.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Reads at most a few kilobytes, so that a save that wrongly left a device in place of the
// file fails the test instead of reading forever.
Bytes readBytes(const std::string& path) {
    Bytes bytes(4096);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return Bytes{};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

std::vector<int32_t> times(const LessonMenu& menu) {
    std::vector<int32_t> all;
    for (int i = 0; i < menu.entryCount; ++i) all.push_back(menu.entries[i].bestTime);
    return all;
}

class BestTimesFile : public ::testing::Test {
  protected:
    TempFolder folder;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", folder.path.c_str()};
    std::string file = folder.file("quenmoreTimes.bin");
    std::string temporary = folder.file("quenmoreTimes.tmp");
    LessonMenu menu{};
    void SetUp() override { buildMenuRows(menu); }
};

const std::vector<int32_t> NoTimes(10, -1);

TEST_F(BestTimesFile, LoadTakesEveryWholeRecordAndNothingElse) {
    std::vector<int32_t> full = NoTimes;
    full[0] = 45;
    full[9] = 3600;
    Bytes tenRecords(40, 0);
    tenRecords[0] = 0x2D, tenRecords[3] = 0x80;                           // 45 s
    tenRecords[4] = 0x2D;                                                 // bit 31 clear: no time
    tenRecords[36] = 0x10, tenRecords[37] = 0x0E, tenRecords[39] = 0x80;  // 3600 s
    Bytes longer = tenRecords;
    longer.insert(longer.end(), {0x01, 0x00, 0x00, 0x80, 0xFF});
    std::vector<int32_t> firstOnly = NoTimes;
    firstOnly[0] = 45;

    const struct {
        const char* name;
        std::optional<Bytes> contents;
        std::vector<int32_t> expected;
    } cases[] = {
        {"no file", std::nullopt, NoTimes},
        {"empty file", Bytes{}, NoTimes},
        {"six bytes", Bytes{0x2D, 0x00, 0x00, 0x80, 0x01, 0x02}, firstOnly},
        {"ten records", tenRecords, full},
        {"longer than ten records", longer, full},
        {"a zero time", Bytes{0x00, 0x00, 0x00, 0x80},
         [] {
             std::vector<int32_t> zero = NoTimes;
             zero[0] = 0;
             return zero;
         }()},
    };
    for (const auto& test : cases) {
        fs::remove(file);
        if (test.contents) writeBytes(file, *test.contents);
        buildMenuRows(menu);
        loadBestTimes(menu);
        EXPECT_EQ(times(menu), test.expected) << test.name;
    }
}

TEST_F(BestTimesFile, SavingOneTimeWritesTenRecords) {
    menu.entries[2].bestTime = 75;
    ASSERT_TRUE(saveBestTimes(menu));
    Bytes expected(40, 0);
    expected[8] = 0x4B, expected[11] = 0x80;
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_FALSE(fs::exists(temporary));

    LessonMenu again{};
    buildMenuRows(again);
    loadBestTimes(again);
    EXPECT_EQ(times(again), times(menu));
}

TEST_F(BestTimesFile, NextSaveDropsExtraBytesAndZeroTimes) {
    Bytes old(48, 0);
    old[0] = 0x00, old[3] = 0x80;  // 0 s: shown, but cannot stay
    old[4] = 0x2D, old[7] = 0x80;
    old[40] = 0x12;
    writeBytes(file, old);
    loadBestTimes(menu);
    EXPECT_EQ(menu.entries[0].bestTime, 0);
    ASSERT_TRUE(saveBestTimes(menu));
    Bytes expected(40, 0);
    expected[4] = 0x2D, expected[7] = 0x80;
    EXPECT_EQ(readBytes(file), expected);
}

TEST_F(BestTimesFile, MissingFoldersAreCreated) {
    const std::string nested = (folder.path / "a" / "b").string();
    ScopedEnvironment deeper("XDG_DATA_HOME", nested.c_str());
    menu.entries[0].bestTime = 9;
    ASSERT_TRUE(saveBestTimes(menu));
    EXPECT_EQ(fs::file_size(nested + "/quenmoreTimes.bin"), 40u);
}

// Tests run as root, where permission bits stop nothing; a data folder that is really a
// file is a folder no one can write into.
TEST_F(BestTimesFile, AFolderThatIsAFileFailsCleanly) {
    const std::string blocker = folder.file("not-a-folder");
    writeBytes(blocker, {1, 2, 3});
    ScopedEnvironment blocked("XDG_DATA_HOME", blocker.c_str());
    menu.entries[0].bestTime = 9;
    EXPECT_FALSE(saveBestTimes(menu));
    loadBestTimes(menu);
    EXPECT_EQ(menu.entries[0].bestTime, 9);
    EXPECT_EQ(readBytes(blocker), (Bytes{1, 2, 3}));
}

// Each way a save can fail after the folder is found must leave the old file as it was and
// clear away what the save made.
TEST_F(BestTimesFile, AFailedSaveKeepsTheOldTimes) {
    const Bytes old = {0x2D, 0x00, 0x00, 0x80, 0x2E, 0x00, 0x00, 0x80};
    menu.entries[0].bestTime = 12;

    // The temporary name is taken by a folder: the new file cannot even be opened.
    writeBytes(file, old);
    fs::create_directory(temporary);
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_TRUE(fs::is_directory(temporary));
    fs::remove(temporary);

    // The temporary name leads to a device that is always full: the file opens, but the
    // records never reach it.
    ASSERT_TRUE(fs::exists("/dev/full"));
    fs::create_symlink("/dev/full", temporary);
    EXPECT_FALSE(saveBestTimes(menu));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_FALSE(fs::is_symlink(temporary));

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
    const std::string name = "/quenmoreTimes.bin";
    const struct {
        std::string folder;
        bool fits;
    } lengths[] = {
        {"/" + std::string(259 - name.size() - 1, 'a'), true},
        {"/" + std::string(260 - name.size() - 1, 'a'), false},
        {"/" + std::string(259 - name.size() - 2, 'a') + "\xC3\xA9", true},           // one unit
        {"/" + std::string(259 - name.size() - 2, 'a') + "\xF0\x9F\x98\x80", false},  // two
    };
    for (const auto& row : lengths) {
        ScopedEnvironment home("XDG_DATA_HOME", row.folder.c_str());
        EXPECT_EQ(bestTimesPath(path), row.fits) << row.folder.size();
    }

    const std::string overlong = folder.path.string() + "/" + std::string(260, 'x');
    for (const char* value : {overlong.c_str(), static_cast<const char*>(nullptr)}) {
        ScopedEnvironment home("XDG_DATA_HOME", value);
        ScopedEnvironment noHome("HOME", nullptr);
        menu.entries[1].bestTime = 30;
        EXPECT_FALSE(bestTimesPath(path));
        EXPECT_FALSE(saveBestTimes(menu));
        loadBestTimes(menu);
        EXPECT_EQ(menu.entries[1].bestTime, 30);
    }
}

#endif  // _WIN32

}  // namespace
