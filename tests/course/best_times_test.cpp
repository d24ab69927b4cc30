// The best-times file: loads, saves merged under a lock, and every way a save fails without
// losing what was saved.
#include "course/records/best_times.h"
#include "tests/support/hosted_test.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>

namespace {

namespace fs = std::filesystem;

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

// Loads take every whole record; a save writes a new file renamed over the old one, so each
// way it fails leaves the old file and clears away what it made.
class BestTimesFile : public HostedTest {
  protected:
    const std::string file = data.file("quenmoreTimes.bin");
};

TEST_F(BestTimesFile, LoadSaveAndFailuresThatLoseNothing) {
    const TempFolder& folder = data;
    BestTimes times;
    times.fill(-1);
    loadBestTimes(times);  // no file: no times
    EXPECT_EQ(times[0], -1);
    // No time from a record with bit 31 clear, of 0, of over a day (the longest kept) or of all
    // ones. (Part records and those past the tenth are the fuzzer's.)
    writeBytes(file,
               join({record(45), Bytes{0x2D, 0, 0, 0}, record(0), record(86401), record(86400),
                     Bytes{0xFF, 0xFF, 0xFF, 0xFF}, record(3600), Bytes(12, 0), record(1)}));
    loadBestTimes(times);
    EXPECT_EQ(times, (BestTimes{45, -1, -1, -1, 86400, -1, 3600, -1, -1, -1}));
    times[1] = 45;
    times[2] = 75;  // the extra bytes go
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_EQ(readBytes(file), join({record(45), record(45), record(75), Bytes(4, 0), record(86400),
                                     Bytes(4, 0), record(3600), Bytes(12, 0)}));
    times[0] = 12;
    fs::remove(file);
    fs::create_directory(file);  // a folder in place of the file is left alone
    EXPECT_FALSE(saveBestTimes(times));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2);  // and the lock file
    clock.dataFolder = (folder.path / "a" / "b").string();  // missing folders are created
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_EQ(readBytes(clock.dataFolder + "/quenmoreTimes.bin").size(), 40u);
    // A folder path far beyond Windows' 259 UTF-16 units is used everywhere else.
    const std::string deep = (folder.path / std::string(200, 'd') / std::string(200, 'e')).string();
    clock.dataFolder = deep;
#ifdef _WIN32
    EXPECT_FALSE(saveBestTimes(times));
#else
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_EQ(readBytes(deep + "/quenmoreTimes.bin").size(), 40u);
#endif
    // A file for a folder (permissions stop no root) or no folder: no load, no save.
    const std::string notAFolder = folder.file("not-a-folder");
    writeBytes(notAFolder, {1, 2, 3});
    for (const std::string& unusable : {notAFolder, std::string()}) {
        clock.dataFolder = unusable;
        EXPECT_FALSE(saveBestTimes(times)) << unusable;
        loadBestTimes(times);
        EXPECT_EQ(times[0], 12);
    }
    EXPECT_EQ(readBytes(notAFolder), (Bytes{1, 2, 3}));
}

#ifndef _WIN32
// Two copies of the program on one data folder, saving at once: each save keeps what the
// other saved, so the file ends with the best of both, and the rows show the merged times.
TEST_F(BestTimesFile, TwoProgramsSavingAtOnceKeepEachOthersTimes) {
    pid_t copies[2];
    for (int copy = 0; copy < 2; ++copy) {
        copies[copy] = fork();
        if (copies[copy] != 0) continue;
        BestTimes times;
        times.fill(-1);
        for (int round = 0; round < 200; ++round) {
            times[size_t(5 * copy + round % 5)] = 1000 - round;
            if (!saveBestTimes(times)) _exit(1);
        }
        _exit(0);
    }
    for (pid_t copy : copies) {
        int status = -1;
        waitpid(copy, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    BestTimes times;
    times.fill(-1);
    times[0] = 2000;  // slower than the stored time, which stays
    EXPECT_TRUE(saveBestTimes(times));
    for (int row = 0; row < 10; ++row) EXPECT_EQ(times[size_t(row)], 805 - row % 5) << row;
}

// A FIFO for the file is neither waited on nor replaced; names planted in the folder are never
// written through; a file that is a link is updated where it points.
TEST_F(BestTimesFile, HostileFilesNeitherHangNorRedirectTheSave) {
    const TempFolder& folder = data;
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    BestTimes times;
    times.fill(-1);
    EXPECT_EXIT(
        {
            alarm(20);  // a hang ends the check as a failure
            loadBestTimes(times);
            times[0] = 5;
            std::exit(times[1] == -1 && !saveBestTimes(times) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    fs::remove(file);

    const std::string victim = folder.file("victim"), elsewhere = folder.file("elsewhere.bin");
    writeBytes(victim, {1, 2, 3});
    fs::create_symlink(victim, folder.file("quenmoreTimes.tmp"));  // the old fixed name
    fs::create_directory(folder.file("quenmoreTimes.tmp2"));
    times[0] = 30;
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_EQ(readBytes(victim), (Bytes{1, 2, 3}));
    fs::remove(folder.file("quenmoreTimes.tmp"));
    fs::create_directory(folder.file("quenmoreTimes.tmp"));  // a leftover folder of that name
    times[0] = 20;
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_EQ(readBytes(file), join({record(20), Bytes(36, 0)}));

    fs::rename(file, elsewhere);
    fs::create_symlink("elsewhere.bin", file);
    times[1] = 40;
    EXPECT_TRUE(saveBestTimes(times));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(readBytes(elsewhere), join({record(20), record(40), Bytes(32, 0)}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 6);  // the lock file too
}
#endif

}  // namespace
