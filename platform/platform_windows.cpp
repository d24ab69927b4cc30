#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <SDL.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <io.h>

namespace platform {

namespace {

// UTF-8 to UTF-16 for the wide-character file functions. Empty on a malformed text.
std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), length);
    return wide;
}

std::string narrow(const wchar_t* wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

bool isFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isSeparator(const std::wstring& path, size_t i) {
    return i < path.size() && (path[i] == L'\\' || path[i] == L'/');
}

// The length of the part of a path that can only exist, never be created: the drive ("C:\"),
// the server and share of a network path ("\\server\share\"), or a leading separator.
size_t rootLength(const std::wstring& path) {
    if (isSeparator(path, 0) && isSeparator(path, 1)) {
        size_t end = 2;
        for (int part = 0; part < 2 && end < path.size(); ++part) {
            while (end < path.size() && !isSeparator(path, end)) ++end;
            if (end < path.size()) ++end;
        }
        return end;
    }
    if (path.size() >= 2 && path[1] == L':') return isSeparator(path, 2) ? 3 : 2;
    return isSeparator(path, 0) ? 1 : 0;
}

}  // namespace

namespace {

volatile LONG terminationNoted = 0;

// Runs on a thread of its own. For a closed console, a logoff or a shutdown the process is
// ended as soon as this returns, so it waits for the main thread to end the program itself.
BOOL WINAPI noteConsoleEvent(DWORD) {
    InterlockedExchange(&terminationNoted, 1);
    Sleep(5000);
    return TRUE;
}

constexpr unsigned WindowsEndSession = 0x0016;  // WM_ENDSESSION

// Windows may end the process as soon as the end of the session has been answered. The hook
// runs while events are read, between two frames, never during a save: ending here is safe.
void SDLCALL endWithSession(void*, void*, unsigned int message, Uint64 ending, Sint64) {
    if (message == WindowsEndSession && ending != 0) std::exit(0);
}

}  // namespace

void installTerminationHandlers() {
    SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
    SDL_SetWindowsMessageHook(endWithSession, nullptr);
}

bool terminationRequested() {
    return InterlockedCompareExchange(&terminationNoted, 0, 0) != 0;
}

bool userDataFolder(std::string& folder) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path))) return false;
    folder = narrow(path);
    return !folder.empty();
}

const char* installedDataFolder() {
    return nullptr;
}

void sleepMilliseconds(uint32_t milliseconds) {
    // Sleep is as fine as the system timer: 1 ms while SDL runs, as SDL asks for that
    // resolution when it starts (its default for SDL_HINT_TIMER_RESOLUTION).
    Sleep(milliseconds);
}

int64_t calendarSeconds() {
    return static_cast<int64_t>(_time64(nullptr));
}

bool utcCalendar(int64_t seconds, std::tm& parts) {
    const __time64_t when = seconds;
    return _gmtime64_s(&parts, &when) == 0;
}

void showStopMessage(const char* message, SDL_Window* window) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Quenmore", message, window);
}

void tellUser(const char* text, bool error) {
    FILE* stream = error ? stderr : stdout;
    const HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            if (std::freopen("CONOUT$", "w", stream) == nullptr) return;
        } else if (!error) {
            const std::wstring wide = widen(text);
            MessageBoxW(nullptr, wide.c_str(), L"Quenmore", MB_OK | MB_ICONINFORMATION);
            return;
        } else {
            return;
        }
    }
    std::fputs(text, stream);
    std::fflush(stream);
}

FILE* openFile(const char* path, const char* mode) {
    std::wstring widePath = widen(path);
    std::wstring wideMode = widen(mode);
    if (widePath.empty() || wideMode.empty()) return nullptr;
    // For reading, only a plain file on a disk: a folder, a pipe or a device is refused.
    if (mode[0] == 'r') {
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
            return nullptr;
        }
    }
    FILE* file = _wfopen(widePath.c_str(), wideMode.c_str());
    if (file != nullptr && mode[0] == 'r' &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

std::string describeFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::wstring wide = widen(path);
    if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
        return "nothing";
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "a folder";
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) return "a device";
    const uint64_t size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return std::to_string(size) + " bytes";
}

bool listFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const std::wstring pattern = widen(path + "\\*");
    if (pattern.empty()) return false;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::string name = narrow(found.cFileName);
        if (!name.empty() && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool createFolders(const std::string& path) {
    std::wstring wide = widen(path);
    if (wide.empty()) return false;
    if (isFolder(wide)) return true;
    // Create each missing parent in turn, from the top down.
    for (size_t i = rootLength(wide); i < wide.size(); ++i) {
        if (!isSeparator(wide, i) || isSeparator(wide, i - 1)) continue;
        std::wstring parent = wide.substr(0, i);
        if (!isFolder(parent) && !CreateDirectoryW(parent.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    return isFolder(wide);
}

bool replaceFile(const std::string& from, const std::string& to) {
    std::wstring wideFrom = widen(from);
    std::wstring wideTo = widen(to);
    if (wideFrom.empty() || wideTo.empty()) return false;
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

bool failWith(std::string& reason, DWORD error) {
    wchar_t text[256] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, 256, nullptr);
    reason = length > 0 ? narrow(text) : "Windows error " + std::to_string(error);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return false;
}

std::wstring folderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? L"." : path.substr(0, separator);
}

}  // namespace

bool writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::string& reason) {
    const std::wstring wide = widen(path);
    if (wide.empty()) return failWith(reason, ERROR_INVALID_NAME);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        reason = "it is not a regular file";
        return false;
    }
    // A new file of a name nobody can guess, shorter than the real one so that it fits
    // wherever that does; CREATE_NEW never opens what is already there.
    const std::wstring folder = folderOf(wide);
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    uint64_t seed = uint64_t(counter.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        wchar_t name[16];
        std::swprintf(name, 16, L"\\qm%08x.tmp", unsigned(seed >> 32));
        temporary = folder + name;
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return failWith(reason, GetLastError());
    bool written = true;
    for (size_t done = 0; done < size && written;) {
        DWORD count = 0;
        const DWORD chunk = DWORD(size - done > 0x10000000 ? 0x10000000 : size - done);
        written = WriteFile(file, bytes + done, chunk, &count, nullptr) != 0 && count > 0;
        done += count;
    }
    written = written && FlushFileBuffers(file) != 0;
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), wide.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        written = false;
        error = GetLastError();
    }
    if (!written) {
        DeleteFileW(temporary.c_str());
        return failWith(reason, error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error);
    }
    return true;
}

bool lockFile(const std::string& path, FileLock& lock) {
    const std::wstring wide = widen(path);
    if (wide.empty()) return false;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        return false;
    }
    lock.handle = reinterpret_cast<intptr_t>(file);
    return true;
}

void unlockFile(FileLock& lock) {
    HANDLE file = reinterpret_cast<HANDLE>(lock.handle);
    OVERLAPPED whole{};
    UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
    lock.handle = -1;
}

const char* soundDriver() {
    return "directsound";
}

// The layout of the thread that owns the window, asked without touching its dead-key state.
bool keyboardLayout(const int* codes, int count, uint32_t (*levels)[3], uint8_t* dead) {
    constexpr UINT KeepKeyboardState = 0x4;
    HKL layout = GetKeyboardLayout(0);
    for (int i = 0; i < count; ++i) {
        const UINT code = UINT(codes[i]);
        const UINT virtualKey = code == 0 ? 0 : MapVirtualKeyExW(code, MAPVK_VSC_TO_VK_EX, layout);
        dead[i] = 0;
        for (int level = 0; level < 3; ++level) {
            BYTE keys[256] = {};
            if (level == 1) keys[VK_SHIFT] = 0x80;
            if (level == 2) keys[VK_CONTROL] = keys[VK_MENU] = keys[VK_RMENU] = 0x80;  // AltGr
            wchar_t text[8] = {};
            const int length = virtualKey == 0 ? 0
                                               : ToUnicodeEx(virtualKey, code, keys, text, 8,
                                                             KeepKeyboardState, layout);
            // A dead key (-1) leaves its spacing accent; a control character is no character.
            levels[i][level] = length != 0 && text[0] >= 0x20 ? uint32_t(text[0]) : 0;
            if (length < 0) dead[i] |= uint8_t(1 << level);
        }
    }
    return true;
}

bool keyboardLayoutName(std::string& name) {
    wchar_t identifier[KL_NAMELENGTH] = {};
    if (!GetKeyboardLayoutNameW(identifier)) return false;
    name = narrow(identifier);
    for (char& c : name)
        if (c >= 'a' && c <= 'f') c = char(c - 'a' + 'A');
    return !name.empty();
}

char pathSeparator() {
    return '\\';
}

}  // namespace platform
