// The typing exercise: ten lines to type, judged key by key, with the on-screen keyboard
// following the physical one.
#include "course/lesson_run_state.h"

#include "course/on_screen_keyboard.h"
#include "engine/display.h"
#include "engine/host.h"

#include <SDL.h>

#include <algorithm>

namespace {

constexpr TileCell TypingClear = CellPriority | 32;
constexpr TileCell Cursor = CellPriority | cellTile(7, 1);
constexpr int TextColumn = 2;
constexpr int HeadingRow = 16;
constexpr int LineRow = 18;
constexpr int TypedRow = 20;
constexpr int ClearedCells = 48;

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
        (modifiers & KMOD_SHIFT) != 0 || ((modifiers & KMOD_CAPS) != 0 && key.capsApplies);
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
        run.running = false;
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
        screen.keys[k].pressed = state[scancode] != 0;
        drawKey(screen, k, run.shiftShown, run.capsShown);
    }
    copyKeyState(run.previousKeyState, state, count);
}

void mirrorModifiers(LessonRun& run) {
    const uint32_t modifiers = host.modState();
    const bool caps = (modifiers & KMOD_CAPS) != 0;
    const bool shift = (modifiers & KMOD_SHIFT) != 0;
    if (caps == run.capsShown && shift == run.shiftShown) return;
    run.capsShown = caps;
    run.shiftShown = shift;
    drawAllKeys(*run.screen, run.shiftShown, run.capsShown);
}

}  // namespace

PhaseOutcome playExercise(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    writeText(memory, TextColumn, HeadingRow, "Type these words:", textCell);
    writeText(memory, TextColumn, LineRow, run.screen->lines[0], textCell);
    putCell(memory, TextColumn, TypedRow, Cursor);
    // The clock runs from the moment the exercise is shown, not from the first press.
    run.startTicks = host.performanceCounter();
    run.running = true;
    while (run.running) {
        SDL_Event event;
        while (host.pollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) return PhaseOutcome::WindowClosed;
            if (event.type != SDL_KEYDOWN) continue;
            // Presses queued behind the last character of the tenth line have nothing left
            // to be judged against: they are dropped.
            if (!run.running) continue;
            const SDL_Keycode code = event.key.keysym.sym;
            if (code == SDLK_ESCAPE) return PhaseOutcome::Abandoned;
            if (code < 32 || code > 127) continue;
            judgeKeyPress(run, code, event.key.keysym.mod);
        }
        mirrorHeldKeys(run);
        mirrorModifiers(run);
        placeCapsLockLamp(*run.screen, run.capsShown);
        showFrame(*run.screen->video);
    }
    // Taken once the frame with the last character has been shown.
    const uint64_t frequency = host.performanceFrequency();
    const uint64_t ticks = host.performanceCounter() - run.startTicks;
    run.elapsedSeconds = frequency == 0 ? 0 : ticks / frequency;
    return PhaseOutcome::Finished;
}
