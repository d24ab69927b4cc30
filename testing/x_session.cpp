#include "testing/x_session.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::~ChildProcess() {
    stopProcess(*this);
}

bool spawnProcess(ChildProcess& child, const std::vector<std::string>& command,
                  const std::vector<std::string>& environment, const std::string& log) {
    stopProcess(child);
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const std::string output = log.empty() ? "/dev/null" : log;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        setpgid(0, 0);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (in < 0 || out < 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        // The test process has a single thread, so its child may still change the environment.
        for (const std::string& change : environment) {
            if (change.find('=') == std::string::npos)
                unsetenv(change.c_str());
            else
                putenv(const_cast<char*>(change.c_str()));
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    child.pid = pid;
    child.exited = false;
    child.log = log;
    return true;
}

bool hasExited(ChildProcess& child) {
    if (child.pid < 0 || child.exited) return true;
    child.exited = waitpid(child.pid, &child.status, WNOHANG) == child.pid;
    return child.exited;
}

bool waitForExit(ChildProcess& child, double seconds) {
    return pollUntil([&] { return hasExited(child); }, seconds);
}

void stopProcess(ChildProcess& child) {
    if (hasExited(child)) return;
    // The whole group: Wine's helpers go along with the program.
    kill(-child.pid, SIGTERM);
    if (waitForExit(child, 3)) return;
    kill(-child.pid, SIGKILL);
    waitForExit(child, 10);
}

int exitCode(const ChildProcess& child) {
    return child.exited && WIFEXITED(child.status) ? WEXITSTATUS(child.status) : -1;
}

std::string describeEnd(const ChildProcess& child) {
    if (!child.exited) return "still running";
    if (WIFSIGNALED(child.status)) return "signal " + std::to_string(WTERMSIG(child.status));
    return "status " + std::to_string(exitCode(child));
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool runCommand(const std::vector<std::string>& command,
                const std::vector<std::string>& environment, const std::string& log,
                double seconds) {
    ChildProcess child;
    return spawnProcess(child, command, environment, log) && waitForExit(child, seconds) &&
           exitCode(child) == 0;
}

namespace {

Window findTitled(Display* display, Window parent, const std::string& title) {
    Window root = 0, ignored = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &ignored, &children, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            if (title == name) found = children[i];
            XFree(name);
        }
        if (found == 0) found = findTitled(display, children[i], title);
    }
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace

XSession::~XSession() {
    if (display != nullptr) XCloseDisplay(display);
    stopProcess(windowManager);
    stopProcess(server);
}

bool startXSession(XSession& session, int width, int height, const std::string& logFolder,
                   std::string& error) {
    // Windows come and go while a test walks the tree: no reason to end the test process.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // Xvfb writes the display number it picked to descriptor 3, here a file.
    const std::string numberFile = logFolder + "/display-number";
    spawnProcess(session.server,
                 {"sh", "-c", "exec Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 $1 3>\"$0\"",
                  numberFile, std::to_string(width) + "x" + std::to_string(height) + "x24"},
                 {}, logFolder + "/xvfb.log");
    std::string number;
    pollUntil([&] { return (number = readFile(numberFile)).ends_with('\n'); }, 30);
    session.name = ":";
    session.name += number.substr(0, number.find('\n'));
    session.display = number.ends_with('\n') ? XOpenDisplay(session.name.c_str()) : nullptr;
    if (session.display == nullptr) {
        error = "no Xvfb (" + describeEnd(session.server) + "): " + readFile(session.server.log);
        return false;
    }
    Display* display = session.display;
    const Window root = DefaultRootWindow(display);
    session.width = DisplayWidth(display, DefaultScreen(display));
    session.height = DisplayHeight(display, DefaultScreen(display));
    XSetWindowBackground(display, root, RootColour);
    XClearWindow(display, root);
    XSync(display, False);
    // "fixed" is built into every X server: evilwm's default font comes only with the X font
    // packages, which a minimal system lacks.
    spawnProcess(session.windowManager, {"evilwm", "-fn", "fixed"}, {"DISPLAY=" + session.name},
                 logFolder + "/evilwm.log");
    const bool managed = pollUntil(
        [&] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(display, root, &attributes) != 0 &&
                   (attributes.all_event_masks & SubstructureRedirectMask) != 0;
        },
        30);
    if (!managed)
        error = "no evilwm (" + describeEnd(session.windowManager) +
                "): " + readFile(session.windowManager.log);
    return managed;
}

Image takeScreenshot(XSession& session) {
    Image shot;
    XImage* image =
        XGetImage(session.display, DefaultRootWindow(session.display), 0, 0,
                  unsigned(session.width), unsigned(session.height), AllPlanes, ZPixmap);
    if (image == nullptr) return shot;
    shot.width = session.width;
    shot.height = session.height;
    // Xvfb's 24-bit visual holds red, green and blue in the low three bytes.
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return shot;
}

WindowInfo findWindow(XSession& session, const std::string& title) {
    WindowInfo info;
    const Window root = DefaultRootWindow(session.display);
    const Window window = findTitled(session.display, root, title);
    XWindowAttributes attributes{};
    if (window == 0 || XGetWindowAttributes(session.display, window, &attributes) == 0) return info;
    Window child = 0;
    XTranslateCoordinates(session.display, window, root, 0, 0, &info.x, &info.y, &child);
    info.id = window;
    info.width = attributes.width;
    info.height = attributes.height;
    info.viewable = attributes.map_state == IsViewable;
    return info;
}

bool pointerHidden(XSession& session) {
    XFixesCursorImage* cursor = XFixesGetCursorImage(session.display);
    if (cursor == nullptr) return false;
    bool hidden = true;
    for (size_t i = 0; i < size_t(cursor->width) * cursor->height; ++i)
        hidden = hidden && (cursor->pixels[i] >> 24 & 0xFF) == 0;
    XFree(cursor);
    return hidden;
}

bool capsLockOn(XSession& session) {
    XkbStateRec state{};
    return XkbGetState(session.display, XkbUseCoreKbd, &state) == Success &&
           (state.locked_mods & LockMask) != 0;
}

bool xdotool(XSession& session, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    return runCommand(arguments, {"DISPLAY=" + session.name});
}

bool pressKeys(XSession& session, const std::vector<std::string>& keys, int delayMs) {
    std::vector<std::string> arguments = {"key", "--delay", std::to_string(delayMs)};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    return keys.empty() || xdotool(session, arguments);
}

bool setCapsLock(XSession& session, bool on) {
    if (capsLockOn(session) == on) return true;
    return pressKeys(session, {"Caps_Lock"}) &&
           pollUntil([&] { return capsLockOn(session) == on; }, 10);
}

bool requestClose(XSession& session, unsigned long window) {
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
