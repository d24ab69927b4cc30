#include "tests/support/virtual_host.h"

namespace {

VirtualHost* active = nullptr;

SDL_Event keyEvent(uint32_t type, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod,
                   bool repeat) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

int pollEvent(SDL_Event* event) {
    active->deliver();
    if (active->queue.empty()) return 0;
    if (event != nullptr) {
        *event = active->queue.front();
        active->queue.pop_front();
    }
    return 1;
}

const uint8_t* keyboardState(int* length) {
    active->deliver();
    if (length != nullptr) *length = SDL_NUM_SCANCODES;
    return active->keys;
}

uint32_t modState() {
    return active->modifiers;
}
uint64_t performanceCounter() {
    return active->counter;
}
uint64_t performanceFrequency() {
    return active->frequency;
}

void sleepMilliseconds(uint32_t milliseconds) {
    active->counter += active->frequency / 1000 * milliseconds;
    active->sleeps += 1;
}

int64_t calendarSeconds() {
    return active->calendarSeconds;
}

bool userDataFolder(std::string& folder) {
    folder = active->dataFolder;
    return !folder.empty();
}

void frameComposed(const VideoMemory& memory, void*) {
    active->framesComposed += 1;
    if (active->onFrame) active->onFrame(memory);
}

}  // namespace

void VirtualHost::push(uint64_t frame, const SDL_Event& event) {
    script.push_back({frame, event});
}

void VirtualHost::keyDown(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod,
                          bool repeat) {
    push(frame, keyEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
}

void VirtualHost::keyUp(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
    push(frame, keyEvent(SDL_KEYUP, key, scancode, mod, false));
}

void VirtualHost::quit(uint64_t frame) {
    SDL_Event event{};
    event.type = SDL_QUIT;
    push(frame, event);
}

void VirtualHost::pressNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod, bool repeat) {
    keys[scancode] = 1;
    modifiers = mod;
    queue.push_back(keyEvent(SDL_KEYDOWN, key, scancode, mod, repeat));
}

void VirtualHost::releaseNow(SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
    keys[scancode] = 0;
    modifiers = mod;
    queue.push_back(keyEvent(SDL_KEYUP, key, scancode, mod, false));
}

void VirtualHost::quitNow() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    queue.push_back(event);
}

void VirtualHost::deliver() {
    while (nextScripted < script.size() && script[nextScripted].frame <= framesComposed) {
        const SDL_Event& event = script[nextScripted].event;
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
            keys[event.key.keysym.scancode] = event.type == SDL_KEYDOWN ? 1 : 0;
            modifiers = event.key.keysym.mod;
        }
        queue.push_back(event);
        ++nextScripted;
    }
}

void installVirtualHost(VirtualHost& virtualHost) {
    active = &virtualHost;
    host.pollEvent = pollEvent;
    host.keyboardState = keyboardState;
    host.modState = modState;
    host.performanceCounter = performanceCounter;
    host.performanceFrequency = performanceFrequency;
    host.sleepMilliseconds = sleepMilliseconds;
    host.calendarSeconds = calendarSeconds;
    host.userDataFolder = userDataFolder;
    host.frameComposed = frameComposed;
    host.frameComposedData = nullptr;
}

void restoreHost() {
    host = defaultHost();
    active = nullptr;
}
