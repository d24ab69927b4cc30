// Key-to-screen latency of the real program: it runs in its own X server (Xvfb) with a window
// manager, is walked to lesson 1's exercise, and then each letter of the line to type is
// pressed through XTEST at a chosen moment of the frame period; the letter's echo cell is read
// with XGetImage until the typed glyph is there.
//
//   build/release/bench/key_latency [--keys N] [--screen WIDTHxHEIGHT] [--program PATH]
//                                   [--guide]
//
// The screen is a whole multiple of 320x180 (default 320x180). The N letters (default 48)
// are pressed at phases spread evenly over the frame period: the program's frame ticks are
// the performance counter divided by the frame period, and SDL's counter is the system's
// monotonic clock, so this process sees the same tick grid. Reports the minimum, median,
// 90th percentile and maximum latency, from just before the key press is sent to the end of
// the screen read that first shows the glyph (the screen is read every 0.2 ms or so). PATH is
// another build of the program to measure (its assets/ beside it); by default the one built with
// this benchmark. --guide measures with the finger guide on, from a settings file put in the
// program's data folder.
#include "engine/asset_files.h"
#include "engine/display.h"
#include "testing/x_session.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Text of the lesson screen: tile 96 + character code in palette group 1; the cursor is
// tile 7. Of the menu: tile = character code in group 0.
struct TextStyle {
    int firstTile, group;
};
constexpr TextStyle LessonText{96, 1}, MenuText{0, 0};
constexpr char CursorCell = '\x7f', UnknownCell = '?';

// The X session, the screen's scale and the art that text is read with.
struct Rig {
    XSession session;
    int scale = 1;  // screen pixels per picture pixel
    CharacterSheet sheet{};
    Palette palette{};
};

uint64_t counterNow() {
    return SDL_GetPerformanceCounter();
}

double milliseconds(uint64_t ticks) {
    return double(ticks) * 1000.0 / double(SDL_GetPerformanceFrequency());
}

// The 8x8 picture cell at (left, top), one screen pixel per picture pixel; empty on failure.
std::vector<uint32_t> grabCell(Rig& screen, int left, int top) {
    const int s = screen.scale;
    XImage* image =
        XGetImage(screen.session.display, DefaultRootWindow(screen.session.display), left * s,
                  top * s, unsigned(8 * s), unsigned(8 * s), AllPlanes, ZPixmap);
    if (image == nullptr) return {};
    std::vector<uint32_t> cell(64);
    for (int i = 0; i < 64; ++i)
        cell[size_t(i)] = uint32_t(XGetPixel(image, i % 8 * s, i / 8 * s)) & 0xFFFFFF;
    XDestroyImage(image);
    return cell;
}

// Of the glyphs whose every opaque pixel shows in the cell, the one with most of them;
// UnknownCell for none or a tie.
char readCell(const Rig& screen, const std::vector<uint32_t>& cell, TextStyle style) {
    if (cell.size() != 64) return UnknownCell;
    char best = UnknownCell;
    int most = -1;
    bool tied = false;
    for (int code = 32; code < 128; ++code) {
        const int tile = code == CursorCell ? 7 : style.firstTile + code;
        int opaque = 0;
        bool shows = true;
        for (int i = 0; i < 64 && shows; ++i) {
            const uint8_t byte = screen.sheet[size_t(sheetOffset(tile, i % 8, i / 8))];
            const int value = i % 2 == 0 ? byte >> 4 : byte & 15;
            if (value == 0) continue;
            ++opaque;
            shows = cell[size_t(i)] == screen.palette[size_t(style.group * 16 + value)];
        }
        if (!shows) continue;
        tied = opaque == most || (tied && opaque < most);
        if (opaque > most) {
            best = char(code);
            most = opaque;
        }
    }
    return tied ? UnknownCell : best;
}

std::string readText(Rig& screen, int left, int top, int cells, TextStyle style) {
    std::string text;
    for (int i = 0; i < cells; ++i)
        text.push_back(readCell(screen, grabCell(screen, left + 8 * i, top), style));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Where lesson text is read: the heading, the line to type and the line typed so far.
constexpr int TextLeft = 16, HeadingTop = 128, LineToTypeTop = 144, TypedLineTop = 160;

void sendKey(Rig& screen, KeySym key, bool down) {
    Display* display = screen.session.display;
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down ? True : False, 0);
    XFlush(display);
}

// Presses `key` every `periodMs` until `done` holds (true) or `seconds` have passed (false).
bool pressUntil(Rig& screen, KeySym key, int periodMs, const std::function<bool()>& done,
                double seconds) {
    uint64_t last = 0;
    return pollUntil(
        [&] {
            if (done()) return true;
            if (milliseconds(counterNow() - last) > periodMs) {
                sendKey(screen, key, true);
                sendKey(screen, key, false);
                last = counterNow();
            }
            return false;
        },
        seconds);
}

// Waits until the counter reaches `target`: sleeps while more than 2 ms remain, then spins.
void waitUntil(uint64_t target) {
    while (counterNow() + SDL_GetPerformanceFrequency() / 500 < target) SDL_Delay(1);
    while (counterNow() < target) {
    }
}

// Presses the key of `c`, which the echo cell `column` of the typed line then shows, and
// returns the counter ticks until it was seen; 0 when it never showed within 2 seconds.
uint64_t typeAndWatch(Rig& screen, char c, int column) {
    const KeySym key = c == ' ' ? XK_space : KeySym(c);
    const uint64_t pressed = counterNow();
    sendKey(screen, key, true);
    uint64_t seen = 0;
    const uint64_t limit = pressed + 2 * SDL_GetPerformanceFrequency();
    while (seen == 0 && counterNow() < limit) {
        const char shown =
            readCell(screen, grabCell(screen, TextLeft + 8 * column, TypedLineTop), LessonText);
        if (shown == c) seen = counterNow();
        // A short rest between reads leaves the X server and the program the processor.
        if (seen == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    sendKey(screen, key, false);
    return seen == 0 ? 0 : seen - pressed;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t index = size_t(std::ceil(fraction * double(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

bool parseArguments(int argc, char** argv, int& keys, int& width, int& height, std::string& path,
                    bool& guide) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--guide") == 0) {
            guide = true;
        } else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
            path = argv[++i];
        } else if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            keys = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) return false;
        } else {
            return false;
        }
    }
    const int scale = width / ScreenWidth;
    return keys > 0 && scale > 0 && width == ScreenWidth * scale && height == ScreenHeight * scale;
}

}  // namespace

int main(int argc, char** argv) {
    int keys = 48;
    int width = ScreenWidth;
    int height = ScreenHeight;
    std::string path = QUENMORE_PROGRAM;
    bool guide = false;
    if (!parseArguments(argc, argv, keys, width, height, path, guide)) {
        std::fprintf(stderr, "usage: key_latency [--keys N] [--screen WIDTHxHEIGHT] [--program "
                             "PATH] [--guide], the screen a whole multiple of 320x180\n");
        return 2;
    }
    static Rig screen;
    screen.scale = width / ScreenWidth;
    if (!loadCharacterSheet(screen.sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr") ||
        !loadPalette(screen.palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal")) {
        std::fprintf(stderr, "key_latency: cannot read the asset files\n");
        return 1;
    }
    convertCharacterSheet(screen.sheet);

    char folderTemplate[] = "/tmp/quenmore-latency-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) return 1;
    const std::string folder = folderTemplate;
    if (guide) {
        // The data folder is XDG_DATA_HOME's, this folder.
        FILE* settings = std::fopen((folder + "/quenmoreSettings.ini").c_str(), "w");
        if (settings == nullptr || std::fputs("finger_guide = on\n", settings) < 0 ||
            std::fclose(settings) != 0) {
            std::fprintf(stderr, "key_latency: cannot write the settings file in %s\n",
                         folder.c_str());
            return 1;
        }
    }
    std::string error;
    if (!startXSession(screen.session, width, height, folder, error)) {
        std::fprintf(stderr, "key_latency: %s\n", error.c_str());
        return 1;
    }
    std::printf("X server: Xvfb %s, %dx%d, evilwm\n", screen.session.name.c_str(), width, height);
    ChildProcess program;
    if (!spawnProcess(program, {path},
                      {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "SDL_RENDER_DRIVER",
                       "DISPLAY=" + screen.session.name, "XDG_DATA_HOME=" + folder},
                      folder + "/program.log")) {
        std::fprintf(stderr, "key_latency: cannot start %s\n", path.c_str());
        return 1;
    }

    // The title, then lesson 1 from the menu; its intro waits for a key now and then.
    const bool inExercise =
        pressUntil(
            screen, XK_space, 2000,
            [&] { return readText(screen, 32, 32, 9, MenuText) == "Lesson 1:"; }, 60) &&
        pressUntil(
            screen, XK_Return, 250,
            [&] {
                return readText(screen, TextLeft, HeadingTop, 17, LessonText) ==
                       "Type these words:";
            },
            120);
    if (!inExercise) {
        std::fprintf(stderr, "key_latency: the exercise never showed; the program wrote:\n%s\n",
                     readFile(program.log).c_str());
        return 1;
    }

    const uint64_t period = framePeriod(SDL_GetPerformanceFrequency());
    std::vector<double> latencies;
    while (int(latencies.size()) < keys) {
        const std::string line = readText(screen, TextLeft, LineToTypeTop, 36, LessonText);
        if (line.size() < 2 || line.find(UnknownCell) != std::string::npos) {
            std::fprintf(stderr, "key_latency: cannot read the line to type (\"%s\")\n",
                         line.c_str());
            return 1;
        }
        // Every letter but the line's last is measured; the last one brings a fresh line.
        for (size_t column = 0; column + 1 < line.size(); ++column) {
            const char c = line[column];
            const bool measured = c != ' ' && int(latencies.size()) < keys;
            // Two frames after the last echo at least, at the next letter's phase.
            const uint64_t phase = period * latencies.size() / uint64_t(keys);
            uint64_t target = counterNow() + 2 * period;
            target += (phase + period - target % period) % period;
            if (measured) waitUntil(target);
            const uint64_t ticks = typeAndWatch(screen, c, int(column));
            if (ticks == 0) {
                std::fprintf(stderr, "key_latency: '%c' never showed in column %zu\n", c, column);
                return 1;
            }
            if (measured) latencies.push_back(milliseconds(ticks));
        }
        const char last = line.back();
        sendKey(screen, last == ' ' ? XK_space : KeySym(last), true);
        sendKey(screen, last == ' ' ? XK_space : KeySym(last), false);
        if (!pollUntil(
                [&] {
                    return readText(screen, TextLeft, TypedLineTop, 2, LessonText) ==
                           std::string(1, CursorCell);
                },
                10)) {
            std::fprintf(stderr, "key_latency: no fresh line after \"%s\"\n", line.c_str());
            return 1;
        }
    }

    double sum = 0;
    for (double latency : latencies) sum += latency;
    std::printf("key-to-screen latency over %zu letters at phases spread over the %.3f ms "
                "frame period, the finger guide %s:\n",
                latencies.size(), milliseconds(period), guide ? "on" : "off");
    std::printf("  min %.1f ms, median %.1f ms, p90 %.1f ms, max %.1f ms (mean %.1f ms)\n",
                *std::min_element(latencies.begin(), latencies.end()), percentile(latencies, 0.5),
                percentile(latencies, 0.9), *std::max_element(latencies.begin(), latencies.end()),
                sum / double(latencies.size()));
    stopProcess(program);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
