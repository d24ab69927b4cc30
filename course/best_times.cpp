#include "course/best_times.h"

#include "engine/host.h"
#include "platform/platform.h"

#include <cstdio>

namespace {

constexpr size_t RecordSize = 4;
constexpr uint32_t TimeRecorded = 0x80000000u;
// A save writes here first and renames it over the real file once it is complete. The name
// is as long as the real one, so a path check of one covers the other.
constexpr const char* TemporaryFileName = "quenmoreTimes.tmp";
// The per-user data folder and the path of `name` in it; false when the folder is unknown or
// the path is too long for the system.
bool dataFolderFile(const char* name, std::string& folder, std::string& path) {
    if (!host.userDataFolder(folder) || folder.empty()) return false;
    path = folder;
    if (path.back() != platform::pathSeparator()) path += platform::pathSeparator();
    path += name;
    return platform::pathFits(path);
}

uint32_t readLittleEndian(const unsigned char (&bytes)[RecordSize]) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

void writeLittleEndian(uint32_t value, unsigned char (&bytes)[RecordSize]) {
    for (size_t i = 0; i < RecordSize; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Writes every row's record and closes the file; false when any write, the flush or the
// close fails.
bool writeRecords(FILE* file, const LessonMenu& menu) {
    bool written = true;
    for (int32_t i = 0; i < menu.entryCount && written; ++i) {
        unsigned char bytes[RecordSize];
        writeLittleEndian(encodeBestTime(menu.entries[i].bestTime), bytes);
        written = std::fwrite(bytes, RecordSize, 1, file) == 1;
    }
    written = written && std::fflush(file) == 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool bestTimesPath(std::string& path) {
    std::string folder;
    return dataFolderFile(BestTimesFileName, folder, path);
}

void loadBestTimes(LessonMenu& menu) {
    std::string path;
    if (menu.entries == nullptr || !bestTimesPath(path)) return;
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return;
    // A short or unreadable record ends the reading; bytes after the last row are never read.
    for (int32_t i = 0; i < menu.entryCount; ++i) {
        unsigned char bytes[RecordSize];
        if (std::fread(bytes, RecordSize, 1, file) != 1) break;
        menu.entries[i].bestTime = decodeBestTime(readLittleEndian(bytes));
    }
    std::fclose(file);
}

bool saveBestTimes(const LessonMenu& menu) {
    std::string folder;
    std::string path;
    std::string temporary;
    if (menu.entries == nullptr || !dataFolderFile(BestTimesFileName, folder, path) ||
        !dataFolderFile(TemporaryFileName, folder, temporary)) {
        return false;
    }
    if (!platform::createFolders(folder)) return false;
    FILE* file = platform::openFile(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    // Until the rename the old file is untouched, so a failure here loses nothing saved.
    if (!writeRecords(file, menu) || !platform::replaceFile(temporary, path)) {
        platform::removeFile(temporary);
        return false;
    }
    return true;
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
