// Waiting for something to appear on a real screen: check often, give up late. The program
// runs on the real clock, so the only sound way to wait for it is to look again.
#pragma once

#include <chrono>
#include <thread>

// Calls `condition` every `intervalMs` milliseconds until it holds (true) or `seconds` have
// passed (false).
template <typename Condition>
bool pollUntil(Condition condition, double seconds, int intervalMs = 5) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
}
