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

// Frame numbers as the virtual host counts them: the lesson's fade-in shows frames 0 to 63,
// so the intro's first frame is frame 64, and a script of just "e" starts the exercise in
// frame 65.
constexpr uint64_t IntroFirstFrame = 64;
constexpr uint64_t ExerciseFirstFrame = 65;
constexpr int LampSprite = CapsLockLampSprite;

// What a test looks at in one shown frame.
struct ShownFrame {
    std::array<TileCell, 24 * MapSide> text;    // rows 0 to 23 of map 0
    std::array<TileCell, 10 * MapSide> labels;  // rows 0 to 9 of map 1, the key labels
    std::array<SpriteEntry, KeyCount> keySprites;
    std::array<LayerWord, LayerCount> layers;
    uint32_t colourGroup0;  // palette entry 1, dimmed on the results screen
    uint32_t colourGroup2;  // palette entry 33, never dimmed
    SpriteEntry lamp;
    int32_t frameCounter;
    uint64_t pressedKeys;  // bit k: key k shown pressed
};

// The character key k shows in a frame: its label cell while up, its sprite while pressed.
inline char labelOf(const ShownFrame& frame, const LessonScreen& screen, int k) {
    const KeyboardKey& key = screen.keys[k];
    if ((frame.pressedKeys >> k & 1) != 0) {
        return char(spriteTileOf(frame.keySprites[size_t(k)].attributes));
    }
    return char(
        cellTile(frame.labels[size_t((key.row + 1) * MapSide + key.column + key.width - 1)]));
}

// A colour at level/64 of its brightness, as the fades and the dimming show it.
inline uint32_t scaled(uint32_t colour, uint32_t level) {
    return ((colour >> 16 & 0xFF) * level >> 6) << 16 | ((colour >> 8 & 0xFF) * level >> 6) << 8 |
           ((colour & 0xFF) * level >> 6);
}

// Text cells (second font, group 1) decoded back into characters; '#' for any other cell.
inline std::string textAt(const ShownFrame& frame, int column, int row, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const TileCell cell = frame.text[size_t(row * MapSide + column + i)];
        const bool isText = (cell & 0xFC00) == 0x8400;
        text += isText ? char(cellTile(cell) - 96) : '#';
    }
    return text;
}

// Results cells (main font, group 2) decoded back into characters; '#' for any other cell.
inline std::string resultsAt(const ShownFrame& frame, int column, int row, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const TileCell cell = frame.text[size_t(row * MapSide + column + i)];
        text += (cell & 0xFC00) == 0x8800 ? char(cellTile(cell)) : '#';
    }
    return text;
}

struct LessonHarness {
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    // The script has exactly the slots the program may read, and every command is a heap
    // copy of its exact length, so the sanitizers catch any read past either.
    std::unique_ptr<const char*[]> script = std::make_unique<const char*[]>(ScriptSlots);
    std::vector<std::unique_ptr<char[]>> commands;
    std::vector<ShownFrame> frames;
    Palette fullColours{};
    bool record = true;
    // Seconds added to the clock while the given frame is shown (a learner taking time).
    uint64_t jumpFrame = UINT64_MAX;
    uint64_t jumpSeconds = 0;

    LessonHarness() {
        installVirtualHost(clock);
        for (size_t i = 0; i < fullColours.size(); ++i) {
            fullColours[i] = 0x00010101u * uint32_t(i) + 0x00400000u;
        }
        test.memory().palette = fullColours;
        // These tests read registers and cells, never pixels: composing one pixel of each
        // line keeps thousands of frames quick while the line callback still runs for all
        // 180 lines.
        test.memory().width = 1;
        clock.onFrame = [this](const VideoMemory& memory) { look(memory); };
    }
    ~LessonHarness() { restoreHost(); }
    LessonHarness(const LessonHarness&) = delete;
    LessonHarness& operator=(const LessonHarness&) = delete;

    void setUp(const std::vector<const char*>& commandList,
               const std::vector<const char*>& words = {"abc"}, const char* title = "Title") {
        for (size_t i = 0; i < commandList.size() && i < size_t(ScriptSlots); ++i) {
            const size_t length = std::strlen(commandList[i]) + 1;
            commands.push_back(std::make_unique<char[]>(length));
            std::memcpy(commands.back().get(), commandList[i], length);
            script[i] = commands.back().get();
        }
        setUpLessonScreen(test.video(), *screen, words.data(), int32_t(words.size()), title,
                          script.get());
    }

    // The same line, ten times.
    void setLines(const char* line) {
        for (char* each : screen->lines) std::strcpy(each, line);
    }

    int32_t run() { return runLesson(*screen); }

    // A line of the statistics (row 12, 14 or 16) as the last frame shows it.
    std::string resultsLine(int row) const {
        std::string line = resultsAt(frames.back(), 9, row, 40);
        return line.substr(0, line.find('#'));
    }

    // Presses and releases the key that types `c` (Shift added for an upper character) in
    // `frame`, as SDL reports it: the key code is the key's unshifted character.
    void type(uint64_t frame, char c, uint16_t extra = 0) {
        const KeyboardKey& key = screen->keys[screen->keyByChar[uint8_t(c)]];
        const bool shifted = uint8_t(c) == key.upperChar && key.upperChar != key.lowerChar;
        const uint16_t mod = uint16_t((shifted ? KMOD_LSHIFT : 0) | extra);
        const auto scancode = SDL_Scancode(key.scancode);
        clock.keyDown(frame, SDL_Keycode(key.lowerChar), scancode, mod);
        clock.keyUp(frame, SDL_Keycode(key.lowerChar), scancode, uint16_t(extra));
    }
    // Types `text` in `frame`, all of it within that one frame.
    void typeAll(uint64_t frame, const char* text) {
        for (const char* c = text; *c != '\0'; ++c) type(frame, *c);
    }
    // Types every line, one line per frame from `frame`; returns the frame of the last one.
    uint64_t typeLines(uint64_t frame) {
        for (const char* line : screen->lines) typeAll(frame++, line);
        return frame - 1;
    }
    void press(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = 0) {
        clock.keyDown(frame, key, scancode, mod);
        clock.keyUp(frame, key, scancode, mod);
    }
    void escape(uint64_t frame) { press(frame, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE); }
    void enter(uint64_t frame) { press(frame, SDLK_RETURN, SDL_SCANCODE_RETURN); }

    // The first shown frame from `from` on whose row `row` reads `text` from column 2.
    int64_t frameShowing(const char* text, int row, size_t from = 0) const {
        for (size_t f = from; f < frames.size(); ++f) {
            if (textAt(frames[f], 2, row, int(std::strlen(text))) == text) return int64_t(f);
        }
        return -1;
    }

  private:
    void look(const VideoMemory& memory) {
        if (clock.framesComposed - 1 == jumpFrame) {
            clock.counter += jumpSeconds * clock.frequency;
        }
        if (!record) return;
        ShownFrame frame{};
        std::copy_n(memory.maps.begin(), frame.text.size(), frame.text.begin());
        std::copy_n(memory.maps.begin() + MapCellCount, frame.labels.size(), frame.labels.begin());
        std::copy_n(memory.sprites.begin(), frame.keySprites.size(), frame.keySprites.begin());
        frame.layers = memory.layers;
        frame.colourGroup0 = memory.palette[1];
        frame.colourGroup2 = memory.palette[33];
        frame.lamp = memory.sprites[LampSprite];
        frame.frameCounter = screen->frameCounter;
        for (int k = 0; k < KeyCount; ++k) {
            if (screen->keys[k].pressed != 0) frame.pressedKeys |= uint64_t(1) << k;
        }
        frames.push_back(frame);
    }
};
