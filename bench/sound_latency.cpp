// Key-to-sound latency: the lesson exercise runs in real time, paced as the program paces it,
// with the sound on through the program's own output (SDL's driver: DirectSound on Windows,
// else what SDL finds or SDL_AUDIODRIVER names). Key presses of the line's letters arrive
// at moments spread over the frame period; for each, the time from its arrival, and from the
// frame that reads and judges it, to the end of the audio callback that hands SDL the first
// buffer holding its click (which starts at that buffer's first sample).
//
//   sound_latency [--keys N] [--pulse]
//
// N keys (default 48), one every 200 ms. --pulse (not on Windows) first starts a PulseAudio
// server of its own with a null sink at 48 kHz on a private socket, and plays into it; under
// Wine, give the Windows build a server's socket in PULSE_SERVER instead. Prints the driver,
// the buffer SDL gave and the minimum, median, 90th percentile and maximum of both times.
#include "course/common/sounds.h"
#include "course/lesson/lesson_run.h"
#include "course/lesson/lesson_screen.h"
#include "course/screens/options_screen.h"
#include "engine/display.h"
#include "engine/host.h"

#ifndef _WIN32
#include "testing/x_session.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#endif

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* Line = "asdf jkl; asdf jkl; asdf jkl; fjdk";

struct Schedule {
    int keys = 48;
    std::vector<uint64_t> arrives, judged;  // counter readings
    std::vector<std::atomic<uint64_t>> heard;
    int next = 0;  // the next key to arrive
    bool textPending = false;
    std::atomic<int> awaited{-1};  // the key whose click the callback looks for
    uint64_t escapeAt = 0;
};
Schedule schedule;

uint8_t noKeys[SDL_NUM_SCANCODES] = {};

int scriptedPoll(SDL_Event* event) {
    const uint64_t now = SDL_GetPerformanceCounter();
    Schedule& s = schedule;
    if (s.textPending) {  // the key's text follows its press, as SDL gives it
        s.textPending = false;
        *event = SDL_Event{};
        event->text.type = SDL_TEXTINPUT;
        event->text.text[0] = Line[s.next % int(std::strlen(Line))];
        ++s.next;
        return 1;
    }
    if (s.next < s.keys && now >= s.arrives[size_t(s.next)]) {
        *event = SDL_Event{};
        event->key.type = SDL_KEYDOWN;
        event->key.keysym.scancode = SDL_SCANCODE_A;
        s.judged[size_t(s.next)] = now;
        s.awaited.store(s.next);
        s.textPending = true;
        return 1;
    }
    if (s.next == s.keys && now >= s.escapeAt) {
        *event = SDL_Event{};
        event->key.type = SDL_KEYDOWN;
        event->key.keysym.sym = SDLK_ESCAPE;
        s.next += 1;
        return 1;
    }
    return 0;
}

// SDL's audio thread, after every buffer mixed.
// When each callback ended, for the intervals between them: a gap much longer than a
// buffer is a buffer the device played late, or not at all.
constexpr int MostCallbacks = 1 << 16;
uint64_t callbackEnds[MostCallbacks];
std::atomic<int> callbacks{0};

void listen(const int16_t* samples, int32_t count) {
    const int callback = callbacks.load(std::memory_order_relaxed);
    if (callback < MostCallbacks) {
        callbackEnds[callback] = SDL_GetPerformanceCounter();
        callbacks.store(callback + 1, std::memory_order_release);
    }
    const int key = schedule.awaited.load();
    if (key < 0) return;
    for (int32_t i = 0; i < count; ++i) {
        if (samples[i] == 0) continue;
        schedule.heard[size_t(key)].store(SDL_GetPerformanceCounter());
        schedule.awaited.store(-1);
        return;
    }
}

struct Figures {
    double least, median, ninetieth, most;
};

Figures figuresOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) return {};
    const auto at = [&](double part) { return values[size_t(part * double(values.size() - 1))]; };
    return {values.front(), at(0.5), at(0.9), values.back()};
}

}  // namespace

int main(int argc, char* argv[]) {
    bool pulse = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            schedule.keys = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--pulse") == 0) {
            pulse = true;
        } else {
            std::fprintf(stderr, "usage: sound_latency [--keys N] [--pulse]\n");
            return 2;
        }
    }
#ifndef _WIN32
    ChildProcess server;
    const std::string folder = (std::filesystem::temp_directory_path() /
                                ("quenmore-sound-latency-" + std::to_string(getpid())))
                                   .string();
    if (pulse) {
        std::filesystem::create_directories(folder);
        const std::string socket = folder + "/native";
        spawnProcess(server,
                     {"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1",
                      "--disable-shm=yes", "--load=module-null-sink rate=48000",
                      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket},
                     {"HOME=" + folder, "XDG_RUNTIME_DIR=" + folder}, folder + "/pulseaudio.log");
        if (!pollUntil([&] { return std::filesystem::exists(socket); }, 20)) {
            std::fprintf(stderr, "sound_latency: PulseAudio did not start: %s\n",
                         readFile(folder + "/pulseaudio.log").c_str());
            return 1;
        }
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    }
#else
    if (pulse) std::fprintf(stderr, "sound_latency: --pulse is for Linux; ignored\n");
#endif
    chooseSoundDriver();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "sound_latency: SDL could not start: %s\n", SDL_GetError());
        return 1;
    }
    static VideoState video{};
    initVideoMemory(video.memory);
    allocateFramebuffer(video.memory);
    video.memory.width = 1;  // one column a frame: the composer costs next to nothing
    video.framePeriod = framePeriod(SDL_GetPerformanceFrequency());

    host.pollEvent = scriptedPoll;
    host.keyboardState = [](int* length) -> const uint8_t* {
        if (length != nullptr) *length = SDL_NUM_SCANCODES;
        return noKeys;
    };
    host.modState = [] { return uint32_t(0); };
    host.readLayout = [](const uint32_t*, int count, LayoutCharacters* characters) {
        std::fill(characters, characters + count, LayoutCharacters{});
        return true;
    };
    host.textInput = [](bool) {};
    host.userDataFolder = [](std::string&) { return false; };
    host.terminationRequested = [] { return false; };
    host.soundMixed = listen;

    static LessonScreen screen{};
    static const Intro intro;
    const char* words = Line;
    setUpLessonScreen(video, screen, &words, 1, "Latency", &intro);
    for (char* line : screen.lines) std::snprintf(line, LineStride, "%s", Line);

    Settings settings;
    settings.sound = SoundMode::All;
    CueSounds sounds{&video.sound, &settings.sound};
    listenToCues(playCueSound, &sounds);
    applySoundChoice(video, settings);
    if (video.sound.device == 0) return 1;

    const uint64_t frequency = SDL_GetPerformanceFrequency();
    // Keys from 3 s on: after the fade-in, and after a sound server has settled.
    // Keys from 3 s on: after the fade-in, and after the device has settled (PulseAudio's null
    // sink takes up to 2 s to ask for more than its first buffers).
    const uint64_t start = SDL_GetPerformanceCounter() + frequency * 3;
    const uint64_t period = video.framePeriod;
    schedule.arrives.resize(size_t(schedule.keys));
    schedule.judged.resize(size_t(schedule.keys));
    schedule.heard = std::vector<std::atomic<uint64_t>>(size_t(schedule.keys));
    for (int k = 0; k < schedule.keys; ++k) {
        schedule.arrives[size_t(k)] = start + uint64_t(k) * frequency / 5 +
                                      period * uint64_t(k * 7 % 16) / 16;  // over the period
    }
    schedule.escapeAt = schedule.arrives.back() + frequency / 2;
    auto run = std::make_unique<LessonRun>();
    playLesson(*run, screen);
    closeSoundOutput(video.sound);

    std::vector<double> fromKey, fromFrame;
    int missed = 0;
    const auto ms = [&](uint64_t ticks) { return double(ticks) * 1000.0 / double(frequency); };
    for (int k = 0; k < schedule.keys; ++k) {
        const uint64_t heard = schedule.heard[size_t(k)].load();
        if (heard == 0) {
            ++missed;
            continue;
        }
        fromKey.push_back(ms(heard - schedule.arrives[size_t(k)]));
        fromFrame.push_back(ms(heard - schedule.judged[size_t(k)]));
    }
    const double buffer = 1000.0 * video.sound.bufferSamples / SoundRate;
    std::printf("driver %s, buffer %d samples (%.1f ms), %d keys, %d unheard\n",
                SDL_GetCurrentAudioDriver() != nullptr ? SDL_GetCurrentAudioDriver() : "none",
                int(video.sound.bufferSamples), buffer, schedule.keys, missed);
    const auto print = [&](const char* what, const std::vector<double>& values) {
        const Figures f = figuresOf(values);
        const long within =
            std::count_if(values.begin(), values.end(), [&](double v) { return v <= buffer; });
        std::printf("%-34s min %6.2f  median %6.2f  p90 %6.2f  max %6.2f ms; %ld of %zu within "
                    "one buffer\n",
                    what, f.least, f.median, f.ninetieth, f.most, within, values.size());
    };
    print("key judged -> first sample to SDL", fromFrame);
    print("key arrived -> first sample to SDL", fromKey);
    std::vector<double> gaps;
    for (int c = 1; c < callbacks.load(); ++c) {
        if (callbackEnds[c - 1] >= schedule.arrives.front())
            gaps.push_back(ms(callbackEnds[c] - callbackEnds[c - 1]));
    }
    const Figures g = figuresOf(gaps);
    const long late =
        std::count_if(gaps.begin(), gaps.end(), [&](double v) { return v > 2 * buffer; });
    std::printf("%-34s min %6.2f  median %6.2f  p90 %6.2f  max %6.2f ms; %ld of %zu over two "
                "buffers\n",
                "between callbacks, while typing", g.least, g.median, g.ninetieth, g.most, late,
                gaps.size());
    SDL_Quit();
#ifndef _WIN32
    if (pulse) {
        stopProcess(server);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
#endif
    return missed == 0 ? 0 : 1;
}
