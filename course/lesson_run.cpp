#include "course/lesson_run.h"

#include "course/lesson_catalogue.h"
#include "course/on_screen_keyboard.h"
#include "course/startup.h"
#include "engine/display.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <SDL.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr int KeyStateBytes = 512;  // the part of the keyboard state array that is mirrored
constexpr int LessonFadeFrames = 64;

// Layer 0 cells. Intro and typing texts use the second font at tile 96 + character in
// palette group 1; the results use the main font in palette group 2, which the dimming
// leaves at full brightness.
constexpr TileCell TextBlank = CellPriority | 0x3FF;
constexpr TileCell TypingClear = CellPriority | 32;
constexpr TileCell Cursor = CellPriority | tileCell(7, 1);
constexpr TileCell textCell(char c) {
    return TileCell(CellPriority | tileCell(int8_t(c) + 96, 1));
}
constexpr TileCell resultsCell(char c) {
    return TileCell(CellPriority | tileCell(int8_t(c), 2));
}

constexpr int TextColumn = 2;
constexpr int HeadingRow = 16;
constexpr int LineRow = 18;
constexpr int TypedRow = 20;
constexpr int ClearedCells = 48;

constexpr int CapsLockLampTile = 6;
// Key codes that name the special keys in the intro's "h" command.
constexpr uint8_t LeftShiftCode = 7;
constexpr uint8_t RightShiftCode = 11;
constexpr uint8_t CapsLockCode = 12;

constexpr int BannerColumn = 13;
constexpr int BannerRow = 6;
constexpr int BannerColumns = 14;
constexpr int BannerRows = 4;
constexpr int BannerFirstTile = 224;  // tile row 14 of the character set
constexpr int SlideFrames = 64;
constexpr int StatisticsColumn = 9;
constexpr int PromptColumn = 8;
constexpr int PromptRow = 18;
constexpr const char* Prompt = "Press Enter to Continue";
constexpr const char* PromptHidden = "                       ";
constexpr int DimmedEntries = 32;  // palette groups 0 and 1

enum class Outcome { Finished, Abandoned, WindowClosed };

// The working state of one lesson, shared by its intro, exercise and results.
struct LessonRun {
    LessonScreen* screen;
    Palette savedPalette;  // every way out leaves the palette equal to this
    uint8_t previousKeyState[KeyStateBytes];
    uint8_t shiftShown;
    uint8_t capsShown;
    char scriptMode;  // 'r' run commands, 'w' wait for a key, 't' print, 'p' pause, 'e' ended
    int32_t scriptCursor;
    int32_t textColumn;
    int32_t textRow;
    int32_t stepCounter;  // 't': index of the next character of the command; 'p': frames left
    uint8_t running;
    int32_t lineIndex;
    int32_t position;
    int32_t errors;
    int32_t correctCount;
    uint64_t startTicks;
    uint64_t elapsedSeconds;
};

VideoMemory& memoryOf(LessonRun& run) {
    return run.screen->video->memory;
}

// Layer 0 cells are addressed linearly, so a column past 63 continues on the next row;
// anything that would land outside map 0 is not written.
void putCell(VideoMemory& memory, int column, int row, TileCell cell) {
    const int64_t index = int64_t(row) * MapSide + column;
    if (index >= 0 && index < MapCellCount) memory.maps[size_t(index)] = cell;
}

void writeText(VideoMemory& memory, int column, int row, const char* text, TileCell (*cell)(char)) {
    for (int i = 0; text[i] != '\0'; ++i) putCell(memory, column + i, row, cell(text[i]));
}

void redrawAllKeys(LessonRun& run) {
    for (int k = 0; k < run.screen->keyCount; ++k) {
        drawKey(*run.screen, k, run.shiftShown != 0, run.capsShown != 0);
    }
}

// The lamp on the Caps Lock key's top-left cell, lit (palette group 1) while Caps Lock is
// shown.
void placeCapsLockLamp(LessonRun& run) {
    const LessonScreen& screen = *run.screen;
    if (screen.keyCount < 0 || screen.keyCount >= SpriteCount) return;
    SpriteEntry& lamp = memoryOf(run).sprites[size_t(screen.keyCount)];
    lamp.attributes = SpriteVisible | spriteTile(CapsLockLampTile) |
                      encodeSpriteCoordinate(32 - screen.keyboardScrollY, ScreenHeight);
    lamp.placement = encodeSpriteCoordinate(-screen.keyboardScrollX, ScreenWidth) | SpritePriority |
                     spriteLevel(1) | spriteGroup(run.capsShown != 0 ? 1 : 0);
}

// Copies as much of the keyboard state array as is mirrored.
void copyKeyState(uint8_t (&copy)[KeyStateBytes], const uint8_t* state, int length) {
    if (state == nullptr) return;
    std::memcpy(copy, state, size_t(std::clamp(length, 0, KeyStateBytes)));
}

// ---- Entry and fade-in ------------------------------------------------------------------

void enterLesson(LessonRun& run) {
    LessonScreen& screen = *run.screen;
    VideoMemory& memory = memoryOf(run);
    const int x = screen.keyboardScrollX;
    const int y = screen.keyboardScrollY;
    memory.layers[3] = LayerEnable | layerScroll(0, 0);
    memory.layers[2] = LayerEnable | layerScroll(x, y);
    memory.layers[1] = LayerEnable | layerScroll(x + 3, y + 3);  // labels sit 3 pixels in
    memory.layers[0] = LayerEnable | layerScroll(0, 0);
    run.scriptMode = 'r';
    int length = 0;
    const uint8_t* state = host.keyboardState(&length);
    copyKeyState(run.previousKeyState, state, length);
    run.savedPalette = memory.palette;
}

// Reads no events: whatever arrives meanwhile waits for the intro's first frame.
void fadeInLesson(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    for (int level = 0; level < LessonFadeFrames; ++level) {
        scalePalette(memory.palette, run.savedPalette, uint32_t(level));
        placeCapsLockLamp(run);
        showFrame(*run.screen->video);
    }
    memory.palette = run.savedPalette;
}

// ---- Intro script -----------------------------------------------------------------------
// Commands are trusted to be well formed in the lessons, but nothing here reads past a
// command's NUL, past the last script slot, or writes outside map 0: a command too short
// for its operands (an empty text included) and a highlight of a character without a key
// are skipped, and a missing command ends the intro like "e".

const char* currentCommand(const LessonRun& run) {
    const char* const* script = run.screen->script;
    if (script == nullptr || run.scriptCursor < 0 || run.scriptCursor >= ScriptSlots) {
        return nullptr;
    }
    return script[run.scriptCursor];
}

bool hasCharacters(const char* command, int count) {
    for (int i = 0; i < count; ++i) {
        if (command[i] == '\0') return false;
    }
    return true;
}

// Fixed-width decimal field; the digits are not checked.
int decimal(const char* digits, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = value * 10 + (uint8_t(digits[i]) - '0');
    return value;
}

void clearCells(LessonRun& run, const char* command) {
    const int column = decimal(command + 1, 2);
    const int row = decimal(command + 3, 2);
    const int length = decimal(command + 5, 2);
    for (int i = 0; i < length; ++i) putCell(memoryOf(run), column + i, row, TextBlank);
}

void highlightKey(LessonRun& run, uint8_t character, bool on) {
    LessonScreen& screen = *run.screen;
    if (character >= 128) return;
    const uint8_t k = screen.keyByChar[character];
    if (k == NoKey || k >= screen.keyCount) return;
    screen.keys[k].pressed = on ? 1 : 0;
    drawKey(screen, k, run.shiftShown != 0, run.capsShown != 0);
    if (character != LeftShiftCode && character != RightShiftCode && character != CapsLockCode) {
        return;
    }
    // Either Shift key shows every upper character; Caps Lock the letters and the lamp.
    const auto held = [&screen](uint8_t code) {
        const uint8_t key = screen.keyByChar[code];
        return key != NoKey && screen.keys[key].pressed != 0;
    };
    run.capsShown = held(CapsLockCode) ? 1 : 0;
    run.shiftShown = held(RightShiftCode) || held(LeftShiftCode) ? 1 : 0;
    redrawAllKeys(run);
}

// Prints the character at stepCounter; after the last one the next command runs in the
// following frame.
void printTextStep(LessonRun& run) {
    const char* command = currentCommand(run);
    putCell(memoryOf(run), run.textColumn, run.textRow, textCell(command[run.stepCounter]));
    run.textColumn += 1;
    run.stepCounter += 1;
    if (command[run.stepCounter] == '\0') {
        run.scriptCursor += 1;
        run.scriptMode = 'r';
    }
}

void pauseStep(LessonRun& run) {
    run.stepCounter -= 1;
    if (run.stepCounter <= 0) run.scriptMode = 'r';
}

// Runs commands until one that takes frames: a text, a wait, a pause or the end.
void runCommands(LessonRun& run) {
    for (;;) {
        const char* command = currentCommand(run);
        const char letter = command == nullptr ? 'e' : command[0];
        if (letter == 'c') {
            if (hasCharacters(command, 7)) clearCells(run, command);
            run.scriptCursor += 1;
        } else if (letter == 'h') {
            if (hasCharacters(command, 3))
                highlightKey(run, uint8_t(command[1]), command[2] == '1');
            run.scriptCursor += 1;
        } else if (letter == 't') {
            if (!hasCharacters(command, 6)) {
                run.scriptCursor += 1;
                continue;
            }
            run.textColumn = decimal(command + 1, 2);
            run.textRow = decimal(command + 3, 2);
            run.stepCounter = 5;
            run.scriptMode = 't';
            printTextStep(run);
            return;
        } else if (letter == 'w') {
            run.scriptCursor += 1;
            run.scriptMode = 'w';
            return;
        } else if (letter == 'p') {
            if (!hasCharacters(command, 4)) {
                run.scriptCursor += 1;
                continue;
            }
            run.scriptCursor += 1;
            run.scriptMode = 'p';
            run.stepCounter = decimal(command + 1, 3);
            pauseStep(run);
            return;
        } else {
            run.scriptMode = 'e';
            run.running = 0;
            return;
        }
    }
}

Outcome playIntro(LessonRun& run) {
    run.running = 1;
    while (run.running != 0) {
        SDL_Event event;
        while (host.pollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) shutDown(*run.screen->video);
            if (event.type != SDL_KEYDOWN) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) return Outcome::Abandoned;
            // Only a wait takes a press; one made while printing or pausing is forgotten,
            // and of several presses in one frame only the first ends the wait.
            if (run.scriptMode == 'w') run.scriptMode = 'r';
        }
        switch (run.scriptMode) {
        case 'r': runCommands(run); break;
        case 't': printTextStep(run); break;
        case 'p': pauseStep(run); break;
        default: break;
        }
        placeCapsLockLamp(run);
        showFrame(*run.screen->video);
    }
    return Outcome::Finished;
}

// ---- Typing exercise --------------------------------------------------------------------

void showLine(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    for (int i = 0; i < ClearedCells; ++i) {
        putCell(memory, TextColumn + i, LineRow, TypingClear);
        putCell(memory, TextColumn + i, TypedRow, TypingClear);
    }
    writeText(memory, TextColumn, LineRow, run.screen->lines[run.lineIndex], textCell);
    putCell(memory, TextColumn, TypedRow, Cursor);
}

// The typed character comes from the key and the event's modifiers, whichever of the key's
// two characters the key code was.
void judgeKeyPress(LessonRun& run, SDL_Keycode code, uint16_t modifiers) {
    LessonScreen& screen = *run.screen;
    const uint8_t k = screen.keyByChar[code];
    if (k == NoKey || k >= screen.keyCount) return;
    const KeyboardKey& key = screen.keys[k];
    const bool upper =
        (modifiers & KMOD_SHIFT) != 0 || ((modifiers & KMOD_CAPS) != 0 && key.capsApplies != 0);
    const char typed = char(upper ? key.upperChar : key.lowerChar);

    const char* line = screen.lines[run.lineIndex];
    if (typed != line[run.position]) {
        run.errors += 1;  // the same character stays expected
        return;
    }
    VideoMemory& memory = memoryOf(run);
    putCell(memory, TextColumn + run.position, TypedRow, textCell(typed));
    run.position += 1;
    putCell(memory, TextColumn + run.position, TypedRow, Cursor);
    run.correctCount += 1;
    if (line[run.position] != '\0') return;
    run.lineIndex += 1;
    run.position = 0;
    if (run.lineIndex == LineCount) {
        run.running = 0;
        return;
    }
    showLine(run);
}

// Every on-screen key whose physical key changed since the last frame follows it.
void mirrorHeldKeys(LessonRun& run) {
    LessonScreen& screen = *run.screen;
    int length = 0;
    const uint8_t* state = host.keyboardState(&length);
    if (state == nullptr) return;
    const int count = std::clamp(length, 0, KeyStateBytes);
    for (int k = 0; k < screen.keyCount; ++k) {
        const uint32_t scancode = screen.keys[k].scancode;
        if (scancode >= uint32_t(count)) continue;
        if (state[scancode] == run.previousKeyState[scancode]) continue;
        screen.keys[k].pressed = state[scancode] != 0 ? 1 : 0;
        drawKey(screen, k, run.shiftShown != 0, run.capsShown != 0);
    }
    copyKeyState(run.previousKeyState, state, count);
}

void mirrorModifiers(LessonRun& run) {
    const uint32_t modifiers = host.modState();
    const uint8_t caps = (modifiers & KMOD_CAPS) != 0 ? 1 : 0;
    const uint8_t shift = (modifiers & KMOD_SHIFT) != 0 ? 1 : 0;
    if (caps == run.capsShown && shift == run.shiftShown) return;
    run.capsShown = caps;
    run.shiftShown = shift;
    redrawAllKeys(run);
}

Outcome playExercise(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    writeText(memory, TextColumn, HeadingRow, "Type these words:", textCell);
    writeText(memory, TextColumn, LineRow, run.screen->lines[0], textCell);
    putCell(memory, TextColumn, TypedRow, Cursor);
    // The clock runs from the moment the exercise is shown, not from the first press.
    run.startTicks = host.performanceCounter();
    run.running = 1;
    while (run.running != 0) {
        SDL_Event event;
        while (host.pollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) return Outcome::WindowClosed;
            if (event.type != SDL_KEYDOWN) continue;
            // Presses queued behind the last character of the tenth line have nothing left
            // to be judged against: they are dropped.
            if (run.running == 0) continue;
            const SDL_Keycode code = event.key.keysym.sym;
            if (code == SDLK_ESCAPE) return Outcome::Abandoned;
            if (code < 32 || code > 127) continue;
            judgeKeyPress(run, code, event.key.keysym.mod);
        }
        mirrorHeldKeys(run);
        mirrorModifiers(run);
        placeCapsLockLamp(run);
        showFrame(*run.screen->video);
    }
    // Taken once the frame with the last character has been shown.
    const uint64_t frequency = host.performanceFrequency();
    const uint64_t ticks = host.performanceCounter() - run.startTicks;
    run.elapsedSeconds = frequency == 0 ? 0 : ticks / frequency;
    return Outcome::Finished;
}

// ---- Results ----------------------------------------------------------------------------

// Reads every pending event; true when the window is being closed. With `enter` given,
// also notes a press of the main Enter key (not the keypad's).
bool windowClosed(bool* enter = nullptr) {
    SDL_Event event;
    while (host.pollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return true;
        if (enter != nullptr && event.type == SDL_KEYDOWN &&
            event.key.keysym.scancode == SDL_SCANCODE_RETURN) {
            *enter = true;
        }
    }
    return false;
}

void writeResultsLine(VideoMemory& memory, int column, int row, const char* text) {
    writeText(memory, column, row, text, resultsCell);
}

void writeStatistics(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    // A word is five characters, spaces included. A lesson typed within one second shows 0
    // words per minute rather than dividing by zero.
    const uint32_t seconds = uint32_t(run.elapsedSeconds);
    const uint32_t wordsPerMinute =
        seconds == 0 ? 0 : 60u * uint32_t(run.correctCount) / (5u * seconds);
    const uint64_t minutes = run.elapsedSeconds / 60;
    const uint64_t secondsPart = run.elapsedSeconds - 60 * minutes;

    char text[64];
    std::snprintf(text, sizeof text, "Words Per Minute:%4d", int(wordsPerMinute));
    writeResultsLine(memory, StatisticsColumn, 12, text);
    std::snprintf(text, sizeof text, "Errors:          %4d", int(run.errors));
    writeResultsLine(memory, StatisticsColumn, 14, text);
    std::snprintf(text, sizeof text, "Time:           %02" PRIu64 ":%02" PRIu64, minutes,
                  secondsPart);
    writeResultsLine(memory, StatisticsColumn, 16, text);
}

Outcome showResults(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    VideoState& video = *run.screen->video;
    std::fill(memory.maps.begin(), memory.maps.begin() + MapCellCount, TextBlank);
    for (int r = 0; r < BannerRows; ++r) {
        for (int c = 0; c < BannerColumns; ++c) {
            const int tile = BannerFirstTile + 16 * r + c;
            putCell(memory, BannerColumn + c, BannerRow + r, CellPriority | tileCell(tile, 2));
        }
    }

    // The banner slides up from below the screen while groups 0 and 1 dim to half.
    for (int k = 0; k < SlideFrames; ++k) {
        if (windowClosed()) return Outcome::WindowClosed;
        Palette dimmed;
        scalePalette(dimmed, run.savedPalette, uint32_t((63 - k) / 2 + 32));
        std::copy_n(dimmed.begin(), DimmedEntries, memory.palette.begin());
        memory.layers[0] = LayerEnable | layerScroll(0, -((10080 - 160 * k) / 64));
        showFrame(video);
    }

    writeStatistics(run);

    run.running = 1;
    while (run.running != 0) {
        bool enter = false;
        if (windowClosed(&enter)) return Outcome::WindowClosed;
        if (enter) run.running = 0;
        const bool shown = (run.screen->frameCounter & 32) != 0;
        writeResultsLine(memory, PromptColumn, PromptRow, shown ? Prompt : PromptHidden);
        showFrame(video);
    }

    const Palette dimmed = memory.palette;
    for (int level = 64; level >= 0; --level) {
        if (windowClosed()) return Outcome::WindowClosed;
        scalePalette(memory.palette, dimmed, uint32_t(level));
        showFrame(video);
    }
    return Outcome::Finished;
}

}  // namespace

int32_t runLesson(LessonScreen& screen) {
    LessonRun run{};
    run.screen = &screen;
    enterLesson(run);
    fadeInLesson(run);
    Outcome outcome = playIntro(run);
    if (outcome == Outcome::Finished) outcome = playExercise(run);
    if (outcome == Outcome::Finished) outcome = showResults(run);

    VideoMemory& memory = screen.video->memory;
    memory.palette = run.savedPalette;
    if (outcome != Outcome::Finished) return 0;  // abandoned: nothing to record
    memory.lineCallback = nullptr;
    return int32_t(uint32_t(run.elapsedSeconds));
}
