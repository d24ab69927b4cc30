// The intro: the lesson's script of texts, key highlights, waits and pauses.
#include "course/lesson/lesson_run_state.h"

#include "course/content/lesson_catalogue.h"
#include "course/lesson/on_screen_keyboard.h"
#include "engine/display.h"
#include "engine/host.h"
#include "engine/window_modes.h"

#include <SDL.h>

namespace {

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

// Any character a key's label shows can be lit, Latin-1 letters included.
void highlightKey(LessonRun& run, uint8_t character, bool on) {
    KeyboardModel& keyboard = run.screen->keyboard;
    const uint8_t k = keyboard.keyByChar[character];
    if (k == NoKey || k >= keyboard.keyCount) return;
    keyboard.keys[k].pressed = on;
    redrawKey(run, k);
    if (character != LeftShiftCode && character != RightShiftCode && character != CapsLockCode) {
        return;
    }
    // Either Shift key shows every upper character; Caps Lock the letters and the lamp.
    const auto held = [&keyboard](uint8_t code) {
        const uint8_t key = keyboard.keyByChar[code];
        return key != NoKey && keyboard.keys[key].pressed;
    };
    run.capsShown = held(CapsLockCode);
    run.shiftShown = held(RightShiftCode) || held(LeftShiftCode);
    redrawKeys(run);
}

// Prints the character at stepCounter; after the last one the next command runs in the
// following frame.
void printTextStep(LessonRun& run) {
    const char* command = currentCommand(run);
    putCell(memoryOf(run), run.textColumn, run.textRow, lessonCell(command[run.stepCounter]));
    run.textColumn += 1;
    run.stepCounter += 1;
    if (command[run.stepCounter] == '\0') {
        run.scriptCursor += 1;
        run.scriptMode = ScriptMode::Run;
    }
}

void pauseStep(LessonRun& run) {
    run.stepCounter -= 1;
    if (run.stepCounter <= 0) run.scriptMode = ScriptMode::Run;
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
            run.scriptMode = ScriptMode::Print;
            printTextStep(run);
            return;
        } else if (letter == 'w') {
            run.scriptCursor += 1;
            run.scriptMode = ScriptMode::Wait;
            return;
        } else if (letter == 'p') {
            if (!hasCharacters(command, 4)) {
                run.scriptCursor += 1;
                continue;
            }
            run.scriptCursor += 1;
            run.scriptMode = ScriptMode::Pause;
            run.stepCounter = decimal(command + 1, 3);
            pauseStep(run);
            return;
        } else {
            run.scriptMode = ScriptMode::Ended;
            run.running = false;
            return;
        }
    }
}

}  // namespace

LessonEnd playIntro(LessonRun& run) {
    run.running = true;
    while (run.running) {
        SDL_Event event;
        while (nextEvent(videoOf(run), event) != 0) {
            if (event.type == SDL_QUIT) return LessonEnd::Quit;
            followLayout(run, event);
            // Only noted: an exercise that begins while the window is away begins paused.
            noteFocus(run, event);
            if (event.type != SDL_KEYDOWN) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) return LessonEnd::Abandoned;
            // Only a wait takes a press; one made while printing or pausing is forgotten,
            // and of several presses in one frame only the first ends the wait.
            if (run.scriptMode == ScriptMode::Wait) run.scriptMode = ScriptMode::Run;
        }
        switch (run.scriptMode) {
        case ScriptMode::Run: runCommands(run); break;
        case ScriptMode::Print: printTextStep(run); break;
        case ScriptMode::Pause: pauseStep(run); break;
        default: break;
        }
        placeLamp(run);
        if (!showFrame(videoOf(run))) return LessonEnd::Quit;
    }
    return LessonEnd::Finished;
}
