#include "tests/support/virtual_host.h"

namespace {

VirtualHost* active = nullptr;

SDL_Event makeEvent(uint32_t type, SDL_Keycode key = 0,
                    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, uint16_t mod = 0,
                    bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

// Queues an event, updating the key state and modifiers as SDL does when it pumps it.
void deliverNow(VirtualHost& virtualHost, const SDL_Event& event) {
    virtualHost.queue.push_back(event);
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
    virtualHost.keys[event.key.keysym.scancode] = event.type == SDL_KEYDOWN ? 1 : 0;
    virtualHost.modifiers = event.key.keysym.mod;
}

}  // namespace

void VirtualHost::push(uint64_t frame, const SDL_Event& scripted) {
    script.push_back({frame, scripted});
}

void VirtualHost::keyDown(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod,
                          bool repeat) {
    push(frame, makeEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
}

void VirtualHost::keyUp(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
    push(frame, makeEvent(SDL_KEYUP, key, scancode, mod));
}

void VirtualHost::quit(uint64_t frame) {
    push(frame, makeEvent(SDL_QUIT));
}

void VirtualHost::pressNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod, bool repeat) {
    deliverNow(*this, makeEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
}

void VirtualHost::releaseNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
    deliverNow(*this, makeEvent(SDL_KEYUP, key, scancode, mod));
}

void VirtualHost::quitNow() {
    deliverNow(*this, makeEvent(SDL_QUIT));
}

void VirtualHost::deliver() {
    while (nextScripted < script.size() && script[nextScripted].frame <= framesComposed) {
        deliverNow(*this, script[nextScripted++].event);
    }
}

void installVirtualHost(VirtualHost& virtualHost) {
    active = &virtualHost;
    host.pollEvent = [](SDL_Event* event) {
        active->deliver();
        if (active->queue.empty()) return 0;
        if (event == nullptr) return 1;  // a look without taking the event
        *event = active->queue.front();
        active->queue.pop_front();
        return 1;
    };
    host.keyboardState = [](int* length) -> const uint8_t* {
        active->deliver();
        if (length != nullptr) *length = SDL_NUM_SCANCODES;
        return active->keys;
    };
    host.modState = [] { return active->modifiers; };
    host.performanceCounter = [] { return active->counter; };
    host.performanceFrequency = [] { return active->frequency; };
    host.sleepMilliseconds = [](uint32_t milliseconds) {
        active->counter += active->frequency / 1000 * milliseconds;
        active->sleeps += 1;
    };
    host.calendarSeconds = [] { return active->calendarSeconds; };
    host.userDataFolder = [](std::string& folder) {
        folder = active->dataFolder;
        return !folder.empty();
    };
    host.frameComposed = [](const VideoMemory& memory, void*) {
        active->framesComposed += 1;
        if (active->onFrame) active->onFrame(memory);
    };
    host.frameComposedData = nullptr;
}

void restoreHost() {
    host = defaultHost();
    active = nullptr;
}
