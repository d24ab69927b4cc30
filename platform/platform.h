// The handful of operating-system services the program needs. This folder is the only place
// that knows which operating system the program runs on (x_session.* serves the benchmark and
// the tests on X11); paths are UTF-8 everywhere else and converted here where the system wants
// something else.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

struct SDL_Window;

namespace platform {

// The per-user folder for application data: the roaming application-data folder on Windows,
// $XDG_DATA_HOME (or $HOME/.local/share) elsewhere. False when the system cannot tell.
bool userDataFolder(std::string& folder);

// Where an installed program keeps its read-only data, relative to the executable's folder
// and ending with a separator: "../share/quenmore/" on Linux, where the program lies in a
// bin/ folder beside share/. Null on Windows, where a program's data lies beside it.
const char* installedDataFolder();

// From now on SIGTERM, SIGINT and SIGHUP (on Windows the console's control events) only note
// that the system asks the program to end, which terminationRequested then tells; the
// program ends at its next frame. On Windows the end of the session (WM_ENDSESSION, seen
// through SDL's message hook) ends the process at once with status 0, as Windows may end it
// as soon as the message is answered; it comes while events are read, between two frames,
// never during a save. Called before SDL is started.
void installTerminationHandlers();
bool terminationRequested();

// Suspends the thread for about the given number of milliseconds.
void sleepMilliseconds(uint32_t milliseconds);

// The calendar time in whole seconds since 1970.
int64_t calendarSeconds();
// The UTC date and time of calendar seconds; false when the system cannot tell.
bool utcCalendar(int64_t seconds, std::tm& parts);

// Tells the learner why the program stops, where stderr reaches nobody: a message box on
// Windows, whose programs have no console (over `window` when there is one); nothing
// elsewhere.
void showStopMessage(const char* message, SDL_Window* window);
// Prints what the command line asked for (its help or version: on standard output) or why
// it is refused (`error`: on standard error). A Windows program has no console of its own:
// it writes to the one it was started from when there is one; else help and version show
// in a message box, and an error is written where standard error goes.
void tellUser(const char* text, bool error);

// Opens a file with a C stdio mode ("rb", "wb"); the path is UTF-8. Null on failure. For
// reading, only a regular file is opened, and never blocks (a FIFO or a device is refused).
FILE* openFile(const char* path, const char* mode);

// What lies at the path, for a message: "nothing", "N bytes", "a folder", "a FIFO", ...
std::string describeFile(const std::string& path);

// The names of a folder's entries (without "." and ".."), in no particular order. False when
// the folder cannot be read.
bool listFolder(const std::string& path, std::vector<std::string>& names);

// Creates a folder and any missing parents. True when the folder exists afterwards.
bool createFolders(const std::string& path);

// Replaces the file `to` by the file `from` in one step (rename over). True on success.
bool replaceFile(const std::string& from, const std::string& to);

// Puts `size` bytes in place of the file at `path` so that it holds either its old content or
// the whole new one, whatever happens meanwhile (a full disk, a crash, a power cut): they
// go to a new file with an unpredictable name, created exclusively in the same folder, are
// flushed to the disk, and the new file is renamed over the old one, whose folder is then
// flushed too. A symbolic link is followed, so the file it points to is replaced, not the
// link. Anything there but a regular file is left alone. False, with the reason (a short
// English text), when the file was not replaced.
bool writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::string& reason);

// An exclusive advisory lock that programs sharing a file take around a read-merge-write of
// it. It is held on a lock file of its own, which is never replaced.
struct FileLock {
    intptr_t handle;
};
// Waits until this process holds the lock of the lock file at `path` (created when missing).
// False when the lock file cannot be opened or locked.
bool lockFile(const std::string& path, FileLock& lock);
void unlockFile(FileLock& lock);

// The characters (Unicode) of the active keyboard layout for `count` keys given by their PC
// scan code (set 1; 0 for none): alone, with Shift, with AltGr; a dead key gives its accent,
// 0 stands for none, and `dead` gets a bit per level of a key that is a dead key (1 alone,
// 2 Shift, 4 AltGr). False when the system cannot tell (no X display, for one).
bool keyboardLayout(const int* codes, int count, uint32_t (*levels)[3], uint8_t* dead);

// The name of the active keyboard layout as the system gives it: on X the layout of the active
// group with its variant, as setxkbmap names them ("de", "fr", "us(dvorak)"); on Windows the
// keyboard layout identifier ("00000407"). False when the system cannot tell.
bool keyboardLayoutName(std::string& name);

// The audio driver SDL is to play the sounds through, by SDL's name; null for SDL's own
// choice. On Windows DirectSound: SDL's WASAPI output crackles under Wine, where DirectSound
// plays cleanly, and one driver everywhere is the one that is tested.
const char* soundDriver();

// The separator between a folder and a name on this system.
char pathSeparator();

// True when the system can open a file by this UTF-8 path. On Windows it must fit the path
// buffers: 260 UTF-16 units, the terminating NUL included, so at most 259 units of text.
// Elsewhere a path of any length is used: the limit would only lose the saves of a learner
// whose data folder is long.
bool pathFits(const std::string& path);

// True when an executable folder is a "\Release\" or "\Debug\" build-output folder (exactly
// as written, so "\debug\" is not one), whose program finds its files from the working
// directory instead.
bool isBuildOutputFolder(const char* folder);

}  // namespace platform
