// Plays lessons through the virtual host: a lesson screen set up from a hand-made word list
// and script, key presses scheduled at frame numbers, and a look at every frame shown.
#pragma once

#include "course/lesson_catalogue.h"
#include "course/lesson_run.h"
#include "course/lesson_screen.h"
#include "course/on_screen_keyboard.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// The lesson's fade-in shows frames 0 to 63; a script of just "e" ends in frame 64, so the
// exercise starts in frame 65.
constexpr uint64_t Exercise = 65;

struct ShownFrame {
    std::array<TileCell, 24 * MapSide> text;  // rows 0 to 23 of map 0
    std::array<LayerWord, LayerCount> layers;
    uint32_t group0, group2;  // palette entries 1 and 33
    uint32_t lampGroup;
    uint64_t pressedKeys;  // bit k: key k shown pressed
    std::string labels;    // what keys 1, 26 and 35 show ("1a;" when nothing is shifted)
};

// Cells of layer 0 read back as characters: intro and typing text (tile 96 + c, group 1),
// or with `results` the results cells (tile c, group 2); '#' for any other cell.
inline std::string textAt(const ShownFrame& frame, int column, int row, int count,
                          bool results = false) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const TileCell cell = frame.text[size_t(row * MapSide + column + i)];
        const bool wanted = (cell & 0xFC00) == (results ? 0x8800 : 0x8400);
        text += wanted ? char(cellTile(cell) - (results ? 0 : 96)) : '#';
    }
    return text;
}

// A colour at level/64 of its brightness, as fades and dimming show it.
inline uint32_t scaled(uint32_t colour, uint32_t level) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        result |= ((colour >> shift & 0xFF) * level >> 6) << shift;
    }
    return result;
}

struct LessonHarness {
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    // Exactly the slots the program may read, each command a heap copy of its exact length:
    // the sanitizers catch any read past either.
    std::unique_ptr<const char*[]> script = std::make_unique<const char*[]>(ScriptSlots);
    std::vector<std::unique_ptr<char[]>> commands;
    std::vector<ShownFrame> frames;
    Palette fullColours{};
    uint64_t jumpFrame = UINT64_MAX;  // the clock jumps `jumpSeconds` during this frame
    uint64_t jumpSeconds = 0;

    LessonHarness() {
        installVirtualHost(clock);
        for (size_t i = 0; i < fullColours.size(); ++i) fullColours[i] = 0x400000u + 0x10101u * i;
        test.memory().palette = fullColours;
        // Registers and cells are read, never pixels: one pixel per line keeps thousands of
        // frames quick, and the line callback still runs for all 180 lines.
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) { look(memory); };
    }
    ~LessonHarness() { restoreHost(); }

    void setUp(const std::vector<const char*>& commandList, const char* line = "ab") {
        for (size_t i = 0; i < commandList.size() && i < size_t(ScriptSlots); ++i) {
            const size_t length = std::strlen(commandList[i]) + 1;
            commands.push_back(std::make_unique<char[]>(length));
            std::memcpy(commands.back().get(), commandList[i], length);
            script[i] = commands.back().get();
        }
        const char* words[] = {"abc"};
        setUpLessonScreen(test.video(), *screen, words, 1, "Title", script.get());
        for (char* each : screen->lines) std::strcpy(each, line);
    }
    int32_t run() { return runLesson(*screen); }

    // Presses and releases, in `frame`, the key that types `c` (with Shift for an upper
    // character); SDL's key code is the key's unshifted character.
    void type(uint64_t frame, char c) {
        const KeyboardKey& key = screen->keys[screen->keyByChar[uint8_t(c)]];
        const bool shifted = uint8_t(c) == key.upperChar && key.upperChar != key.lowerChar;
        press(frame, key.lowerChar, SDL_Scancode(key.scancode), shifted ? KMOD_LSHIFT : 0);
    }
    void typeAll(uint64_t frame, const char* text) {
        for (const char* c = text; *c != '\0'; ++c) type(frame, *c);
    }
    // Types the lines from `first`, one per frame from `frame`; the frame of the last one.
    uint64_t typeLines(uint64_t frame, int first = 0) {
        for (int line = first; line < LineCount; ++line) typeAll(frame++, screen->lines[line]);
        return frame - 1;
    }
    void press(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, int mod = 0) {
        clock.keyDown(frame, key, scancode, uint16_t(mod));
        clock.keyUp(frame, key, scancode, uint16_t(mod));
    }
    void escape(uint64_t frame) { press(frame, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE); }
    void enter(uint64_t frame) { press(frame, SDLK_RETURN, SDL_SCANCODE_RETURN); }

    // The first frame whose row shows `text` from column 2; -1 for none.
    int64_t frameShowing(const char* text, int row) const {
        for (size_t f = 0; f < frames.size(); ++f) {
            if (textAt(frames[f], 2, row, int(std::strlen(text))) == text) return int64_t(f);
        }
        return -1;
    }
    // A statistics line (row 12, 14 or 16) of the last frame shown.
    std::string resultsLine(int row) const {
        const std::string line = textAt(frames.back(), 9, row, 40, true);
        return line.substr(0, line.find('#'));
    }

  private:
    void look(const VideoMemory& memory) {
        if (clock.framesComposed - 1 == jumpFrame) clock.counter += jumpSeconds * clock.frequency;
        ShownFrame frame{};
        std::copy_n(memory.maps.begin(), frame.text.size(), frame.text.begin());
        frame.layers = memory.layers;
        frame.group0 = memory.palette[1];
        frame.group2 = memory.palette[33];
        frame.lampGroup = memory.sprites[CapsLockLampSprite].placement >> 12;
        for (int k = 0; k < KeyCount; ++k) {
            const KeyboardKey& key = screen->keys[k];
            if (key.pressed != 0) frame.pressedKeys |= uint64_t(1) << k;
            if (k != 1 && k != 26 && k != 35) continue;
            const int cell = mapIndex(1, key.column + key.width - 1, key.row + 1);
            frame.labels +=
                char(key.pressed != 0 ? spriteTileOf(memory.sprites[size_t(k)].attributes)
                                      : cellTile(memory.maps[size_t(cell)]));
        }
        frames.push_back(frame);
    }
};
