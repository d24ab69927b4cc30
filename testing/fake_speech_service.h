// A stand-in for speech-dispatcher on a Unix socket of a test's own, for the real-window
// tests and the latency benchmark: it speaks SSIP as the client library expects (every
// command answered with its reply code, texts taken between SPEAK and the lone dot) and
// records what it was sent, in order, with the moment each arrived. Point a program at it
// with SPEECHD_ADDRESS=unix_socket:PATH.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SpeechRequest {
    std::string text;  // "SPEAK text" for a message; otherwise the command line as sent
    std::chrono::steady_clock::time_point arrived;
};

struct FakeSpeechService {
    std::string path;
    int listening = -1;
    std::thread thread;
    std::mutex lock;
    std::condition_variable heard;
    std::vector<SpeechRequest> requests;
    bool stopping = false;

    ~FakeSpeechService();
    // Listens at `socketPath` (replacing whatever is there); false when it cannot.
    bool start(const std::string& socketPath);
    void stop();
    std::string address() const { return "unix_socket:" + path; }
    // The requests so far, and waits until `count` have come (false when `seconds` pass first).
    std::vector<SpeechRequest> received();
    size_t count();
    SpeechRequest last();  // the latest request (none: empty)
    bool waitFor(size_t count, double seconds);
    // The texts of the SPEAK requests and CANCEL SELF ("cancel"), in order.
    std::vector<std::string> utterances();
};
