// The intro: any steps (the input up to its first zero byte: per step a byte for its kind, one
// for its row, key or frames, one for its text's length and the text), even ones no course
// makes (rows off the box and the map, keys no key types), run with any keys (the rest: pairs
// of frame step and key) for a bounded number of frames: Escape comes a little after the last
// key, and at the latest at `LatestEscape`. Nothing outside map 0 is written but the on-screen
// keys' own cells, and the intro always ends or waits: Escape ends the lesson within a few
// frames.
#include "course/lesson/lesson_run.h"
#include "course/lesson/lesson_screen.h"
#include "course/lesson/on_screen_keyboard.h"
#include "fuzz/fuzz_support.h"
#include "testing/virtual_host.h"
#include "tests/support/test_video.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint64_t LatestEscape = 1500;
constexpr uint64_t EscapeAfterLastKey = 60;  // time for the script to go on by itself
constexpr uint64_t EndsWithin = 400;         // the fade-out and results at the most

bool keyCell(const LessonScreen& screen, int map, int column, int row) {
    for (int k = 0; k < screen.keyboard.keyCount; ++k) {
        const KeyboardKey& key = screen.keyboard.keys[k];
        const int right = (key.column + key.width - 1) & (MapSide - 1);
        const bool rows =
            row == (key.row & (MapSide - 1)) || row == ((key.row + 1) & (MapSide - 1));
        if (map == 1 && column == right && row == ((key.row + 1) & (MapSide - 1))) return true;
        if (map == 2 && rows) {
            for (int c = key.column; c < key.column + key.width; ++c)
                if ((c & (MapSide - 1)) == column) return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestVideo test;
    static auto screen = std::make_unique<LessonScreen>();
    static auto run = std::make_unique<LessonRun>();
    static std::vector<TileCell> before(MapCellCount * 3);
    composeLineZeroOnly(test.memory());

    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t scriptBytes = end == nullptr ? size : size_t(end - data);
    Intro intro;
    for (size_t at = 0; at + 3 <= scriptBytes;) {
        const StepKind kind = StepKind(data[at] % 6);
        const uint8_t value = data[at + 1];
        const size_t length = std::min<size_t>(data[at + 2] % 48, scriptBytes - at - 3);
        const auto* text = reinterpret_cast<const char*>(data + at + 3);
        intro.push_back(
            {kind, value, int16_t(int8_t(value)), int16_t(value), std::string(text, length)});
        at += 3 + length;
    }

    VirtualHost clock;
    installVirtualHost(clock);
    const char* words[] = {"ab"};
    setUpLessonScreen(test.video(), *screen, words, 1, "Title", &intro);
    std::copy(test.memory().maps.begin() + MapCellCount, test.memory().maps.end(), before.begin());

    const SDL_Keycode keys[] = {SDLK_a,     SDLK_b,      SDLK_SPACE,    SDLK_RETURN,
                                SDLK_RIGHT, SDLK_LSHIFT, SDLK_CAPSLOCK, SDLK_x};
    uint64_t frame = 0;
    for (size_t i = scriptBytes + 1; i + 1 < size; i += 2) {
        if (frame + data[i] % 64 >= LatestEscape) break;
        frame += data[i] % 64;
        const SDL_Keycode key = keys[data[i + 1] % std::size(keys)];
        const uint16_t mod = (data[i + 1] & 0x80) != 0 ? KMOD_LSHIFT : KMOD_NONE;
        clock.keyDown(frame, key, scancodeFor(key), mod, (data[i + 1] & 0x40) != 0);
        clock.keyUp(frame, key, scancodeFor(key), mod);
    }
    const uint64_t escape = std::min(frame + EscapeAfterLastKey, LatestEscape);
    const uint64_t lastFrame = escape + EndsWithin;
    clock.onFrame = [&](const VideoMemory&) { FUZZ_CHECK(clock.framesComposed <= lastFrame); };
    clock.keyDown(escape, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    for (uint64_t later = escape + 70; later < lastFrame; later += 70)
        clock.keyDown(later, SDLK_RETURN, SDL_SCANCODE_RETURN);  // the results wait for Enter
    *run = LessonRun{};
    if (playLesson(*run, *screen) == LessonEnd::Finished) showLessonResults(*run, "");
    restoreHost();

    for (int map = 1; map < LayerCount; ++map) {
        for (int row = 0; row < MapSide; ++row) {
            for (int column = 0; column < MapSide; ++column) {
                const size_t index = size_t(mapIndex(map, column, row));
                FUZZ_CHECK(test.memory().maps[index] == before[index - MapCellCount] ||
                           keyCell(*screen, map, column, row));
            }
        }
    }
    return 0;
}
