#include "course/records/best_times.h"

#include "course/records/data_folder.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t RecordSize = 4;
constexpr uint32_t TimeRecorded = 0x80000000u;
// Held by a save from the re-reading of the file to the rename of the new one.
constexpr const char* LockFileName = "quenmoreTimes.lock";

uint32_t readLittleEndian(const unsigned char (&bytes)[RecordSize]) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

void writeLittleEndian(uint32_t value, unsigned char (&bytes)[RecordSize]) {
    for (size_t i = 0; i < RecordSize; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Reads the file's records into `times`, each lesson's time becoming choose(its time, the
// stored one). A short or unreadable record ends the reading; bytes after the last lesson's
// are never read. A missing file, or anything but a regular file, has no records.
void readRecords(const std::string& path, BestTimes& times, int32_t (*choose)(int32_t, int32_t)) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return;
    for (int32_t& time : times) {
        unsigned char bytes[RecordSize];
        if (std::fread(bytes, RecordSize, 1, file) != 1) break;
        time = choose(time, decodeBestTime(readLittleEndian(bytes)));
    }
    std::fclose(file);
}

}  // namespace

bool bestTimesPath(std::string& path) {
    std::string folder;
    return dataFolderFile(BestTimesFileName, folder, path);
}

void loadBestTimes(BestTimes& times) {
    std::string path;
    if (!bestTimesPath(path)) return;
    readRecords(path, times, [](int32_t, int32_t stored) { return stored; });
}

bool saveBestTimes(BestTimes& times, std::string* reason) {
    std::string unused;
    std::string& why = reason != nullptr ? *reason : unused;
    std::string folder;
    std::string path;
    std::string lockPath;
    if (!dataFolderFile(BestTimesFileName, folder, path)) {
        why = folder.empty() ? "no data folder" : "the path is too long";
        return false;
    }
    errno = 0;
    if (!platform::createFolders(folder)) {
        why = errno != 0 ? std::strerror(errno) : "the folder cannot be made";
        return false;
    }
    // Another copy of the program may have saved since this one loaded: under the lock, its
    // times are read back and the better of the two kept for every row, so neither copy's
    // times are lost. Without a lock file (a folder that takes none) the save goes on alone.
    platform::FileLock lock{};
    const bool locked =
        dataFolderFile(LockFileName, folder, lockPath) && platform::lockFile(lockPath, lock);
    readRecords(path, times, [](int32_t kept, int32_t stored) {
        return kept < 0 || (stored >= 0 && stored < kept) ? stored : kept;
    });
    std::array<uint8_t, LessonCount * RecordSize> bytes{};
    for (size_t i = 0; i < times.size(); ++i) {
        unsigned char record[RecordSize];
        writeLittleEndian(encodeBestTime(times[i]), record);
        std::copy_n(record, RecordSize, bytes.begin() + std::ptrdiff_t(i * RecordSize));
    }
    // The old file is replaced only by a whole new one, so a failure loses nothing saved.
    const bool saved = platform::writeFileAtomically(path, bytes.data(), bytes.size(), why);
    if (locked) platform::unlockFile(lock);
    return saved;
}

bool saneBestTime(int32_t seconds) {
    return seconds > 0 && seconds <= LongestBestTime;
}

uint32_t encodeBestTime(int32_t bestTime) {
    return saneBestTime(bestTime) ? uint32_t(bestTime) | TimeRecorded : 0;
}

int32_t decodeBestTime(uint32_t record) {
    if ((record & TimeRecorded) == 0) return -1;
    const int32_t seconds = int32_t(record & ~TimeRecorded);
    return saneBestTime(seconds) ? seconds : -1;
}
