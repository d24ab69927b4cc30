#include "platform/platform.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A keysym's character: Latin-1 and Unicode keysyms stand for themselves, a dead key for its
// spacing accent; 0xFFFD for any other symbol, 0 for none.
uint32_t keysymCharacter(KeySym keysym) {
    // dead_grave to dead_ogonek
    constexpr uint16_t Accents[] = {0x60, 0xB4,  0x5E,  0x7E,  0xAF, 0x2D8, 0x2D9,
                                    0xA8, 0x2DA, 0x2DD, 0x2C7, 0xB8, 0x2DB};
    if (keysym == NoSymbol) return 0;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return uint32_t(keysym);
    if ((keysym & 0xFF000000) == 0x01000000) return uint32_t(keysym & 0x00FFFFFF);
    if (keysym >= 0xFE50 && keysym <= 0xFE5C) return Accents[keysym - 0xFE50];
    if (keysym == 0x20AC) return 0x20AC;  // EuroSign
    return 0xFFFD;
}

}  // namespace

namespace platform {

namespace {

volatile sig_atomic_t terminationSignal = 0;

void noteTermination(int signalNumber) {
    terminationSignal = signalNumber;
}

}  // namespace

void installTerminationHandlers() {
    struct sigaction action {};
    action.sa_handler = noteTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaction(signalNumber, &action, nullptr);
}

bool terminationRequested() {
    return terminationSignal != 0;
}

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

bool utcCalendar(int64_t seconds, std::tm& parts) {
    const time_t when = time_t(seconds);
    return gmtime_r(&when, &parts) != nullptr;
}

void showStopMessage(const char*, SDL_Window*) {}

void tellUser(const char* text, bool error) {
    std::fputs(text, error ? stderr : stdout);
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

bool listFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr) return false;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
    return true;
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

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a chain of symbolic links finally names (the path itself when it is no link);
// false for a loop or a chain too long to follow.
bool followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::string link(size_t(PATH_MAX), '\0');
        const ssize_t length = readlink(target.c_str(), link.data(), link.size());
        if (length <= 0 || size_t(length) >= link.size()) return false;
        link.resize(size_t(length));
        target = link[0] == '/' ? link : folderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

bool writeAll(int descriptor, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;
        if (written <= 0) return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

bool failWith(std::string& reason, const std::string& text) {
    reason = text;
    return false;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::string& reason) {
    std::string target;
    if (!followLinks(path, target)) return failWith(reason, std::strerror(errno));
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return failWith(reason, "it is not a regular file");
    }
    const std::string folder = folderOf(target);
    std::string temporary = folder + "/.quenmore-XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) return failWith(reason, std::strerror(errno));
    // mkostemp makes the file private; it gets the old file's permissions, or the usual ones.
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t mode = exists ? existing.st_mode & 07777 : 0666 & ~mask;
    const auto fail = [&](int error) {
        unlink(temporary.c_str());
        return failWith(reason, std::strerror(error));
    };
    if (fchmod(descriptor, mode) != 0 || !writeAll(descriptor, bytes, size) ||
        fsync(descriptor) != 0) {
        const int error = errno;
        close(descriptor);
        return fail(error);
    }
    if (close(descriptor) != 0) return fail(errno);
    if (rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
    // The rename is only lasting once the folder that holds the name is on the disk too.
    const int folderDescriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        fsync(folderDescriptor);
        close(folderDescriptor);
    }
    return true;
}

bool lockFile(const std::string& path, FileLock& lock) {
    // Never through a link, and never blocking on a FIFO planted there.
    const int descriptor =
        open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (descriptor < 0) return false;
    int locked = 0;
    while ((locked = flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        close(descriptor);
        return false;
    }
    lock.handle = descriptor;
    return true;
}

void unlockFile(FileLock& lock) {
    close(int(lock.handle));  // closing the descriptor releases the lock
    lock.handle = -1;
}

const char* soundDriver() {
    return nullptr;  // PulseAudio, PipeWire or ALSA, whichever SDL finds first
}

// X key codes are the Linux input codes plus 8 on every X server of these days. A connection
// of its own, opened for each reading, sees the keyboard map as it is now.
bool keyboardLayout(const int* codes, int count, uint32_t (*levels)[3], uint8_t* dead) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XkbStateRec state{};
    const int group = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    for (int i = 0; i < count; ++i) {
        dead[i] = 0;
        for (int level = 0; level < 3; ++level) {
            const KeySym keysym =
                codes[i] == 0 ? NoSymbol
                              : XkbKeycodeToKeysym(display, KeyCode(codes[i] + 8), group, level);
            levels[i][level] = keysymCharacter(keysym);
            if (keysym >= 0xFE50 && keysym <= 0xFE5C) dead[i] |= uint8_t(1 << level);
        }
    }
    XCloseDisplay(display);
    return true;
}

namespace {

// The `index`-th of the comma-separated names, or "".
std::string nthName(const std::string& names, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = names.find(',', start);
        if (start == std::string::npos) return {};
        start += 1;
    }
    return names.substr(start, names.find(',', start) - start);
}

}  // namespace

// The X server keeps the names setxkbmap (or the desktop) chose in the root window's
// _XKB_RULES_NAMES property: rules, model, layouts, variants and options, each ended by a
// NUL, the layouts and variants comma-separated, one per group.
bool keyboardLayoutName(std::string& name) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    const Atom property = XInternAtom(display, "_XKB_RULES_NAMES", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const bool read =
        property != None &&
        XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, XA_STRING,
                           &type, &format, &count, &left, &data) == Success &&
        type == XA_STRING && format == 8 && data != nullptr;
    std::string fields[5];
    for (unsigned long i = 0, field = 0; read && i < count && field < 5; ++i) {
        if (data[i] == '\0')
            ++field;
        else
            fields[field] += char(data[i]);
    }
    if (data != nullptr) XFree(data);
    XkbStateRec state{};
    const int group = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    XCloseDisplay(display);
    const std::string layout = nthName(fields[2], group);
    if (!read || layout.empty()) return false;
    const std::string variant = nthName(fields[3], group);
    name = variant.empty() ? layout : layout + "(" + variant + ")";
    return true;
}

char pathSeparator() {
    return '/';
}

}  // namespace platform
