// The intro: the lesson's steps of texts, key highlights, waits and pauses.
#include "course/lesson/lesson_run_state.h"

#include "course/lesson/finger_guide.h"
#include "course/lesson/lesson_speech.h"
#include "course/lesson/on_screen_keyboard.h"
#include "engine/display.h"
#include "engine/host.h"
#include "engine/window_modes.h"

#include <SDL.h>

namespace {

// The steps come from the course reader or the practice, which lay them out inside the text
// box; still, nothing here writes outside map 0, an empty text takes no frame, and a key that
// no key of the keyboard types is not lit.

const IntroStep* currentStep(const LessonRun& run) {
    const Intro* intro = run.screen->intro;
    if (intro == nullptr || run.scriptCursor < 0 || size_t(run.scriptCursor) >= intro->size())
        return nullptr;
    return &(*intro)[size_t(run.scriptCursor)];
}

void clearRow(LessonRun& run, int row) {
    for (int i = 0; i < IntroClearedCells; ++i)
        putCell(memoryOf(run), TextColumn + i, row, TextBlank);
}

// Any character a key's label shows can be lit, Latin-1 letters included. The key shows
// pressed or, with the finger guide, lit in its finger's colour, the finger marked.
void highlightKey(LessonRun& run, uint8_t character, bool on) {
    KeyboardModel& keyboard = run.screen->keyboard;
    const uint8_t k = keyboard.keyByChar[character];
    if (k == NoKey || k >= keyboard.keyCount) return;
    (run.screen->fingerGuide ? keyboard.keys[k].lit : keyboard.keys[k].pressed) = on;
    redrawKey(run, k);
    if (run.screen->fingerGuide) markFingers(memoryOf(run), keyboard);
    if (character != LeftShiftCode && character != RightShiftCode && character != CapsLockCode) {
        return;
    }
    // Either Shift key shows every upper character; Caps Lock the letters and the lamp.
    const auto held = [&keyboard](uint8_t code) {
        const uint8_t key = keyboard.keyByChar[code];
        return key != NoKey && (keyboard.keys[key].pressed || keyboard.keys[key].lit);
    };
    run.capsShown = held(CapsLockCode);
    run.shiftShown = held(RightShiftCode) || held(LeftShiftCode);
    redrawKeys(run);
}

// Prints the character at stepCounter; after the last one the next step runs in the
// following frame.
void printTextStep(LessonRun& run) {
    const std::string& text = currentStep(run)->text;
    putCell(memoryOf(run), run.textColumn, run.textRow, lessonCell(text[size_t(run.stepCounter)]));
    run.textColumn += 1;
    run.stepCounter += 1;
    if (size_t(run.stepCounter) >= text.size()) {
        run.scriptCursor += 1;
        run.scriptMode = ScriptMode::Run;
    }
}

void pauseStep(LessonRun& run) {
    run.stepCounter -= 1;
    if (run.stepCounter <= 0) run.scriptMode = ScriptMode::Run;
}

// Runs steps until one that takes frames: a text, a wait, a pause or the end.
void runSteps(LessonRun& run) {
    for (const IntroStep* step = currentStep(run); step != nullptr; step = currentStep(run)) {
        if (step->kind == StepKind::Print || step->kind == StepKind::Light)
            sayIntroPart(run, run.scriptCursor);
        switch (step->kind) {
        case StepKind::Clear: clearRow(run, step->row); break;
        case StepKind::Light:
        case StepKind::Release: highlightKey(run, step->key, step->kind == StepKind::Light); break;
        case StepKind::Print:
            if (step->text.empty()) break;
            run.textColumn = TextColumn;
            run.textRow = step->row;
            run.stepCounter = 0;
            run.scriptMode = ScriptMode::Print;
            printTextStep(run);
            return;
        case StepKind::Wait:
            run.scriptCursor += 1;
            run.scriptMode = ScriptMode::Wait;
            return;
        case StepKind::Pause:
            run.scriptCursor += 1;
            run.scriptMode = ScriptMode::Pause;
            run.stepCounter = step->frames;
            pauseStep(run);
            return;
        }
        run.scriptCursor += 1;
    }
    run.scriptMode = ScriptMode::Ended;
    run.running = false;
}

}  // namespace

LessonEnd playIntro(LessonRun& run) {
    run.running = true;
    sayIntroPart(run, 0);
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
            if (run.scriptMode != ScriptMode::Wait) continue;
            run.scriptMode = ScriptMode::Run;
            cutIntroShort(run);
        }
        switch (run.scriptMode) {
        case ScriptMode::Run: runSteps(run); break;
        case ScriptMode::Print: printTextStep(run); break;
        case ScriptMode::Pause: pauseStep(run); break;
        default: break;
        }
        placeLamp(run);
        if (!showFrame(videoOf(run))) return LessonEnd::Quit;
    }
    return LessonEnd::Finished;
}
