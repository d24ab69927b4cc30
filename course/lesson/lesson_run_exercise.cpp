// The typing exercise: ten lines to type, judged character by character as the learner's
// keyboard layout types them, with the on-screen keyboard following the physical one.
#include "course/lesson/lesson_run_state.h"

#include "course/common/art_tiles.h"
#include "course/common/cues.h"
#include "course/common/screen_text.h"
#include "course/lesson/finger_guide.h"
#include "course/lesson/lesson_speech.h"
#include "course/lesson/on_screen_keyboard.h"
#include "course/records/history.h"
#include "engine/display.h"
#include "engine/host.h"
#include "engine/window_modes.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr TileCell TypingClear = CellPriority | (art::MainFont + ' ');
constexpr TileCell Cursor = CellPriority | cellTile(art::TypingCursor, 1);

void writeLessonText(VideoMemory& memory, int column, int row, const char* text) {
    writeText(memory, TextLayer, column, row, text, Font::Lesson, LessonText);
}

void showLine(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    for (int i = 0; i < ExerciseClearedCells; ++i) {
        putCell(memory, TextColumn + i, LineRow, TypingClear);
        putCell(memory, TextColumn + i, TypedRow, TypingClear);
    }
    writeLessonText(memory, TextColumn, LineRow, run.screen->lines[run.lineIndex]);
    putCell(memory, TextColumn, TypedRow, Cursor);
}

void resume(LessonRun& run);

void judgeCharacter(LessonRun& run, uint32_t typed) {
    if (!run.running) return;  // the tenth line is done
    // The first character after the focus came back only resumes the clock; it is not judged.
    if (run.paused) {
        if (!run.focusLost) resume(run);
        return;
    }
    const char* line = run.screen->lines[run.lineIndex];
    const uint8_t expected = uint8_t(line[run.position]);
    tallyPress(run.summary.keys, expected, typed < 128 ? uint8_t(typed) : uint8_t(0xFF));
    const bool right = typed == expected;
    tellCue({.kind = right ? CueKind::KeyRight : CueKind::KeyWrong,
             .expected = expected,
             .typed = typed,
             .number = run.position,
             .text = line});
    if (!right) {
        run.summary.errors += 1;  // the same character stays expected
        sayExpected(run);
        return;
    }
    sayTyped(run, uint8_t(typed));
    VideoMemory& memory = memoryOf(run);
    putCell(memory, TextColumn + run.position, TypedRow, lessonCell(line[run.position]));
    run.position += 1;
    putCell(memory, TextColumn + run.position, TypedRow, Cursor);
    run.summary.characters += 1;
    if (line[run.position] != '\0') return;
    run.lineIndex += 1;
    run.position = 0;
    tellCue({.kind = CueKind::LineDone,
             .number = run.lineIndex,
             .count = LineCount,
             .text = run.lineIndex < LineCount ? run.screen->lines[run.lineIndex] : nullptr});
    if (run.lineIndex == LineCount) {
        run.running = false;
        sayLineDone(run);
        return;
    }
    showLine(run);
    sayLineDone(run);
}

// The next character of UTF-8 text from `i`, moving `i` past it; a malformed sequence
// gives U+FFFD, a wrong character, for its first byte.
uint32_t nextCharacter(const uint8_t* text, size_t size, size_t& i) {
    const uint8_t lead = text[i++];
    if (lead < 0x80) return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0) return 0xFFFD;
    uint32_t c = lead & (0x3Fu >> more);
    for (int m = 0; m < more; ++m) {
        if (i >= size || (text[i] & 0xC0) != 0x80) return 0xFFFD;
        c = c << 6 | (text[i++] & 0x3F);
    }
    return c;
}

void judgeText(LessonRun& run, const char* text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const size_t size = strnlen(text, SDL_TEXTINPUTEVENT_TEXT_SIZE);
    for (size_t i = 0; i < size;) judgeCharacter(run, nextCharacter(bytes, size, i));
}

// A key press for which the system gives no text because Ctrl or Alt is held still types
// the key's own character, as its label shows it.
void judgeKeyCharacter(LessonRun& run, int keyIndex, uint16_t modifiers) {
    const KeyboardKey& key = run.screen->keyboard.keys[keyIndex];
    const bool upper =
        ((modifiers & KMOD_SHIFT) != 0) != ((modifiers & KMOD_CAPS) != 0 && key.capsApplies != 0);
    const uint8_t c = upper ? key.upperChar : key.lowerChar;
    if (c == ' ' && keyIndex != SpaceBarKey) return;  // a blank label: no character
    judgeCharacter(run, c == UnknownCharacter ? 0xFFFD : c);
}

// Every on-screen key whose physical key changed since the last frame follows it.
void mirrorHeldKeys(LessonRun& run) {
    KeyboardModel& keyboard = run.screen->keyboard;
    int length = 0;
    const uint8_t* state = host.keyboardState(&length);
    if (state == nullptr) return;
    const int count = std::clamp(length, 0, KeyStateBytes);
    for (int k = 0; k < keyboard.keyCount; ++k) {
        const uint32_t scancode = keyboard.keys[k].scancode;
        if (scancode >= uint32_t(count)) continue;
        if (state[scancode] == run.previousKeyState[scancode]) continue;
        keyboard.keys[k].pressed = state[scancode] != 0;
        redrawKey(run, k);
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
    redrawKeys(run);
}

// While the window is away from the keyboard the clock stands and "Paused" shows in the
// text box; the cells it covers are put back when the learner resumes.
constexpr int PausedColumn = 30;
constexpr const char* PausedText = "Paused";
constexpr int PausedLength = 6;

void pause(LessonRun& run) {
    if (run.paused) return;
    run.paused = true;
    run.pausedAt = host.performanceCounter();
    VideoMemory& memory = memoryOf(run);
    for (int i = 0; i < PausedLength; ++i)
        run.underPaused[i] = memory.maps[size_t(mapIndex(TextLayer, PausedColumn + i, HeadingRow))];
    writeLessonText(memory, PausedColumn, HeadingRow, PausedText);
}

// The time away is taken off by moving the start forward.
void resume(LessonRun& run) {
    run.paused = false;
    run.startTicks += host.performanceCounter() - run.pausedAt;
    VideoMemory& memory = memoryOf(run);
    for (int i = 0; i < PausedLength; ++i)
        putCell(memory, PausedColumn + i, HeadingRow, run.underPaused[i]);
}

// With the finger guide, the keys that type the next character are lit, their fingers marked
// and named; a character that no key types is named in the text box instead, right of the
// heading and left of where "Paused" shows.
constexpr int KeylessColumn = 19;
constexpr int KeylessLength = 11;

void noteKeyless(LessonRun& run, uint8_t c) {
    if (c == run.keylessNoted) return;
    run.keylessNoted = c;
    VideoMemory& memory = memoryOf(run);
    for (int i = 0; i < KeylessLength; ++i)
        putCell(memory, KeylessColumn + i, HeadingRow, TextBlank);
    if (c == 0) return;
    const char note[KeylessLength + 1] = {'N', 'o', ' ', 'k',     'e', 'y',
                                          ':', ' ', '"', char(c), '"', 0};
    writeLessonText(memory, KeylessColumn, HeadingRow, note);
}

void followGuide(LessonRun& run) {
    LessonScreen& screen = *run.screen;
    if (!screen.fingerGuide) return;
    KeyboardModel& keyboard = screen.keyboard;
    const uint8_t next = run.running ? uint8_t(screen.lines[run.lineIndex][run.position]) : 0;
    // A letter written with a dead key lights both strokes: the dead key's, then the letter's.
    int keys[4] = {-1, -1, -1, -1};
    int single[2] = {-1, -1};
    int first = 0;
    int count = next == 0 ? 0 : keysToType(keyboard, next, run.capsShown, single);
    if (count > 0) {
        keys[0] = single[0];
        keys[1] = single[1];
    } else if (next != 0) {
        count = deadKeysToType(keyboard, next, run.capsShown, keys, first);
    }
    bool changed = false;
    for (int k = 0; k < keyboard.keyCount; ++k) {
        const bool lit = std::find(keys, keys + count, k) != keys + count;
        if (keyboard.keys[k].lit == lit) continue;
        keyboard.keys[k].lit = lit;
        redrawKey(run, k);
        changed = true;
    }
    if (changed) {
        markFingers(memoryOf(run), keyboard);
        writeFingerNames(memoryOf(run), keyboard, keys, count, first);
    }
    noteKeyless(run, next != 0 && count == 0 ? next : 0);
}

}  // namespace

LessonEnd playExercise(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    writeLessonText(memory, TextColumn, HeadingRow, "Type these words:");
    writeLessonText(memory, TextColumn, LineRow, run.screen->lines[0]);
    putCell(memory, TextColumn, TypedRow, Cursor);
    // The clock runs from the moment the exercise is shown, not from the first press.
    run.startTicks = host.performanceCounter();
    if (run.focusLost) pause(run);
    run.running = true;
    sayFirstLine(run);
    host.textInput(true);
    while (run.running) {
        // A key press held back until it is known whether text follows it (see below).
        int pendingKey = -1;
        uint16_t pendingModifiers = 0;
        bool keypadText = false;  // the last key pressed was one of the keypad's
        SDL_Event event;
        while (nextEvent(videoOf(run), event) != 0) {
            if (event.type == SDL_TEXTINPUT) {
                pendingKey = -1;
                // The keypad's characters are not judged: it is no part of the course's
                // keyboard.
                if (!keypadText) judgeText(run, event.text.text);
                continue;
            }
            if (pendingKey >= 0) judgeKeyCharacter(run, pendingKey, pendingModifiers);
            pendingKey = -1;
            if (event.type == SDL_QUIT) return LessonEnd::Abandoned;
            followLayout(run, event);
            if (event.type == SDL_WINDOWEVENT) {
                noteFocus(run, event);
                if (run.focusLost) pause(run);
                continue;
            }
            if (event.type != SDL_KEYDOWN) continue;
            // Presses queued behind the last character of the tenth line have nothing left
            // to be judged against, Escape included: they are dropped.
            if (!run.running) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) return LessonEnd::Abandoned;
            if (event.key.keysym.sym == SDLK_F1) sayRestOfLine(run);
            // The character typed is judged from the text the system makes of the press. With
            // Ctrl or Alt held the system makes none, and the key's own character is judged;
            // not so with AltGr (right Alt), which may wait for a dead key's next key.
            const SDL_Scancode scancode = event.key.keysym.scancode;
            keypadText = scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD;
            const uint16_t modifiers = event.key.keysym.mod;
            if ((modifiers & (KMOD_CTRL | KMOD_LALT)) == 0 ||
                (modifiers & (KMOD_RALT | KMOD_MODE)) != 0)
                continue;
            pendingKey = characterKeyOf(run.screen->keyboard, uint32_t(scancode));
            pendingModifiers = modifiers;
        }
        if (pendingKey >= 0) judgeKeyCharacter(run, pendingKey, pendingModifiers);
        mirrorHeldKeys(run);
        mirrorModifiers(run);
        followGuide(run);
        placeLamp(run);
        if (!showFrame(videoOf(run))) return LessonEnd::Quit;
    }
    // Taken once the frame with the last character has been shown.
    const uint64_t frequency = host.performanceFrequency();
    const uint64_t ticks = host.performanceCounter() - run.startTicks;
    RunSummary& summary = run.summary;
    summary.finished = true;
    summary.seconds = int32_t(uint32_t(frequency == 0 ? 0 : ticks / frequency));
    summary.wordsPerMinute = wordsPerMinute(summary.characters, summary.seconds);
    return LessonEnd::Finished;
}
