#include "engine/virtual_host.h"

namespace {

VirtualHost* active = nullptr;

}  // namespace

void VirtualHost::deliverNow(const SDL_Event& event) {
    queue.push_back(event);
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
    keys[event.key.keysym.scancode] = event.type == SDL_KEYDOWN ? 1 : 0;
    modifiers = event.key.keysym.mod;
}

void VirtualHost::deliver() {
    while (nextScripted < script.size() && script[nextScripted].first <= framesComposed)
        deliverNow(script[nextScripted++].second);
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
    host.terminationRequested = [] { return active->framesComposed >= active->terminationFrame; };
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
