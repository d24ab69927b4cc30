// How soon a request to speak leaves the program: the cost of a say() on the frame's thread
// (the request handed to the voice's thread), and the time from that call until the text has
// arrived at the speech service's socket (a stand-in for speech-dispatcher that answers SSIP
// at once, so what is measured is the program's side: the hand-over, the client library and
// the socket). The goal: well inside the frame in which the key is judged (16.7 ms).
#include "engine/display.h"
#include "engine/speech.h"
#include "platform/voice.h"
#include "testing/fake_speech_service.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

FakeSpeechService& service() {
    static FakeSpeechService fake;
    static const bool started = [] {
        const std::string path =
            (std::filesystem::temp_directory_path() / "quenmore-speech-bench.sock").string();
        if (!fake.start(path)) return false;
        setenv("SPEECHD_ADDRESS", fake.address().c_str(), 1);
        return platform::openVoice();
    }();
    if (!started) std::fprintf(stderr, "speech_latency: the stand-in service did not start\n");
    return fake;
}

// From the call to the text's arrival at the service's socket, one request at a time.
void speakToTheSocket(benchmark::State& state) {
    FakeSpeechService& fake = service();
    for (auto _ : state) {
        const size_t before = fake.count();
        const auto start = std::chrono::steady_clock::now();
        platform::speak("Line 3 of 10. fa, sass, a, sag, ad, as, fad, ads, fa, gas", "en");
        // The priority, the SPEAK command and the text itself.
        if (!fake.waitFor(before + 3, 5)) {
            state.SkipWithError("the text never arrived");
            break;
        }
        const auto arrived = fake.last().arrived;
        state.SetIterationTime(std::chrono::duration<double>(arrived - start).count());
    }
}
BENCHMARK(speakToTheSocket)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The frame's side: say() with speech on, as the exercise calls it after an error.
void sayOnTheFramesThread(benchmark::State& state) {
    service();
    auto video = std::make_unique<VideoState>();
    video->speech.on = true;
    for (auto _ : state) {
        hush(*video);
        say(*video, "capital F");
    }
}
BENCHMARK(sayOnTheFramesThread);

}  // namespace

BENCHMARK_MAIN();
