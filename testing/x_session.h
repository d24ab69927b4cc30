// Child processes and a private X server: Xvfb on a free display with the evilwm window
// manager, screenshots, window queries and keys through XTEST (xdotool). A child dies with
// the test process, even a crashed one, and is stopped when its record goes out of scope.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

struct _XDisplay;

// Checks `condition` every 10 ms until it holds (true) or `seconds` have passed (false).
template <typename Condition> bool pollUntil(Condition condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

struct ChildProcess {
    pid_t pid = -1;
    bool exited = false;
    int status = 0;  // the raw wait status, once exited
    std::string log;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
};

// Stops the child's earlier process, then starts `command` (from PATH) in a process group of
// its own, with `environment` changes ("NAME=VALUE" sets, "NAME" removes) and its output
// appended to `log` (none: /dev/null).
bool spawnProcess(ChildProcess& child, const std::vector<std::string>& command,
                  const std::vector<std::string>& environment = {}, const std::string& log = "");
bool hasExited(ChildProcess& child);  // reaps; never blocks
bool waitForExit(ChildProcess& child, double seconds);
void stopProcess(ChildProcess& child);    // its group: SIGTERM, then SIGKILL if it lingers
int exitCode(const ChildProcess& child);  // -1 while it runs or when a signal ended it
std::string describeEnd(const ChildProcess& child);  // "status 1", "signal 11", ...
std::string readFile(const std::string& path);
bool runCommand(const std::vector<std::string>& command,
                const std::vector<std::string>& environment = {}, const std::string& log = "",
                double seconds = 20);

// 0x00RRGGBB pixels, row after row.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Image&) const = default;
};

// The root window's colour, which the program never shows.
constexpr uint32_t RootColour = 0xFF00FF;

struct XSession {
    ChildProcess server, windowManager;
    _XDisplay* display = nullptr;
    std::string name;  // ":N", for DISPLAY
    int width = 0, height = 0;

    ~XSession();
};

// Starts Xvfb (width x height x 24) on a display number it picks itself, so that parallel
// tests never collide, and returns once evilwm manages the screen. False with a reason.
bool startXSession(XSession& session, int width, int height, const std::string& logFolder,
                   std::string& error);
Image takeScreenshot(XSession& session);

struct WindowInfo {
    unsigned long id = 0;  // 0: none
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
};
WindowInfo findWindow(XSession& session, const std::string& title);
bool pointerHidden(XSession& session);  // the pointer's image has no visible pixel
bool capsLockOn(XSession& session);
// xdotool on the session's display: {"keydown", "f"}; keys "a", "shift+a", "space".
bool xdotool(XSession& session, std::vector<std::string> arguments);
bool pressKeys(XSession& session, const std::vector<std::string>& keys, int delayMs = 12);
bool setCapsLock(XSession& session, bool on);
// Asks the window to close as its close button does (WM_DELETE_WINDOW).
bool requestClose(XSession& session, unsigned long window);
