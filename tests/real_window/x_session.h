// A private X server for one test: Xvfb on a display number nobody else uses, a small
// window manager, and what a test needs from the server: screenshots, the windows and their
// titles, the pointer's image, the Caps Lock state, key presses through XTEST (xdotool) and
// the window manager's close request.
#pragma once

#include "tests/real_window/child_process.h"
#include "tests/real_window/screen_reader.h"

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

// The root window's colour: it appears nowhere in the program's picture, so a screen
// without it is covered by the program.
constexpr uint32_t RootColour = 0xFF00FF;

struct XSession {
    ChildProcess server;
    ChildProcess windowManager;
    _XDisplay* display = nullptr;
    std::string name;  // ":N", for DISPLAY
    int width = 0;
    int height = 0;

    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
};

// Starts Xvfb with a screen of width x height at 24 bits on the first free display number
// (the server picks it itself, so parallel tests never collide), kept from resetting when
// its last client leaves, paints the root RootColour and starts evilwm. Returns once the
// window manager manages the screen. Logs go into `logFolder`. False with a reason on
// failure.
bool startXSession(XSession& session, int width, int height, const std::string& logFolder,
                   std::string& error);
// Closes the connection and stops the window manager and the server.
void stopXSession(XSession& session);
// "DISPLAY=:N", for a child's environment.
std::string displayVariable(const XSession& session);

// The whole screen as it is now.
Screenshot takeScreenshot(XSession& session);

struct WindowInfo {
    unsigned long id = 0;  // 0: no such window
    int x = 0;             // position on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
};

// The top-level client window with this title (WM_NAME or _NET_WM_NAME), if any.
WindowInfo findWindow(XSession& session, const std::string& title);
// True when the pointer's current image has no visible pixel.
bool pointerHidden(XSession& session);
// The keyboard's Caps Lock state.
bool capsLockOn(XSession& session);

// Presses and releases keys one after the other through XTEST with `xdotool key`; each entry
// is an X keysym name ("a", "space", "Return") or a chord ("shift+a").
bool pressKeys(XSession& session, const std::vector<std::string>& keys, int delayMs = 12);
// Holds a key down, or lets it go (`xdotool keydown` / `keyup`).
bool holdKey(XSession& session, const std::string& key);
bool releaseKey(XSession& session, const std::string& key);
// Sets Caps Lock to the given state, toggling it with the Caps Lock key when needed.
bool setCapsLock(XSession& session, bool on);
// Asks a window to close as a window manager does when its close button is clicked: the
// ICCCM WM_DELETE_WINDOW message.
bool requestClose(XSession& session, unsigned long window);
