// A scripted host for tests: a virtual clock that advances only while the program sleeps,
// events and key states delivered at chosen frame numbers, and a look at every composed frame.
#pragma once

#include "engine/host.h"
#include "engine/video_memory.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ScriptedEvent {
    uint64_t frame;  // delivered once this many frames have been composed
    SDL_Event event;
};

struct VirtualHost {
    uint64_t counter = 0;        // the performance counter
    uint64_t frequency = 60000;  // ticks per second: 1000 ticks per frame
    uint64_t sleeps = 0;         // 1 ms sleeps taken
    uint64_t framesComposed = 0;
    int64_t calendarSeconds = 1700000000;
    std::string dataFolder;  // the best-times folder; empty: none (nothing is read or saved)
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    uint32_t modifiers = 0;
    std::vector<ScriptedEvent> script;  // in frame order
    size_t nextScripted = 0;
    std::deque<SDL_Event> queue;  // delivered, not yet polled
    std::function<void(const VideoMemory&)> onFrame;

    // Scripted events; key events update the key state and modifiers when delivered, as SDL
    // does when it pumps events.
    void keyDown(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0,
                 bool repeat = false);
    void keyUp(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0);
    void quit(uint64_t frame);
    void push(uint64_t frame, const SDL_Event& event);
    void deliver();  // delivers every scripted event that is due
    // Events queued at once, for learners reacting to what they see.
    void pressNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0, bool repeat = false);
    void releaseNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0);
    void quitNow();
};

// Makes `host` call into the given virtual host until restoreHost.
void installVirtualHost(VirtualHost& virtualHost);
void restoreHost();
