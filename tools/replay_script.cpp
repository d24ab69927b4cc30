#include "tools/replay_script.h"

#include "course/keyboard/keyboard_model.h"

#include <SDL.h>

#include <cstdlib>
#include <sstream>

namespace {

bool fail(std::string& error, int line, const std::string& fault) {
    error = "line " + std::to_string(line) + ": " + fault;
    return false;
}

bool parseKey(const std::string& name, const KeyboardModel& keyboard, SDL_Keycode& key,
              SDL_Scancode& scancode, bool& needsShift) {
    needsShift = false;
    if (name.size() == 1) {
        const auto character = static_cast<unsigned char>(name[0]);
        if (character >= 128 || keyboard.keyByChar[character] == NoKey) return false;
        const KeyboardKey& entry = keyboard.keys[keyboard.keyByChar[character]];
        key = entry.lowerChar;
        scancode = SDL_Scancode(entry.scancode);
        needsShift = character != entry.lowerChar;
        return true;
    }
    std::string sdlName = name;
    for (char& c : sdlName) {
        if (c == '_') c = ' ';
    }
    scancode = SDL_GetScancodeFromName(sdlName.c_str());
    key = SDL_GetKeyFromName(sdlName.c_str());
    return scancode != SDL_SCANCODE_UNKNOWN && key != SDLK_UNKNOWN;
}

}  // namespace

bool readReplayScript(const std::string& text, VirtualHost& clock, ReplayScript& script,
                      std::string& error) {
    std::istringstream file(text);
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) continue;
        uint64_t frame = 0;
        if (first == "capture" || first == "end") {
            if (!(words >> frame)) {
                return fail(error, number, "a frame number is missing");
            }
            if (first == "capture")
                script.captures.insert(frame);
            else
                script.endFrame = frame;
            continue;
        }
        std::string action;
        char* rest = nullptr;
        frame = std::strtoull(first.c_str(), &rest, 10);
        if (*rest != '\0' || !(words >> action)) {
            return fail(error, number, "expected FRAME ACTION");
        }
        if (action == "quit") {
            clock.quit(frame);
            continue;
        }
        std::string keyName;
        SDL_Keycode key = SDLK_UNKNOWN;
        SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
        bool needsShift = false;
        if ((action != "down" && action != "up") || !(words >> keyName) ||
            !parseKey(keyName, keyboard, key, scancode, needsShift)) {
            return fail(error, number, "expected down or up and a known key");
        }
        uint16_t mod = needsShift ? KMOD_LSHIFT : KMOD_NONE;
        for (std::string word; words >> word;) {
            if (word == "shift")
                mod |= KMOD_LSHIFT;
            else if (word == "caps")
                mod |= KMOD_CAPS;
            else {
                return fail(error, number, "unknown modifier " + word);
            }
        }
        if (action == "down")
            clock.keyDown(frame, key, scancode, mod);
        else
            clock.keyUp(frame, key, scancode, mod);
    }
    if (script.endFrame == 0 && !script.captures.empty())
        script.endFrame = *script.captures.rbegin();
    if (script.endFrame == 0) {
        error = "nothing to capture and no end";
        return false;
    }
    return true;
}
