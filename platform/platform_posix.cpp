#include "platform/platform.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool userDataFolder(std::string& folder) {
    const char* data = std::getenv("XDG_DATA_HOME");
    // An unset, empty or relative XDG_DATA_HOME is to be ignored, as the XDG rules say.
    if (data != nullptr && data[0] == '/') {
        folder = data;
        return true;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return false;
    folder = home;
    folder += "/.local/share";
    return true;
}

const char* installedDataFolder() {
    return "../share/quenmore/";
}

void sleepMilliseconds(uint32_t milliseconds) {
    timespec wanted{};
    wanted.tv_sec = static_cast<time_t>(milliseconds / 1000);
    wanted.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wanted, &wanted) != 0 && errno == EINTR) {
    }
}

int64_t calendarSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

FILE* openFile(const char* path, const char* mode) {
    if (mode[0] != 'r') return std::fopen(path, mode);
    // Opened without blocking, as a FIFO would block the open until a writer comes; anything
    // but a regular file is refused before a byte is read.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(descriptor);
        errno = EINVAL;
        return nullptr;
    }
    FILE* file = fdopen(descriptor, mode);
    if (file == nullptr) close(descriptor);
    return file;
}

std::string describeFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return "nothing";
    if (S_ISREG(info.st_mode)) return std::to_string(info.st_size) + " bytes";
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (S_ISFIFO(info.st_mode)) return "a FIFO";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    return "a device";
}

bool createFolders(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    // Create each missing parent in turn, from the top down.
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string parent = path.substr(0, slash);
        if (mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) {
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

char pathSeparator() {
    return '/';
}

}  // namespace platform
