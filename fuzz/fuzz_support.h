// What the fuzz targets share: a scratch folder in memory where there is one, whole files
// written from the input, and a check that stops the run with a message.
#pragma once

#include "engine/video_memory.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A fresh folder for this process's files, on a memory file system when there is one (the
// saves flush to the disk, which would cost more than everything else), removed at exit.
inline const std::string& scratchFolder() {
    // Never destroyed, so the exit handler that removes the folder can still name it.
    static const std::string* const folder = [] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/quenmore-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(scratchFolder(), error);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

// The scancode of the keys the fuzz targets press. SDL's own lookup needs its keyboard, which
// is only set up with a window.
inline SDL_Scancode scancodeFor(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return SDL_Scancode(SDL_SCANCODE_A + (key - SDLK_a));
    switch (key) {
    case SDLK_SPACE: return SDL_SCANCODE_SPACE;
    case SDLK_RETURN: return SDL_SCANCODE_RETURN;
    case SDLK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case SDLK_RIGHT: return SDL_SCANCODE_RIGHT;
    case SDLK_UP: return SDL_SCANCODE_UP;
    case SDLK_DOWN: return SDL_SCANCODE_DOWN;
    case SDLK_LSHIFT: return SDL_SCANCODE_LSHIFT;
    case SDLK_CAPSLOCK: return SDL_SCANCODE_CAPSLOCK;
    case SDLK_TAB: return SDL_SCANCODE_TAB;
    case SDLK_LEFT: return SDL_SCANCODE_LEFT;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

// Frames with no pixels and a single line: registers, maps and sprites as ever, and the line
// callback still sees line 0, where the lesson's callback counts frames; its other line only
// moves the text box's picture. A frame then costs microseconds instead of a composed picture.
inline void composeLineZeroOnly(VideoMemory& memory) {
    memory.width = 0;
    memory.height = 1;
}

inline bool writeWhole(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// An invariant that does not hold is a finding: the input is kept as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
