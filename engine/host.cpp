#include "engine/host.h"

#include "platform/platform.h"
#include "platform/voice.h"

namespace {

const uint8_t* sdlKeyboardState(int* length) {
    return SDL_GetKeyboardState(length);
}
uint32_t sdlModState() {
    return uint32_t(SDL_GetModState());
}

// The PC keyboard's scan code (set 1) of the keys of the main block, which is also the key's
// Linux input code: the systems' layouts are looked up by it. 0 for keys outside the block.
int pcScanCode(uint32_t scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        // A to Z.
        constexpr uint8_t Letters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                         49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
        return Letters[scancode - SDL_SCANCODE_A];
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
        return int(scancode - SDL_SCANCODE_1) + 2;
    switch (scancode) {
    case SDL_SCANCODE_MINUS: return 12;
    case SDL_SCANCODE_EQUALS: return 13;
    case SDL_SCANCODE_LEFTBRACKET: return 26;
    case SDL_SCANCODE_RIGHTBRACKET: return 27;
    case SDL_SCANCODE_SEMICOLON: return 39;
    case SDL_SCANCODE_APOSTROPHE: return 40;
    case SDL_SCANCODE_GRAVE: return 41;
    case SDL_SCANCODE_BACKSLASH: return 43;
    case SDL_SCANCODE_COMMA: return 51;
    case SDL_SCANCODE_PERIOD: return 52;
    case SDL_SCANCODE_SLASH: return 53;
    case SDL_SCANCODE_SPACE: return 57;
    case SDL_SCANCODE_NONUSBACKSLASH: return 86;
    default: return 0;
    }
}

// Asks the system for every level of every key; where it cannot tell, SDL knows the
// characters alone.
bool readSystemLayout(const uint32_t* scancodes, int count, LayoutCharacters* characters) {
    constexpr int MostKeys = 64;
    int codes[MostKeys] = {};
    uint32_t levels[MostKeys][3] = {};
    uint8_t dead[MostKeys] = {};
    count = count < MostKeys ? count : MostKeys;
    for (int i = 0; i < count; ++i) codes[i] = pcScanCode(scancodes[i]);
    if (platform::keyboardLayout(codes, count, levels, dead)) {
        for (int i = 0; i < count; ++i)
            characters[i] = {levels[i][0], levels[i][1], levels[i][2], dead[i]};
        return true;
    }
    for (int i = 0; i < count; ++i) {
        const SDL_Keycode key = SDL_GetKeyFromScancode(SDL_Scancode(scancodes[i]));
        const bool character = key >= SDLK_SPACE && (key & SDLK_SCANCODE_MASK) == 0;
        characters[i] = {character ? uint32_t(key) : 0, 0, 0, 0};
    }
    return false;
}

void sdlTextInput(bool on) {
    on ? SDL_StartTextInput() : SDL_StopTextInput();
}

SDL_AudioDeviceID openSdlAudio(const SDL_AudioSpec* wanted, SDL_AudioSpec* obtained) {
    if (SDL_GetCurrentAudioDriver() == nullptr && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    return SDL_OpenAudioDevice(nullptr, 0, wanted, obtained, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
}

}  // namespace

Host defaultHost() {
    Host functions{};
    functions.pollEvent = SDL_PollEvent;
    functions.keyboardState = sdlKeyboardState;
    functions.modState = sdlModState;
    functions.readLayout = readSystemLayout;
    functions.layoutName = platform::keyboardLayoutName;
    functions.textInput = sdlTextInput;
    functions.performanceCounter = SDL_GetPerformanceCounter;
    functions.performanceFrequency = SDL_GetPerformanceFrequency;
    functions.sleepMilliseconds = platform::sleepMilliseconds;
    functions.calendarSeconds = platform::calendarSeconds;
    functions.userDataFolder = platform::userDataFolder;
    functions.terminationRequested = platform::terminationRequested;
    functions.frameComposed = nullptr;
    functions.frameComposedData = nullptr;
    functions.framePresented = nullptr;
    functions.openAudioDevice = openSdlAudio;
    functions.soundClock = [] { return uint64_t(0); };
    functions.soundMixed = nullptr;
    functions.openVoice = platform::openVoice;
    functions.speak = platform::speak;
    functions.silence = platform::silenceVoice;
    functions.voiceRate = platform::setVoiceRate;
    return functions;
}

Host host = defaultHost();
