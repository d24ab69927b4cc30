#include "course/lesson/lesson_run.h"

#include "course/common/screen_text.h"
#include "course/lesson/lesson_run_state.h"
#include "course/lesson/on_screen_keyboard.h"
#include "course/records/history.h"
#include "engine/display.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <algorithm>
#include <cstring>

void putCell(VideoMemory& memory, int column, int row, TileCell cell) {
    const int64_t index = int64_t(row) * MapSide + column;
    if (index >= 0 && index < MapCellCount) memory.maps[size_t(index)] = cell;
}

void writeText(VideoMemory& memory, int column, int row, const char* text, TileCell (*cell)(char)) {
    for (int i = 0; text[i] != '\0'; ++i) putCell(memory, column + i, row, cell(text[i]));
}

void copyKeyState(uint8_t (&copy)[KeyStateBytes], const uint8_t* state, int length) {
    if (state == nullptr) return;
    std::memcpy(copy, state, size_t(std::clamp(length, 0, KeyStateBytes)));
}

void followLayout(LessonRun& run, const SDL_Event& event) {
    const bool focusGained =
        event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
    if (event.type != SDL_KEYMAPCHANGED && !focusGained) return;
    readKeyboardLayout(*run.screen);
    drawAllKeys(*run.screen, run.shiftShown, run.capsShown);
}

namespace {

void enterLesson(LessonRun& run) {
    LessonScreen& screen = *run.screen;
    VideoMemory& memory = memoryOf(run);
    const int x = screen.keyboardScrollX;
    const int y = screen.keyboardScrollY;
    memory.layers[TextBoxLayer] = LayerEnable | layerScroll(0, 0);
    memory.layers[KeyboardLayer] = LayerEnable | layerScroll(x, y);
    memory.layers[KeyLabelLayer] = LayerEnable | layerScroll(x + 3, y + 3);  // 3 pixels in
    memory.layers[TextLayer] = LayerEnable | layerScroll(0, 0);
    run.scriptMode = ScriptMode::Run;
    int length = 0;
    const uint8_t* state = host.keyboardState(&length);
    copyKeyState(run.previousKeyState, state, length);
    run.savedPalette = memory.palette;
}

// Reads no events: whatever arrives meanwhile waits for the intro's first frame.
void fadeInLesson(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    for (int level = 0; level < FadeLevels; ++level) {
        scalePalette(memory.palette, run.savedPalette, uint32_t(level));
        placeCapsLockLamp(*run.screen, run.capsShown);
        showFrame(*run.screen->video);
    }
    memory.palette = run.savedPalette;
}

}  // namespace

int32_t runLesson(LessonScreen& screen, RunSummary* summary) {
    LessonRun run{};
    run.screen = &screen;
    run.summary = summary;
    if (summary != nullptr) *summary = RunSummary{};
    enterLesson(run);
    fadeInLesson(run);
    PhaseOutcome outcome = playIntro(run);
    if (outcome == PhaseOutcome::Finished) {
        outcome = playExercise(run);
        host.textInput(false);
    }
    // The figures are known once the exercise is over, before the results take any input:
    // they go with the time to whoever keeps them.
    if (outcome == PhaseOutcome::Finished && summary != nullptr) {
        summary->finished = true;
        summary->seconds = int32_t(uint32_t(run.elapsedSeconds));
        summary->characters = run.correctCount;
        summary->errors = run.errors;
        summary->wordsPerMinute = wordsPerMinute(run.correctCount, summary->seconds);
    }
    if (outcome == PhaseOutcome::Finished && screen.recordTime != nullptr)
        run.notice =
            screen.recordTime(int32_t(uint32_t(run.elapsedSeconds)), screen.recordTimeData);
    if (outcome == PhaseOutcome::Finished) outcome = showResults(run);

    VideoMemory& memory = screen.video->memory;
    memory.palette = run.savedPalette;
    if (outcome != PhaseOutcome::Finished) return 0;  // abandoned: nothing to record
    memory.lineCallback = nullptr;
    return int32_t(uint32_t(run.elapsedSeconds));
}
