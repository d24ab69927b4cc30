// A scripted host for the replay tool and the tests: a virtual clock that advances only while
// the program sleeps, events and key states delivered at chosen frame numbers, and a look at
// every composed frame. The program itself never links it.
#pragma once

#include "engine/host.h"
#include "engine/video_memory.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline SDL_Event keyEvent(uint32_t type, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod,
                          bool repeat = false) {
    SDL_Event event{};
    event.key = {type,
                 0,
                 0,
                 uint8_t(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED),
                 uint8_t(repeat),
                 0,
                 0,
                 {scancode, key, mod, 0}};
    return event;
}

struct VirtualHost {
    uint64_t counter = 0;        // the performance counter
    uint64_t frequency = 60000;  // ticks per second: 1000 ticks per frame
    uint64_t sleeps = 0;         // 1 ms sleeps taken
    uint64_t framesComposed = 0;
    int64_t calendarSeconds = 1700000000;
    std::string dataFolder;  // the best-times folder; empty: none (nothing is read or saved)
    uint64_t terminationFrame = UINT64_MAX;  // the system asks the program to end from here on
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    uint32_t modifiers = 0;
    // (frame, event) in frame order; delivered once that many frames have been composed
    std::vector<std::pair<uint64_t, SDL_Event>> script;
    size_t nextScripted = 0;
    std::deque<SDL_Event> queue;  // delivered, not yet polled
    std::function<void(const VideoMemory&)> onFrame;

    // Scripted events, delivered once their frame is due; events queued at once, for learners
    // reacting to what they see. Key events update the key state and modifiers as SDL does.
    void push(uint64_t frame, const SDL_Event& event) { script.push_back({frame, event}); }
    void keyDown(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0,
                 bool repeat = false) {
        push(frame, keyEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
    }
    void keyUp(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0) {
        push(frame, keyEvent(SDL_KEYUP, key, scancode, mod));
    }
    void quit(uint64_t frame) { push(frame, SDL_Event{SDL_QUIT}); }
    void deliver();
    void deliverNow(const SDL_Event& event);
    void pressNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0, bool repeat = false) {
        deliverNow(keyEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
    }
    void releaseNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0) {
        deliverNow(keyEvent(SDL_KEYUP, key, scancode, mod));
    }
    void quitNow() { deliverNow(SDL_Event{SDL_QUIT}); }
};

// Makes `host` call into the given virtual host until restoreHost.
void installVirtualHost(VirtualHost& virtualHost);
void restoreHost();
