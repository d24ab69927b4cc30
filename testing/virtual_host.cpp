#include "testing/virtual_host.h"

#include "engine/sound_mixer.h"

#include <iterator>

namespace {

VirtualHost* active = nullptr;

const SimulatedKey* findKey(const SimulatedLayout& layout, SDL_Scancode scancode) {
    for (const SimulatedKey& key : layout)
        if (key.scancode == scancode) return &key;
    return nullptr;
}

bool isDead(char32_t c) {
    return c >= 0x300 && c < 0x370;
}

// The accent a dead key shows, and types before a space.
char32_t spacingAccent(char32_t c) {
    switch (c) {
    case 0x300: return U'`';
    case 0x301: return U'\u00B4';
    case 0x302: return U'^';
    case 0x303: return U'~';
    case 0x308: return U'\u00A8';
    case 0x327: return U'\u00B8';
    default: return c;
    }
}

// A few letters with accents, enough for the dead keys of the tests (a capital is its small
// letter's, 32 codes before it); 0 for no such letter.
char32_t composed(char32_t accent, char32_t c) {
    if (c == U' ') return spacingAccent(accent);
    if (c >= U'A' && c <= U'Z') {
        const char32_t small = composed(accent, c + 32);
        return small == 0 ? 0 : small - 32;
    }
    const std::u32string bases = U"aeiou";
    const std::u32string letters[] = {U"\u00E0\u00E8\u00EC\u00F2\u00F9",
                                      U"\u00E1\u00E9\u00ED\u00F3\u00FA",
                                      U"\u00E2\u00EA\u00EE\u00F4\u00FB",
                                      U"",
                                      U"",
                                      U"",
                                      U"",
                                      U"",
                                      U"\u00E4\u00EB\u00EF\u00F6\u00FC"};
    const size_t row = accent - 0x300, column = bases.find(c);
    if (row >= std::size(letters) || column >= letters[row].size()) return 0;
    return letters[row][column];
}

std::string utf8(char32_t c) {
    std::string text;
    if (c < 0x80) return text + char(c);
    if (c < 0x800) return text + char(0xC0 | c >> 6) + char(0x80 | (c & 0x3F));
    return text + char(0xE0 | c >> 12) + char(0x80 | (c >> 6 & 0x3F)) + char(0x80 | (c & 0x3F));
}

}  // namespace

std::vector<SimulatedKeystroke> simulatedKeystrokes(const SimulatedLayout& layout, char32_t c) {
    if (c == U' ') return {{SDL_SCANCODE_SPACE, KMOD_NONE}};  // elsewhere a space is no character
    for (const SimulatedKey& key : layout) {
        const char32_t levels[] = {key.alone, key.shifted, key.altGr};
        const uint16_t mods[] = {KMOD_NONE, KMOD_LSHIFT, KMOD_RALT};
        for (int level = 0; level < 3; ++level)
            if (levels[level] == c) return {{key.scancode, mods[level]}};
    }
    for (const SimulatedKey& key : layout) {
        const char32_t levels[] = {key.alone, key.shifted, key.altGr};
        const uint16_t mods[] = {KMOD_NONE, KMOD_LSHIFT, KMOD_RALT};
        for (int level = 0; level < 3; ++level) {
            if (!isDead(levels[level])) continue;
            for (char32_t base : std::u32string(U" aeiouAEIOU")) {
                if (composed(levels[level], base) != c) continue;
                std::vector<SimulatedKeystroke> strokes = {{key.scancode, mods[level]}};
                const std::vector<SimulatedKeystroke> then = simulatedKeystrokes(layout, base);
                strokes.insert(strokes.end(), then.begin(), then.end());
                return strokes;
            }
        }
    }
    return {};
}

void VirtualHost::typeText(uint64_t frame, const std::u32string& text) {
    const SimulatedLayout* then = layout;  // the layout by that frame
    for (const auto& [from, next] : layoutChanges)
        if (from <= frame) then = next;
    for (char32_t c : text) {
        for (const SimulatedKeystroke& stroke : simulatedKeystrokes(*then, c)) {
            const SimulatedKey& key = *findKey(*then, stroke.scancode);
            const SDL_Keycode code = key.alone < 0x80 ? SDL_Keycode(key.alone) : SDL_Keycode(0);
            keyDown(frame, code, stroke.scancode, stroke.mod);
            keyUp(frame, code, stroke.scancode, stroke.mod);
        }
    }
}

void VirtualHost::deliverNow(const SDL_Event& event) {
    queue.push_back(event);
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
    keys[event.key.keysym.scancode] = event.type == SDL_KEYDOWN ? 1 : 0;
    modifiers = event.key.keysym.mod;
    const SimulatedKey* key = findKey(*layout, event.key.keysym.scancode);
    if (event.type != SDL_KEYDOWN || !textInputOn || key == nullptr) return;
    // The system's text: Ctrl makes none; Caps Lock turns a letter's case, Shift or not.
    const uint16_t mod = event.key.keysym.mod;
    if ((mod & KMOD_CTRL) != 0) return;
    const bool altGr = (mod & (KMOD_RALT | KMOD_MODE)) != 0;
    const bool shift = (mod & KMOD_SHIFT) != 0;
    const bool letter = key->alone >= U'a' && key->shifted == key->alone - 32;
    const bool upper = shift != ((mod & KMOD_CAPS) != 0 && letter);
    char32_t c = altGr ? key->altGr : upper ? key->shifted : key->alone;
    if (c == U' ' && key->scancode != SDL_SCANCODE_SPACE) return;  // nothing on that level
    if (isDead(c)) {
        deadKey = c;
        return;
    }
    if (deadKey != 0) c = composed(std::exchange(deadKey, 0), c);
    if (c != 0) queue.push_back(textEvent(utf8(c).c_str()));
}

void VirtualHost::deliver() {
    while (!layoutChanges.empty() && layoutChanges.front().first <= framesComposed) {
        layout = layoutChanges.front().second;
        layoutChanges.erase(layoutChanges.begin());
    }
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
    host.readLayout = [](const uint32_t* scancodes, int count, LayoutCharacters* characters) {
        for (int i = 0; i < count; ++i) {
            const SimulatedKey* key = findKey(*active->layout, SDL_Scancode(scancodes[i]));
            const auto shown = [](char32_t c) {
                return c == U' ' ? 0 : uint32_t(spacingAccent(c));
            };
            if (key == nullptr) {
                characters[i] = LayoutCharacters{};
                continue;
            }
            const uint8_t dead = uint8_t((isDead(key->alone) ? DeadAlone : 0) |
                                         (isDead(key->shifted) ? DeadShifted : 0) |
                                         (isDead(key->altGr) ? DeadAltGr : 0));
            characters[i] = {shown(key->alone), shown(key->shifted), shown(key->altGr), dead};
        }
        return true;
    };
    host.layoutName = [](std::string& name) {
        name =
            active->layoutName.empty() ? simulatedLayoutName(*active->layout) : active->layoutName;
        return name != "-";  // "-": the system cannot tell
    };
    host.textInput = [](bool on) { active->textInputOn = on; };
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
    host.openAudioDevice = [](const SDL_AudioSpec* wanted, SDL_AudioSpec* obtained) {
        active->soundOpens += 1;
        if (!active->openSound) {
            SDL_SetError("the scripted host gives no audio device");
            return SDL_AudioDeviceID(0);
        }
        const SDL_AudioDeviceID device =
            SDL_OpenAudioDevice(nullptr, 0, wanted, obtained, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        // Held before it is unpaused: until released, SDL's audio thread waits for the lock
        // before its first call of the callback.
        if (device != 0) SDL_LockAudioDevice(device);
        active->heldSound = device;
        return device;
    };
    // The output's own samples of the virtual time: 800 a frame.
    host.soundClock = [] { return active->counter * uint64_t(SoundRate) / active->frequency; };
    host.openVoice = [] { return active->voiceReachable; };
    host.speak = [](const char* text, const char* language) {
        active->voice.push_back(std::string(language) + ": " + text);
    };
    host.silence = [] { active->voice.push_back("cancel"); };
    host.voiceRate = [](int32_t rate) { active->voice.push_back("rate " + std::to_string(rate)); };
}

void restoreHost() {
    host = defaultHost();
    active = nullptr;
}
