// Frame pacing on a real display: the lesson menu runs with the real display output and the
// real clock, and the intervals between presented frames are measured. Without a DISPLAY
// the program starts its own X server (Xvfb) with a window manager.
//
//   build/release/bench/frame_pacing [--seconds N] [--screen WIDTHxHEIGHT]
//
// Reports the mean, median, 99th percentile and longest interval between presented frames,
// the frames dropped (intervals longer than 1.5 periods) and the ticks they missed, the time
// presenting takes, and the CPU share of this process and, when it runs one, of its X server.
#include "course/app/startup.h"
#include "course/screens/lesson_menu.h"
#include "engine/host.h"
#include "testing/x_session.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuSeconds();
double processCpuSeconds(pid_t pid);

struct Measurement {
    double seconds = 10;
    pid_t server = -1;  // the X server this program started, if any
    uint64_t startCounter = 0;
    uint64_t endCounter = 0;
    double cpuStart = 0, cpuEnd = 0;  // CPU seconds of this process
    double serverStart = 0, serverEnd = 0;
    bool menuPolled = false;  // the fade-in is over: the menu reads its events
    bool escapeSent = false;
    std::vector<uint64_t> presented;   // counter values right after each presented frame
    std::vector<uint64_t> presenting;  // the time each took to present
    uint64_t lastCounterRead = 0;
    uint64_t composedCounter = 0;                    // when the last frame was composed
    std::chrono::steady_clock::time_point launched;  // before start-up
    double firstFrameSeconds = 0;                    // start-up until the first frame was composed
};

Measurement measurement;

// A frame was composed; showFrame goes on to upload and present it and to wait for the tick.
void frameComposed(const VideoMemory&, void*) {
    measurement.composedCounter = SDL_GetPerformanceCounter();
    if (measurement.firstFrameSeconds == 0) {
        measurement.firstFrameSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - measurement.launched)
                .count();
    }
}

// The frame wait reads the counter last when the new tick has come.
uint64_t performanceCounter() {
    measurement.lastCounterRead = SDL_GetPerformanceCounter();
    return measurement.lastCounterRead;
}

// The moment a frame went to the screen. Presenting is timed from whichever came later, the
// end of the frame wait or the composed frame (which adds the upload, a block copy).
void framePresented() {
    const uint64_t now = SDL_GetPerformanceCounter();
    if (!measurement.menuPolled || measurement.escapeSent) return;
    if (measurement.startCounter == 0) {
        measurement.startCounter = now;
        measurement.cpuStart = cpuSeconds();
        measurement.serverStart = processCpuSeconds(measurement.server);
    }
    measurement.presented.push_back(now);
    measurement.presenting.push_back(
        now - std::max(measurement.lastCounterRead, measurement.composedCounter));
}

// Once the time is up, the next poll brings an Escape.
int pollEvent(SDL_Event* event) {
    const uint64_t now = SDL_GetPerformanceCounter();
    measurement.menuPolled = true;
    const double elapsed =
        double(now - measurement.startCounter) / double(SDL_GetPerformanceFrequency());
    if (measurement.startCounter != 0 && elapsed >= measurement.seconds &&
        !measurement.escapeSent) {
        measurement.escapeSent = true;
        measurement.endCounter = now;
        measurement.cpuEnd = cpuSeconds();
        measurement.serverEnd = processCpuSeconds(measurement.server);
        SDL_Event escape{};
        escape.type = SDL_KEYDOWN;
        escape.key.state = SDL_PRESSED;
        escape.key.keysym.sym = SDLK_ESCAPE;
        escape.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
        if (event != nullptr) *event = escape;
        return 1;
    }
    return SDL_PollEvent(event);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU time of another process, from /proc; 0 when unknown.
double processCpuSeconds(pid_t pid) {
    if (pid <= 0) return 0;
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    // Fields after the command: state is field 3; utime and stime are fields 14 and 15.
    const char* fields = text.c_str() + close + 2;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    if (std::sscanf(fields, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2) {
        return 0;
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = size_t(std::ceil(fraction * double(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

bool parseArguments(int argc, char** argv, int& width, int& height) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            measurement.seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) return false;
        } else {
            return false;
        }
    }
    return measurement.seconds > 0 && width > 0 && height > 0;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 1920;
    int height = 1080;
    if (!parseArguments(argc, argv, width, height)) {
        std::fprintf(stderr, "usage: frame_pacing [--seconds N] [--screen WIDTHxHEIGHT]\n");
        return 2;
    }

    // The program's own data folder stays untouched: the best times come from a fresh one.
    char dataTemplate[] = "/tmp/quenmore-pacing-XXXXXX";
    if (mkdtemp(dataTemplate) == nullptr) return 1;
    const std::string dataFolder = dataTemplate;
    setenv("XDG_DATA_HOME", dataFolder.c_str(), 1);

    XSession session;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::string error;
        if (!startXSession(session, width, height, dataFolder, error)) {
            std::fprintf(stderr, "frame_pacing: %s\n", error.c_str());
            return 1;
        }
        setenv("DISPLAY", session.name.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        std::printf("X server: Xvfb %s, %dx%d, evilwm\n", session.name.c_str(), width, height);
    } else {
        std::printf("X server: %s\n", display);
    }

    static VideoState video{};
    static LessonMenu menu{};
    StartupFailure failure{};
    measurement.launched = std::chrono::steady_clock::now();
    if (!startUp(video, Settings{}, failure)) {
        std::fprintf(stderr, "%s\n", failure.message.c_str());
        return 1;
    }
    SDL_RendererInfo renderer{};
    SDL_GetRendererInfo(video.display.renderer, &renderer);
    std::printf("SDL video driver %s, renderer %s\n", SDL_GetCurrentVideoDriver(), renderer.name);

    measurement.server = session.server.pid;
    host.pollEvent = pollEvent;
    host.performanceCounter = performanceCounter;
    host.frameComposed = frameComposed;
    host.framePresented = framePresented;
    setUpLessonMenu(video, menu);
    // Returns after the Escape sent once the time is up, and the fade to black.
    runLessonMenu(menu);

    // Only the menu's own frames count, not its fades.
    const std::vector<uint64_t>& presented = measurement.presented;
    const double frequency = double(SDL_GetPerformanceFrequency());
    const double period = 1000.0 / FramesPerSecond;
    std::vector<double> intervals;
    for (size_t i = 1; i < presented.size(); ++i) {
        intervals.push_back(double(presented[i] - presented[i - 1]) * 1000.0 / frequency);
    }
    std::vector<double> presentTimes;
    for (uint64_t ticks : measurement.presenting)
        presentTimes.push_back(double(ticks) * 1000.0 / frequency);
    double sum = 0;
    int dropped = 0;
    long missedTicks = 0;
    for (double interval : intervals) {
        sum += interval;
        if (interval > 1.5 * period) {
            ++dropped;
            missedTicks += std::lround(interval / period) - 1;
        }
    }
    const double wall = double(measurement.endCounter - measurement.startCounter) / frequency;
    const double mean = intervals.empty() ? 0 : sum / double(intervals.size());

    std::printf("start-up (SDL, window, renderer, assets) to the first composed frame: %.3f s\n",
                measurement.firstFrameSeconds);
    std::printf("menu frames presented: %zu in %.2f s (%.2f per second)\n", presented.size(),
                sum / 1000.0, intervals.empty() ? 0.0 : 1000.0 / mean);
    std::printf("interval between presented frames (period %.3f ms):\n", period);
    std::printf("  mean %.3f ms, median %.3f ms, p99 %.3f ms, max %.3f ms\n", mean,
                percentile(intervals, 0.5), percentile(intervals, 0.99),
                intervals.empty() ? 0.0 : *std::max_element(intervals.begin(), intervals.end()));
    std::printf("  dropped frames (interval > 1.5 periods): %d, ticks missed: %ld\n", dropped,
                missedTicks);
    std::printf("time spent presenting a frame: median %.3f ms, p99 %.3f ms\n",
                percentile(presentTimes, 0.5), percentile(presentTimes, 0.99));
    std::printf("CPU share over %.2f s (one core = 100%%): this process %.1f%%", wall,
                100.0 * (measurement.cpuEnd - measurement.cpuStart) / wall);
    if (measurement.server > 0) {
        std::printf(", X server %.1f%%",
                    100.0 * (measurement.serverEnd - measurement.serverStart) / wall);
    }
    std::printf("\n");

    SDL_DestroyWindow(video.window);
    SDL_Quit();
    std::error_code ignored;
    std::filesystem::remove_all(dataFolder, ignored);
    return 0;
}
