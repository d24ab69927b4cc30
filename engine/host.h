// The host: the one seam between the program and the outside world's input and time.
// Screens never call SDL for events, key state or time directly; they go through `host`,
// whose defaults call SDL and the platform layer. Tests install scripted functions and a
// virtual clock, so whole journeys run headless and deterministic.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

struct VideoMemory;

// The characters (Unicode) that one key types alone, with Shift and with AltGr; a dead key
// gives its accent, 0 stands for none. `dead` has a bit per level whose character is a dead
// key's, which writes nothing itself but puts its accent on the letter typed next.
constexpr uint8_t DeadAlone = 1, DeadShifted = 2, DeadAltGr = 4;
struct LayoutCharacters {
    uint32_t alone;
    uint32_t shifted;
    uint32_t altGr;
    uint8_t dead;
};

struct Host {
    int (*pollEvent)(SDL_Event* event);            // SDL_PollEvent
    const uint8_t* (*keyboardState)(int* length);  // SDL_GetKeyboardState
    uint32_t (*modState)();                        // SDL_GetModState
    // The active keyboard layout's characters for `count` keys given by SDL scancode. False
    // when only the characters alone are known (SDL_GetKeyFromScancode).
    bool (*readLayout)(const uint32_t* scancodes, int count, LayoutCharacters* characters);
    // The active layout's name as the system gives it (platform::keyboardLayoutName).
    bool (*layoutName)(std::string& name);
    void (*textInput)(bool on);                        // SDL_StartTextInput / SDL_StopTextInput
    uint64_t (*performanceCounter)();                  // SDL_GetPerformanceCounter
    uint64_t (*performanceFrequency)();                // SDL_GetPerformanceFrequency
    void (*sleepMilliseconds)(uint32_t milliseconds);  // the frame wait's sleep
    int64_t (*calendarSeconds)();                      // seeds the word lines
    bool (*userDataFolder)(std::string& folder);       // where the best times are kept
    bool (*terminationRequested)();  // the system asked the program to end (a signal, a logout)
    // Called with every composed frame, before it is uploaded; null in the program.
    void (*frameComposed)(const VideoMemory& memory, void* data);
    void* frameComposedData;
    // Called right after every frame is presented, before the wait for the next tick; null
    // in the program.
    void (*framePresented)();
};

// The functions the program runs with: SDL and the platform layer.
Host defaultHost();

// The host in use. The program's only global.
extern Host host;
