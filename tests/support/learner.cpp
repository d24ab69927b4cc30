#include "tests/support/learner.h"

#include "course/on_screen_keyboard.h"

namespace {

// A key pressed and released at once.
void tap(VirtualHost& host, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = KMOD_NONE) {
    host.pressNow(key, scancode, mod);
    host.releaseNow(key, scancode, mod);
}

}  // namespace

std::string readLessonText(const VideoMemory& memory, int column, int row) {
    std::string text;
    for (int c = column; c < MapSide; ++c) {
        const TileCell cell = memory.maps[size_t(mapIndex(0, c, row))];
        const int tile = cellTileOf(cell);
        if ((cell & 0xFC00) != 0x8400 || tile < 96 + 32 || tile > 96 + 126) break;
        text += char(tile - 96);
    }
    return text;
}

std::string readResultsText(const VideoMemory& memory, int column, int row, int length) {
    std::string text;
    for (int c = column; c < column + length && c < MapSide; ++c) {
        const TileCell cell = memory.maps[size_t(mapIndex(0, c, row))];
        if ((cell & 0xFC00) != 0x8800) break;
        text += char(cellTileOf(cell));
    }
    return text;
}

std::string readMenuText(const VideoMemory& memory, int column, int row, int length) {
    std::string text;
    for (int c = column; c < column + length; ++c) {
        text += char(cellTileOf(memory.maps[size_t(mapIndex(1, c, row))]));
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

Learner::Learner(VirtualHost& virtualHost, LearnerPlan learnerPlan)
    : host(virtualHost), plan(learnerPlan) {
    buildKeyboard(keyboard);
}

void Learner::onFrame(const VideoMemory& memory) {
    const bool lessonScreen = memory.lineCallback != nullptr;
    const LearnerPhase before = phase;
    if (phase == LearnerPhase::Menu && lessonScreen) phase = LearnerPhase::Lesson;
    if (phase == LearnerPhase::Lesson && readLessonText(memory, 2, 16) == "Type these words:")
        phase = LearnerPhase::Exercise;
    if (phase == LearnerPhase::Exercise && readResultsText(memory, 9, 12, 16) == "Words Per Minute")
        phase = LearnerPhase::Results;
    // Back in the menu: after the results, or after a lesson left early.
    if (phase != LearnerPhase::Menu && !lessonScreen) phase = LearnerPhase::BackInMenu;
    phaseFrames = phase == before ? phaseFrames + 1 : 0;

    if (plan.interrupts && !interrupted && phase == plan.interruptIn && phaseFrames == 30) {
        plan.interruptWithClose ? host.quitNow() : tap(host, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        interrupted = true;
        if (phase != LearnerPhase::Results) return;
    }
    if (phase == LearnerPhase::BackInMenu && !escapePressed) {
        tap(host, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        escapePressed = true;
    } else if (phase == LearnerPhase::Lesson) {
        // Any key ends a wait of the intro; an arrow key types nothing if it arrives late.
        tap(host, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    } else if (phase == LearnerPhase::Exercise) {
        const std::string line = readLessonText(memory, 2, 18);
        size_t position = 0;  // the cursor's column
        while (position < 62 && memory.maps[size_t(mapIndex(0, 2 + int(position), 20))] != 0x8407)
            ++position;
        if (position >= line.size()) return;
        const unsigned char wanted = static_cast<unsigned char>(line[position]);
        const KeyboardKey& key = keyboard.keys[keyboard.keyByChar[wanted]];
        const bool shift = wanted != key.lowerChar;
        if (shift != shiftHeld) {
            shift ? host.pressNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT)
                  : host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
            shiftHeld = shift;
        }
        const uint16_t mod = shift ? KMOD_LSHIFT : KMOD_NONE;
        if (plan.wrongKeyEvery > 0 && (charactersTyped + 1) % plan.wrongKeyEvery == 0) {
            // A key that types something else: the same character stays expected.
            const KeyboardKey& wrong =
                keyboard.keys[keyboard.keyByChar[size_t(wanted == 'j' ? 'k' : 'j')]];
            tap(host, wrong.lowerChar, SDL_Scancode(wrong.scancode), mod);
            ++errorsMade;
        }
        tap(host, key.lowerChar, SDL_Scancode(key.scancode), mod);
        ++charactersTyped;
    } else if (phase == LearnerPhase::Results && !enterPressed &&
               readResultsText(memory, 9, 16, 4) == "Time") {
        resultsText = readResultsText(memory, 9, 12, 21) + "|" +
                      readResultsText(memory, 9, 14, 21) + "|" + readResultsText(memory, 9, 16, 21);
        if (shiftHeld) host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
        shiftHeld = false;
        tap(host, SDLK_RETURN, SDL_SCANCODE_RETURN);
        enterPressed = true;
    }
}
