#include "tests/real_window/x_session.h"

#include "tests/real_window/polling.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

// Windows come and go while a test walks the tree; a vanished window is no reason for Xlib
// to end the test process, which its default error handler would do.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Reads the display number Xvfb writes to -displayfd once it listens.
bool readDisplayNumber(int fd, ChildProcess& server, std::string& number) {
    number.clear();
    return pollUntil(
               [&] {
                   pollfd ready{fd, POLLIN, 0};
                   while (::poll(&ready, 1, 0) > 0) {
                       char c = 0;
                       if (read(fd, &c, 1) != 1) return false;
                       if (c == '\n') return !number.empty();
                       number.push_back(c);
                   }
                   return hasExited(server);
               },
               30) &&
           !number.empty();
}

bool windowManagerReady(Display* display) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, DefaultRootWindow(display), &attributes) == 0) return false;
    return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

std::string windowTitle(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (!title.empty()) return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

Window findTitled(Display* display, Window parent, const std::string& title) {
    Window root = 0;
    Window ignored = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &ignored, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        if (windowTitle(display, children[i]) == title) found = children[i];
    }
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        found = findTitled(display, children[i], title);
    }
    if (children != nullptr) XFree(children);
    return found;
}

// One colour channel of an X pixel, scaled to 8 bits.
uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = __builtin_ctzl(mask);
    return uint32_t(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

bool runXdotool(XSession& session, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    SpawnOptions options;
    options.environment = {displayVariable(session)};
    return runCommand(arguments, options);
}

}  // namespace

XSession::~XSession() {
    stopXSession(*this);
}

bool startXSession(XSession& session, int width, int height, const std::string& logFolder,
                   std::string& error) {
    XSetErrorHandler(ignoreXError);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error = "no pipe for the display number";
        return false;
    }
    SpawnOptions serverOptions;
    serverOptions.outputPath = logFolder + "/xvfb.log";
    serverOptions.passFd = pipeFds[1];
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = spawnProcess(session.server,
                                      {"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-noreset",
                                       "-nolisten", "tcp", "-screen", "0", screen},
                                      serverOptions);
    close(pipeFds[1]);
    std::string number;
    const bool listening = started && readDisplayNumber(pipeFds[0], session.server, number);
    close(pipeFds[0]);
    if (!listening) {
        error = "Xvfb did not start (" + describeEnd(session.server) +
                "): " + readOutput(session.server);
        return false;
    }
    session.name = ":" + number;
    session.display = XOpenDisplay(session.name.c_str());
    if (session.display == nullptr) {
        error = "cannot connect to Xvfb on " + session.name;
        return false;
    }
    session.width = DisplayWidth(session.display, DefaultScreen(session.display));
    session.height = DisplayHeight(session.display, DefaultScreen(session.display));

    const Window root = DefaultRootWindow(session.display);
    XSetWindowBackground(session.display, root, RootColour);
    XClearWindow(session.display, root);
    XSync(session.display, False);

    SpawnOptions managerOptions;
    managerOptions.environment = {displayVariable(session)};
    managerOptions.outputPath = logFolder + "/evilwm.log";
    if (!spawnProcess(session.windowManager, {"evilwm"}, managerOptions)) {
        error = "evilwm cannot be run";
        return false;
    }
    if (!pollUntil(
            [&] { return windowManagerReady(session.display) || hasExited(session.windowManager); },
            30) ||
        !windowManagerReady(session.display)) {
        error = "evilwm did not take over the screen (" + describeEnd(session.windowManager) +
                "): " + readOutput(session.windowManager);
        return false;
    }
    return true;
}

void stopXSession(XSession& session) {
    if (session.display != nullptr) {
        XCloseDisplay(session.display);
        session.display = nullptr;
    }
    stopProcess(session.windowManager);
    stopProcess(session.server);
}

std::string displayVariable(const XSession& session) {
    return "DISPLAY=" + session.name;
}

Screenshot takeScreenshot(XSession& session) {
    Screenshot shot;
    if (session.display == nullptr) return shot;
    XImage* image =
        XGetImage(session.display, DefaultRootWindow(session.display), 0, 0,
                  unsigned(session.width), unsigned(session.height), AllPlanes, ZPixmap);
    if (image == nullptr) return shot;
    shot.width = session.width;
    shot.height = session.height;
    shot.pixels.resize(size_t(shot.width) * size_t(shot.height));
    const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 &&
                        image->green_mask == 0xFF00 && image->blue_mask == 0xFF &&
                        image->byte_order == LSBFirst;
    for (int y = 0; y < shot.height; ++y) {
        uint32_t* row = shot.pixels.data() + size_t(y) * size_t(shot.width);
        if (direct) {
            std::memcpy(row, image->data + size_t(y) * size_t(image->bytes_per_line),
                        size_t(shot.width) * 4);
            for (int x = 0; x < shot.width; ++x) row[x] &= 0xFFFFFF;
            continue;
        }
        for (int x = 0; x < shot.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x] = channel(pixel, image->red_mask) << 16 |
                     channel(pixel, image->green_mask) << 8 | channel(pixel, image->blue_mask);
        }
    }
    XDestroyImage(image);
    return shot;
}

WindowInfo findWindow(XSession& session, const std::string& title) {
    WindowInfo info;
    if (session.display == nullptr) return info;
    const Window root = DefaultRootWindow(session.display);
    const Window window = findTitled(session.display, root, title);
    if (window == 0) return info;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(session.display, window, &attributes) == 0) return info;
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(session.display, window, root, 0, 0, &x, &y, &child);
    info.id = window;
    info.x = x;
    info.y = y;
    info.width = attributes.width;
    info.height = attributes.height;
    info.viewable = attributes.map_state == IsViewable;
    return info;
}

bool pointerHidden(XSession& session) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(session.display, &eventBase, &errorBase)) return false;
    XFixesCursorImage* cursor = XFixesGetCursorImage(session.display);
    if (cursor == nullptr) return false;
    bool hidden = true;
    for (size_t i = 0; i < size_t(cursor->width) * cursor->height; ++i) {
        if ((cursor->pixels[i] >> 24 & 0xFF) != 0) hidden = false;
    }
    XFree(cursor);
    return hidden;
}

bool capsLockOn(XSession& session) {
    XkbStateRec state{};
    if (XkbGetState(session.display, XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & LockMask) != 0;
}

bool pressKeys(XSession& session, const std::vector<std::string>& keys, int delayMs) {
    if (keys.empty()) return true;
    std::vector<std::string> arguments = {"key", "--delay", std::to_string(delayMs)};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    return runXdotool(session, arguments);
}

bool holdKey(XSession& session, const std::string& key) {
    return runXdotool(session, {"keydown", key});
}

bool releaseKey(XSession& session, const std::string& key) {
    return runXdotool(session, {"keyup", key});
}

bool setCapsLock(XSession& session, bool on) {
    if (capsLockOn(session) == on) return true;
    if (!pressKeys(session, {"Caps_Lock"})) return false;
    return pollUntil([&] { return capsLockOn(session) == on; }, 10);
}

bool requestClose(XSession& session, unsigned long window) {
    if (session.display == nullptr || window == 0) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(session.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(session.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(session.display, window, False, NoEventMask, &event);
    XSync(session.display, False);
    return sent != 0;
}
