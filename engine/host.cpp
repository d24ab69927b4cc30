#include "engine/host.h"

#include "platform/platform.h"

namespace {

const uint8_t* sdlKeyboardState(int* length) {
    return SDL_GetKeyboardState(length);
}
uint32_t sdlModState() {
    return uint32_t(SDL_GetModState());
}

}  // namespace

Host defaultHost() {
    Host functions{};
    functions.pollEvent = SDL_PollEvent;
    functions.keyboardState = sdlKeyboardState;
    functions.modState = sdlModState;
    functions.performanceCounter = SDL_GetPerformanceCounter;
    functions.performanceFrequency = SDL_GetPerformanceFrequency;
    functions.sleepMilliseconds = platform::sleepMilliseconds;
    functions.calendarSeconds = platform::calendarSeconds;
    functions.userDataFolder = platform::userDataFolder;
    functions.terminationRequested = platform::terminationRequested;
    functions.frameComposed = nullptr;
    functions.frameComposedData = nullptr;
    functions.framePresented = nullptr;
    return functions;
}

Host host = defaultHost();
