#include "course/lesson/lesson_run.h"

#include "course/common/finger_colours.h"
#include "course/lesson/finger_guide.h"
#include "course/lesson/lesson_run_state.h"
#include "engine/display.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <algorithm>
#include <cstring>

void putCell(VideoMemory& memory, int column, int row, TileCell cell) {
    const int64_t index = int64_t(row) * MapSide + column;
    if (index >= 0 && index < MapCellCount) memory.maps[size_t(index)] = cell;
}

void redrawKey(LessonRun& run, int key) {
    const LessonScreen& screen = *run.screen;
    drawKey(memoryOf(run), screen.keyboard, screen.placement, key, run.shiftShown, run.capsShown);
}

void redrawKeys(LessonRun& run) {
    const LessonScreen& screen = *run.screen;
    drawAllKeys(memoryOf(run), screen.keyboard, screen.placement, run.shiftShown, run.capsShown);
}

void placeLamp(LessonRun& run) {
    const LessonScreen& screen = *run.screen;
    placeCapsLockLamp(memoryOf(run), screen.keyboard, screen.placement, run.capsShown);
}

void copyKeyState(uint8_t (&copy)[KeyStateBytes], const uint8_t* state, int length) {
    if (state == nullptr) return;
    std::memcpy(copy, state, size_t(std::clamp(length, 0, KeyStateBytes)));
}

void followLayout(LessonRun& run, const SDL_Event& event) {
    const bool focusGained =
        event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
    if (event.type != SDL_KEYMAPCHANGED && !focusGained) return;
    KeyboardModel& keyboard = run.screen->keyboard;
    const bool isoShown = keyboard.keys[IsoKey].shown;
    const bool altGrShown = keyboard.keys[AltGrKey].shown;
    readKeyboardLayout(keyboard);
    // A key that came or went leaves its place, or its neighbour's old one, to be drawn anew.
    if (keyboard.keys[IsoKey].shown != isoShown || keyboard.keys[AltGrKey].shown != altGrShown)
        drawKeyboardPanel(memoryOf(run));
    redrawKeys(run);
}

void noteFocus(LessonRun& run, const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return;
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) run.focusLost = true;
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) run.focusLost = false;
}

namespace {

void enterLesson(LessonRun& run) {
    LessonScreen& screen = *run.screen;
    VideoMemory& memory = memoryOf(run);
    const int x = screen.placement.scrollX;
    const int y = screen.placement.scrollY;
    memory.layers[TextBoxLayer] = LayerEnable | layerScroll(0, 0);
    memory.layers[KeyboardLayer] = LayerEnable | layerScroll(x, y);
    memory.layers[KeyLabelLayer] = LayerEnable | layerScroll(x + 3, y + 3);  // 3 pixels in
    memory.layers[TextLayer] = LayerEnable | layerScroll(0, 0);
    run.scriptMode = ScriptMode::Run;
    int length = 0;
    const uint8_t* state = host.keyboardState(&length);
    copyKeyState(run.previousKeyState, state, length);
    run.savedPalette = memory.palette;
    if (!screen.fingerGuide) return;
    screen.keyboard.fingerZones = true;
    redrawKeys(run);
    drawHands(memory);
}

// Reads no events: whatever arrives meanwhile waits for the intro's first frame. The lesson's
// palette is the one it came with and, with the finger guide, the guide's colours.
bool fadeInLesson(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    Palette shown = run.savedPalette;
    if (run.screen->fingerGuide) putFingerColours(shown);
    bool going = true;
    for (int level = 0; level < FadeLevels && going; ++level) {
        scalePalette(memory.palette, shown, uint32_t(level));
        placeLamp(run);
        going = showFrame(videoOf(run));
    }
    memory.palette = shown;
    return going;
}

}  // namespace

LessonEnd playLesson(LessonRun& run, LessonScreen& screen) {
    run.screen = &screen;
    enterLesson(run);
    LessonEnd end = fadeInLesson(run) ? playIntro(run) : LessonEnd::Quit;
    if (end == LessonEnd::Finished) {
        end = playExercise(run);
        host.textInput(false);
    }
    if (end != LessonEnd::Finished) memoryOf(run).palette = run.savedPalette;
    return end;
}
