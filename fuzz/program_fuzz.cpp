// The whole program through the host seam: the input becomes key, text, focus and quit events
// and jumps of the virtual clock, one action a frame, chosen by what the screen shows, from
// the title through the menu, its lessons and the progress screen, and back out of the menu.
// Each run starts with no history and with the best-times file the first byte says: how many
// of the next bytes it holds; its lowest bit turns the finger guide on.
//
// Invariants: the error count shown equals the wrong presses judged, and the best-times file
// after the run is valid and no time in it is worse than before.
#include "course/common/screen_text.h"
#include "course/keyboard/keyboard_model.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/title_screen.h"
#include "engine/host.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/test_video.h"

#include <SDL.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum class Phase { Title, Menu, Progress, Intro, Exercise, Results };

constexpr uint64_t FrameLimit = 200000;  // the tail ends every journey long before

struct Journey {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t next = 0;
    uint64_t frames = 0;
    uint64_t actedFrame = UINT64_MAX;
    uint64_t counter = 0;
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    uint32_t modifiers = 0;
    std::deque<SDL_Event> queue;
    Phase phase = Phase::Title;
    char expected = 0;   // the exercise's next character, as shown; 0 when none
    char ahead[8] = {};  // the characters after it on the shown line, up to eight in all
    int wrongPresses = 0;
    bool resultsChecked = false;
    bool focusLost = false;  // the exercise's clock stands from a focus loss ...
    bool paused = false;     // ... until the first key after the focus came back
};

Journey* journey = nullptr;
KeyboardModel* keyboard = nullptr;

// Text of map 0 row `row` from `column`: lesson-font cells (group 1, tile 96 + character) or
// results cells (group 2, tile = character), up to the first other cell.
std::string readRow(const VideoMemory& memory, int column, int row, TileCell group, int offset) {
    std::string text;
    for (int c = column; c < MapSide; ++c) {
        const TileCell cell = memory.maps[size_t(mapIndex(0, c, row))];
        if ((cell & 0xFC00) != group || cellTileOf(cell) < offset) break;
        text += char(cellTileOf(cell) - offset);
    }
    return text;
}

// Whether `readRow` would read `text` at the start of the row (or, `whole`, as all of it);
// allocates nothing, since it runs every frame.
bool rowReads(const VideoMemory& memory, int column, int row, TileCell group, int offset,
              std::string_view text, bool whole) {
    for (size_t i = 0; i <= text.size() && column + int(i) < MapSide; ++i) {
        const TileCell cell = memory.maps[size_t(mapIndex(0, column + int(i), row))];
        const bool textCell = (cell & 0xFC00) == group && cellTileOf(cell) >= offset;
        if (i == text.size()) return !whole || !textCell;
        if (!textCell || cellTileOf(cell) != offset + uint8_t(text[i])) return false;
    }
    return true;
}

void look(const VideoMemory& memory) {
    Journey& j = *journey;
    j.frames += 1;
    FUZZ_CHECK(j.frames < FrameLimit);
    if (j.phase == Phase::Title) return;
    const Phase before = j.phase;
    if (memory.lineCallback == nullptr) {
        // The progress screen stands on the backdrop colour; the menu has its backdrop layer.
        j.phase = memory.layers[BackdropLayer] == 0 ? Phase::Progress : Phase::Menu;
    } else if (rowReads(memory, 9, 12, 0x8800, 0, "Words Per Minute", false)) {
        j.phase = Phase::Results;
    } else if (rowReads(memory, 2, 16, 0x8400, 96, "Type these words:", true)) {
        j.phase = Phase::Exercise;
    } else if (j.phase == Phase::Menu) {
        j.phase = Phase::Intro;
    }
    if (j.phase == Phase::Exercise && before != Phase::Exercise) {
        j.wrongPresses = 0;
        j.focusLost = j.paused = false;
    }
    if (j.phase != Phase::Results) j.resultsChecked = false;
    j.expected = 0;
    if (j.phase == Phase::Exercise) {
        const std::string line = readRow(memory, 2, 18, 0x8400, 96);
        for (size_t column = 0; column < 60; ++column) {
            if (memory.maps[size_t(mapIndex(0, 2 + int(column), 20))] == 0x8407) {
                j.expected = column < line.size() ? line[column] : 0;
                for (size_t i = 0; i < std::size(j.ahead); ++i)
                    j.ahead[i] = column + i < line.size() ? line[column + i] : 0;
                break;
            }
        }
    }
    if (j.phase == Phase::Results && !j.resultsChecked) {
        const std::string errors = readRow(memory, 9, 14, 0x8800, 0);
        if (errors.rfind("Errors:", 0) == 0) {
            FUZZ_CHECK(std::atoi(errors.c_str() + 7) == j.wrongPresses);
            j.resultsChecked = true;
        }
    }
}

void queueText(char c) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.text[0] = c;
    journey->queue.push_back(event);
}

// A press and release of `key`; with `text`, the system's text for the press comes between.
void queueKey(SDL_Keycode key, uint16_t mod, bool repeat = false,
              SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, char text = 0) {
    Journey& j = *journey;
    if (scancode == SDL_SCANCODE_UNKNOWN) scancode = scancodeFor(key);
    for (uint32_t type : {uint32_t(SDL_KEYDOWN), uint32_t(SDL_KEYUP)}) {
        if (type == SDL_KEYUP && text != 0) queueText(text);
        SDL_Event event{};
        event.key = {type,
                     0,
                     0,
                     uint8_t(type == SDL_KEYDOWN),
                     uint8_t(repeat),
                     0,
                     0,
                     {scancode, key, mod, 0}};
        j.queue.push_back(event);
    }
}

// Types `c` on its key, with Shift when it is the key's upper character, as the system does:
// the press, its text, the release.
bool typeCharacter(char c) {
    const uint8_t k = keyboard->keyByChar[uint8_t(c) & 0x7F];
    if (k == NoKey) return false;
    const KeyboardKey& key = keyboard->keys[k];
    queueKey(key.lowerChar, uint8_t(c) == key.lowerChar ? KMOD_NONE : KMOD_LSHIFT, false,
             SDL_Scancode(key.scancode), c);
    return true;
}

// Whether the program judges the key press just queued: while its clock stands it does not,
// and the first press after the focus came back only resumes.
bool pressJudged(Journey& j) {
    if (!j.paused) return true;
    if (!j.focusLost) j.paused = false;
    return false;
}

// One action a frame: the next input byte's, or once they are used up, the way out.
void act() {
    Journey& j = *journey;
    if (j.phase == Phase::Title) {
        queueKey(SDLK_SPACE, 0);  // any key leaves the title; Escape would end the program
        return;
    }
    const bool more = j.next < j.size;
    const uint8_t byte = more ? j.data[j.next++] : 0;
    const uint8_t argument = j.next < j.size ? j.data[j.next] : 0;
    SDL_Event event{};
    switch (j.phase) {
    case Phase::Title: break;
    case Phase::Menu:
        if (!more || byte == 0xFF)
            queueKey(SDLK_ESCAPE, 0);  // the journey's end
        else if (byte % 4 == 1)
            queueKey(SDLK_DOWN, 0, (byte & 0x80) != 0);
        else if (byte % 4 == 2)
            queueKey(SDLK_UP, 0, (byte & 0x80) != 0);
        else if (byte % 4 == 3)
            queueKey(SDLK_RETURN, 0);
        else if (byte == 0x40)
            queueKey(SDLK_TAB, 0);  // the progress screen
        break;
    case Phase::Progress:
        if (!more || byte == 0xFF)
            queueKey(SDLK_ESCAPE, 0);  // back to the menu
        else if (byte % 4 == 1)
            queueKey(SDLK_RIGHT, 0);
        else if (byte % 4 == 2)
            queueKey(SDLK_LEFT, 0);
        else if (byte % 4 == 3)
            queueKey(byte < 0x80 ? SDLK_c : SDLK_TAB, 0);  // the CSV, or back with Tab
        break;
    case Phase::Intro:
        if (!more || byte == 0xFF)
            queueKey(SDLK_ESCAPE, 0);
        else if (byte % 2 == 1)
            queueKey(SDLK_RIGHT, 0);
        break;
    case Phase::Exercise:
        if (!more || byte == 0xFF) {
            queueKey(SDLK_ESCAPE, 0);
        } else if (byte == 0xFE) {
            event.type = SDL_QUIT;  // a window close abandons the lesson
            j.queue.push_back(event);
        } else if (byte < 0xB0) {
            // One to eight right characters in this frame, as far as the line goes: a fast
            // typist, and a lesson typed in fewer frames.
            // A press that only resumes the clock leaves the rest for the next frame.
            for (int i = 0; i <= (byte & 7) && j.ahead[i] != 0; ++i)
                if (!typeCharacter(j.ahead[i]) || !pressJudged(j)) break;
        } else if (byte < 0xD0) {
            const uint8_t wrong = uint8_t(32 + argument % 95);
            if (j.expected != 0 && char(wrong) != j.expected &&
                keyboard->keyByChar[wrong] != NoKey) {
                typeCharacter(char(wrong));
                if (pressJudged(j)) j.wrongPresses += 1;
            }
        } else if (byte < 0xE0) {
            j.counter += uint64_t(argument) * 15000;  // the learner stops to think
        } else if (byte < 0xE8) {
            event.type = SDL_WINDOWEVENT;
            event.window.event =
                argument % 2 != 0 ? SDL_WINDOWEVENT_FOCUS_LOST : SDL_WINDOWEVENT_FOCUS_GAINED;
            j.queue.push_back(event);
            j.focusLost = argument % 2 != 0;
            j.paused = j.paused || j.focusLost;
        } else if (byte < 0xF0) {
            // Text with no key, as an input method sends it: any byte, judged as one character.
            if (j.expected != 0 && argument != 0) {
                queueText(char(argument));
                if (pressJudged(j) && char(argument) != j.expected) j.wrongPresses += 1;
            }
        } else {
            j.modifiers = argument % 2 != 0 ? KMOD_LSHIFT : KMOD_NONE;  // held, typing nothing
            j.keys[SDL_SCANCODE_LSHIFT] = uint8_t(argument % 2);
        }
        break;
    case Phase::Results:
        if (!more || byte % 4 == 0)
            queueKey(SDLK_RETURN, 0);
        else if (byte % 4 == 1)
            queueKey(SDLK_ESCAPE, 0);  // does nothing here
        else if (byte == 0xFE)
            j.queue.push_back(SDL_Event{SDL_QUIT});
        break;
    }
}

int pollEvent(SDL_Event* event) {
    Journey& j = *journey;
    if (j.actedFrame != j.frames) {
        j.actedFrame = j.frames;
        act();
    }
    if (j.queue.empty()) return 0;
    if (event == nullptr) return 1;
    *event = j.queue.front();
    j.queue.pop_front();
    if (event->type == SDL_KEYDOWN || event->type == SDL_KEYUP)
        j.keys[event->key.keysym.scancode] = event->type == SDL_KEYDOWN;
    return 1;
}

int32_t recordTime(const uint8_t* bytes) {
    return decodeBestTime(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestVideo test;
    static auto keys = std::make_unique<KeyboardModel>();
    static const std::string file = scratchFolder() + "/" + BestTimesFileName;
    static const bool ready = [] {
        buildKeyboard(*keys);
        keyboard = keys.get();
        host.pollEvent = pollEvent;
        host.keyboardState = [](int* length) -> const uint8_t* {
            if (length != nullptr) *length = SDL_NUM_SCANCODES;
            return journey->keys;
        };
        host.modState = [] { return journey->modifiers; };
        host.performanceCounter = [] { return journey->counter; };
        host.performanceFrequency = [] { return uint64_t(60000); };
        host.sleepMilliseconds = [](uint32_t milliseconds) {
            journey->counter += 60 * uint64_t(milliseconds);
        };
        host.calendarSeconds = [] { return int64_t(1700000000); };
        host.userDataFolder = [](std::string& folder) {
            folder = scratchFolder();
            return true;
        };
        host.terminationRequested = [] { return false; };
        host.frameComposed = [](const VideoMemory& memory, void*) { look(memory); };
        return true;
    }();
    (void)ready;
    if (size == 0) return 0;
    composeLineZeroOnly(test.memory());

    const size_t fileBytes = std::min<size_t>(data[0] % 48, size - 1);
    std::remove(file.c_str());
    for (const char* name : {HistoryFileName, HistoryCsvFileName})
        std::remove((scratchFolder() + "/" + name).c_str());
    if (data[0] < 240) FUZZ_CHECK(writeWhole(file, data + 1, fileBytes));
    Journey run;
    run.data = data + 1 + fileBytes;
    run.size = size - 1 - fileBytes;
    journey = &run;

    setUpTitleScreen(test.video());
    if (runTitleScreen(test.video()) == ScreenExit::Done) {
        run.phase = Phase::Menu;
        LessonMenu menu{};
        Settings settings;
        settings.fingerGuide = (data[0] & 1) != 0;
        setUpLessonMenu(test.video(), menu, &settings);
        runLessonMenu(menu);
    }

    FILE* stored = std::fopen(file.c_str(), "rb");
    uint8_t after[64] = {};
    const size_t afterBytes = stored == nullptr ? 0 : std::fread(after, 1, sizeof after, stored);
    if (stored != nullptr) std::fclose(stored);
    const bool unchanged =
        data[0] < 240 && afterBytes == fileBytes && std::equal(after, after + afterBytes, data + 1);
    if (unchanged || (data[0] >= 240 && afterBytes == 0)) return 0;
    FUZZ_CHECK(afterBytes == 40);  // saved: ten valid records, none worse than before
    for (size_t row = 0; row < 10; ++row) {
        const uint32_t record = uint32_t(after[4 * row]) | uint32_t(after[4 * row + 1]) << 8 |
                                uint32_t(after[4 * row + 2]) << 16 |
                                uint32_t(after[4 * row + 3]) << 24;
        FUZZ_CHECK(record == 0 || ((record & 0x80000000u) != 0 && recordTime(after + 4 * row) > 0));
        if (data[0] < 240 && 4 * (row + 1) <= fileBytes) {
            const int32_t was = recordTime(data + 1 + 4 * row);
            const int32_t now = recordTime(after + 4 * row);
            FUZZ_CHECK(was < 0 || (now > 0 && now <= was));
        }
    }
    return 0;
}
