#include "tests/support/learner.h"

#include "course/on_screen_keyboard.h"

namespace {

constexpr TileCell TextCellBase = 0x8400;  // lesson font, group 1, priority
constexpr TileCell CursorCell = 0x8407;
constexpr TileCell ResultsCellBase = 0x8800;  // main font, group 2, priority

bool isTextCell(TileCell cell) {
    const int tile = cellTile(cell);
    return (cell & 0xFC00) == TextCellBase && tile >= 96 + 32 && tile <= 96 + 126;
}

// A key pressed and released at once.
void tap(VirtualHost& host, SDL_Keycode key, SDL_Scancode scancode, uint16_t mod = KMOD_NONE) {
    host.pressNow(key, scancode, mod);
    host.releaseNow(key, scancode, mod);
}

int cursorPosition(const VideoMemory& memory) {
    for (int column = 2; column < 64; ++column) {
        if (memory.maps[size_t(mapIndex(0, column, 20))] == CursorCell) return column - 2;
    }
    return -1;
}

}  // namespace

std::string readLessonText(const VideoMemory& memory, int column, int row) {
    std::string text;
    for (int c = column; c < MapSide; ++c) {
        TileCell cell = memory.maps[size_t(mapIndex(0, c, row))];
        if (!isTextCell(cell)) break;
        text += char(cellTile(cell) - 96);
    }
    return text;
}

std::string readResultsText(const VideoMemory& memory, int column, int row, int length) {
    std::string text;
    for (int c = column; c < column + length && c < MapSide; ++c) {
        TileCell cell = memory.maps[size_t(mapIndex(0, c, row))];
        if ((cell & 0xFC00) != ResultsCellBase) break;
        text += char(cellTile(cell));
    }
    return text;
}

std::string readMenuText(const VideoMemory& memory, int column, int row, int length) {
    std::string text;
    for (int c = column; c < column + length; ++c) {
        text += char(cellTile(memory.maps[size_t(mapIndex(1, c, row))]));
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

Learner::Learner(VirtualHost& virtualHost, LearnerPlan learnerPlan)
    : host(virtualHost), plan(learnerPlan) {
    buildKeyboard(keyboard);
}

void Learner::onFrame(const VideoMemory& memory) {
    const bool lessonScreen = memory.lineCallback != nullptr;
    const bool exercise = readLessonText(memory, 2, 16) == "Type these words:";
    const bool results = readResultsText(memory, 9, 12, 16) == "Words Per Minute";

    const LearnerPhase before = phase;
    if (phase == LearnerPhase::Menu && lessonScreen) phase = LearnerPhase::Lesson;
    if (phase == LearnerPhase::Lesson && exercise) phase = LearnerPhase::Exercise;
    if (phase == LearnerPhase::Exercise && results) phase = LearnerPhase::Results;
    // Back in the menu: after the results, or after a lesson left early.
    if (phase != LearnerPhase::Menu && !lessonScreen) phase = LearnerPhase::BackInMenu;
    phaseFrames = phase == before ? phaseFrames + 1 : 0;

    if (plan.interrupts && !interrupted && phase == plan.interruptIn && phaseFrames == 30) {
        if (plan.interruptWithClose) {
            host.quitNow();
        } else {
            tap(host, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        }
        interrupted = true;
        if (phase != LearnerPhase::Results) return;
    }

    switch (phase) {
    case LearnerPhase::Menu:
    case LearnerPhase::BackInMenu:
        if (phase == LearnerPhase::BackInMenu && !escapePressed) {
            tap(host, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
            escapePressed = true;
        }
        break;
    case LearnerPhase::Lesson:
        // Any key ends a wait of the intro; an arrow key types nothing if it arrives late.
        tap(host, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
        break;
    case LearnerPhase::Exercise: {
        ++exerciseFrames;
        if (exerciseFrames % plan.framesPerCharacter != 0) break;
        const std::string line = readLessonText(memory, 2, 18);
        int position = cursorPosition(memory);
        if (position < 0) break;
        for (int n = 0; n < plan.charactersPerFrame && size_t(position) < line.size(); ++n) {
            const unsigned char wanted = static_cast<unsigned char>(line[size_t(position)]);
            const KeyboardKey& key = keyboard.keys[keyboard.keyByChar[wanted]];
            const auto scancode = SDL_Scancode(key.scancode);
            const SDL_Keycode keycode = key.lowerChar;
            const bool shift = wanted != key.lowerChar;
            if (shift != shiftHeld) {
                if (shift) {
                    host.pressNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
                } else {
                    host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
                }
                shiftHeld = shift;
            }
            const uint16_t mod = shift ? KMOD_LSHIFT : KMOD_NONE;
            if (plan.capsLockDetour && !capsDetourDone && key.capsApplies && !shift &&
                position == 0 && charactersTyped > 0) {
                // Caps Lock turns a lower-case letter into a wrong capital.
                tap(host, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS);
                tap(host, keycode, scancode, KMOD_CAPS);
                tap(host, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_NONE);
                ++errorsMade;
                capsDetourDone = true;
            }
            if (plan.wrongKeyEvery > 0 && (charactersTyped + 1) % plan.wrongKeyEvery == 0) {
                // A neighbour that types something else: the same character stays expected.
                const KeyboardKey& wrong =
                    keyboard.keys[keyboard.keyByChar[size_t(wanted == 'j' ? 'k' : 'j')]];
                tap(host, wrong.lowerChar, SDL_Scancode(wrong.scancode), mod);
                ++errorsMade;
            }
            tap(host, keycode, scancode, mod);
            ++charactersTyped;
            ++position;
        }
        break;
    }
    case LearnerPhase::Results:
        if (!enterPressed && readResultsText(memory, 9, 16, 4) == "Time") {
            resultsText = readResultsText(memory, 9, 12, 21) + "|" +
                          readResultsText(memory, 9, 14, 21) + "|" +
                          readResultsText(memory, 9, 16, 21);
            if (shiftHeld) host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
            shiftHeld = false;
            tap(host, SDLK_RETURN, SDL_SCANCODE_RETURN);
            enterPressed = true;
        }
        break;
    }
}
