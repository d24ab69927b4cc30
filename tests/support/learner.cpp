#include "tests/support/learner.h"

#include <string_view>

namespace {

// The character keys in the order of their scancodes from SDL_SCANCODE_A (4), without and with
// Shift; '\1' stands for keys that type nothing here.
constexpr std::string_view Unshifted =
    "abcdefghijklmnopqrstuvwxyz1234567890\1\1\1\1 -=[]\\\1;'`,./";
constexpr std::string_view Shifted = "ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()\1\1\1\1 _+{}|\1:\"~<>?";

void tap(VirtualHost& host, SDL_Keycode key, int scancode, uint16_t mod = KMOD_NONE) {
    host.pressNow(key, SDL_Scancode(scancode), mod);
    host.releaseNow(key, SDL_Scancode(scancode), mod);
}

}  // namespace

std::string readText(const VideoMemory& memory, TextPlace place) {
    const TextStyle style = place.style;
    const LayerWord word = memory.layers[size_t(style.layer)];
    const int row = ((place.y + layerScrollYOf(word)) & MapPixelMask) / 8;
    std::string text;
    for (int i = 0; i < place.cells; ++i) {
        const int column = ((place.x + 8 * i + layerScrollXOf(word)) & MapPixelMask) / 8;
        const TileCell cell = memory.maps[size_t(mapIndex(style.layer, column, row))];
        const int tile = cellTileOf(cell);
        const int code = style.firstTile != 0 && tile == 7 ? CursorCell : tile - style.firstTile;
        const bool known = cellGroupOf(cell) == style.group && code > ' ' && code <= CursorCell;
        text += tile == BlankTile || code == ' ' ? ' ' : known ? char(code) : UnknownCell;
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

bool keystrokeFor(char c, Keystroke& stroke) {
    const size_t lower = Unshifted.find(c), upper = Shifted.find(c);
    const size_t at = lower != std::string_view::npos ? lower : upper;
    if (c == '\1' || at == std::string_view::npos) return false;
    stroke = {Unshifted[at], int(at) + 4, lower == std::string_view::npos};
    return true;
}

char otherOnKey(char c) {
    const size_t lower = Unshifted.find(c), upper = Shifted.find(c);
    return c == ' '                          ? 'x'
           : lower != std::string_view::npos ? Shifted[lower]
           : upper != std::string_view::npos ? Unshifted[upper]
                                             : 'x';
}

void Learner::onFrame(const VideoMemory& memory) {
    const auto read = [&memory](TextPlace place) { return readText(memory, place); };
    const bool lessonScreen = memory.lineCallback != nullptr;
    const LearnerPhase before = phase;
    if (phase == LearnerPhase::Menu && lessonScreen) phase = LearnerPhase::Lesson;
    if (phase == LearnerPhase::Lesson && read(Heading) == "Type these words:")
        phase = LearnerPhase::Exercise;
    if (phase == LearnerPhase::Exercise && read(resultsLine(0)).starts_with("Words Per Minute"))
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
        const std::string line = read(LineToType);
        const size_t position = read(TypedLine).find(CursorCell);
        Keystroke key{}, wrong{};
        if (position >= line.size() || !keystrokeFor(line[position], key)) return;
        if (key.shift != shiftHeld) {
            key.shift ? host.pressNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT)
                      : host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
            shiftHeld = key.shift;
        }
        const uint16_t mod = key.shift ? KMOD_LSHIFT : KMOD_NONE;
        if (plan.wrongKeyEvery > 0 && (charactersTyped + 1) % plan.wrongKeyEvery == 0) {
            // A key that types something else: the same character stays expected.
            keystrokeFor(line[position] == 'j' ? 'k' : 'j', wrong);
            tap(host, wrong.key, wrong.scancode, mod);
            ++errorsMade;
        }
        tap(host, key.key, key.scancode, mod);
        ++charactersTyped;
    } else if (phase == LearnerPhase::Results && !enterPressed &&
               read(resultsLine(2)).starts_with("Time")) {
        results = readResults(read);
        if (shiftHeld) host.releaseNow(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_NONE);
        shiftHeld = false;
        tap(host, SDLK_RETURN, SDL_SCANCODE_RETURN);
        enterPressed = true;
    }
}
