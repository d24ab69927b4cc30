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
    // Sound. Opens SDL's audio output as SDL_OpenAudioDevice does (the default device, its
    // buffer size free to change), starting SDL's audio first when it is not running; 0 when
    // none opens. Tests open none, or a device of SDL's disk driver that they hold still
    // until the run is over.
    SDL_AudioDeviceID (*openAudioDevice)(const SDL_AudioSpec* wanted, SDL_AudioSpec* obtained);
    // The sample at which a sound asked for now starts, counted as the output's own samples
    // from its opening: 0 in the program, where every sound starts with the next buffer
    // mixed; the scripted time in tests, so that a sound lands on the samples of its frame.
    uint64_t (*soundClock)();
    // Called from SDL's audio thread with every buffer mixed, before SDL takes it, as the
    // output was opened; null in the program.
    void (*soundMixed)(const int16_t* samples, int32_t count);
    // The voice (speech-dispatcher, SAPI), which works on a thread of its own, so that each of
    // these returns at once. openVoice reaches it, false (said on stderr) when there is none;
    // speak says a UTF-8 text in a language ("en", "de", "fr"), cutting off whatever was being
    // said; silence stops at once; voiceRate sets the rate, -10 to 10 (0: the voice's own).
    bool (*openVoice)();
    void (*speak)(const char* text, const char* language);
    void (*silence)();
    void (*voiceRate)(int32_t rate);
};

// The functions the program runs with: SDL and the platform layer.
Host defaultHost();

// The host in use. The program's only global.
extern Host host;
