// A scripted host for the replay tool and the tests: a virtual clock that advances only while
// the program sleeps, events and key states delivered at chosen frame numbers, and a look at
// every composed frame. The program itself never links it.
#pragma once

#include "engine/host.h"
#include "engine/video_memory.h"

#include <cstdint>
#include <cstdio>
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

// A keyboard layout as the system would give it: per key, what it types alone, with Shift and
// with AltGr (a space: nothing). A combining accent (U+0300 to U+036F) stands for a dead key
// of that accent, which the system composes with the key that follows.
struct SimulatedKey {
    SDL_Scancode scancode;
    char32_t alone, shifted, altGr;
};
using SimulatedLayout = std::vector<SimulatedKey>;
const SimulatedLayout& usLayout();
const SimulatedLayout& germanLayout();  // with the key between left Shift and Z
const SimulatedLayout& frenchLayout();
const SimulatedLayout& dvorakLayout();
const SimulatedLayout& colemakLayout();
// The name X gives the layout: "us", "de", "fr", "us(dvorak)", "us(colemak)".
const char* simulatedLayoutName(const SimulatedLayout& layout);

// A key with its modifiers (KMOD_RALT for AltGr), as the learner presses it.
struct SimulatedKeystroke {
    SDL_Scancode scancode;
    uint16_t mod;
};
// The presses that type `c` in `layout` (straight, or a dead key and the key that composes
// with it); empty when the layout cannot type it.
std::vector<SimulatedKeystroke> simulatedKeystrokes(const SimulatedLayout& layout, char32_t c);

inline SDL_Event textEvent(const char* utf8) {
    SDL_Event event{};
    event.text.type = SDL_TEXTINPUT;
    std::snprintf(event.text.text, sizeof event.text.text, "%s", utf8);
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
    // While text input is on, a key press delivered also delivers the text the layout makes
    // of it, as SDL does.
    const SimulatedLayout* layout = &usLayout();
    // The layout's name as the system reports it; empty: the simulated layout's own name.
    std::string layoutName;
    bool textInputOn = true;
    char32_t deadKey = 0;  // a dead key's accent waiting for the next key
    std::vector<std::pair<uint64_t, const SimulatedLayout*>> layoutChanges;  // (frame, layout)
    // (frame, event) in frame order; delivered once that many frames have been composed
    std::vector<std::pair<uint64_t, SDL_Event>> script;
    size_t nextScripted = 0;
    std::deque<SDL_Event> queue;  // delivered, not yet polled
    std::function<void(const VideoMemory&)> onFrame;
    // Sound: the program's asks for an audio device, and whether they get one (SDL's, of the
    // driver SDL is running, such as its disk driver). A device given is held still from its
    // opening until releaseSound: its callback mixes nothing before the run has asked for
    // all its sounds, each at the virtual time it was asked for.
    int soundOpens = 0;
    bool openSound = false;
    SDL_AudioDeviceID heldSound = 0;
    void releaseSound() {
        if (heldSound != 0) SDL_UnlockAudioDevice(heldSound);
        heldSound = 0;
    }
    // The voice: what it was asked, in order ("en: TEXT" for a text, "cancel", "rate N"), and
    // whether it can be reached.
    std::vector<std::string> voice;
    bool voiceReachable = true;

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
    // The layout becomes `next` at `frame`, which SDL reports with SDL_KEYMAPCHANGED or, where
    // the system does not tell, the window learns only when it gains the focus again.
    void changeLayout(uint64_t frame, const SimulatedLayout& next, bool reported = true) {
        layoutChanges.push_back({frame, &next});
        SDL_Event event{reported ? SDL_KEYMAPCHANGED : SDL_WINDOWEVENT};
        event.window.event = reported ? 0 : SDL_WINDOWEVENT_FOCUS_GAINED;
        push(frame, event);
    }
    // Presses and releases the keys that type `text` at `frame`, in the layout of that frame.
    void typeText(uint64_t frame, const std::u32string& text);
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
