// One lesson screen played frame by frame with a hand-made intro and line, through the virtual
// host: what the intro and exercise tests watch.
#pragma once

#include "course/content/built_in_course.h"
#include "course/lesson/lesson_run.h"
#include "tests/support/learner.h"
#include "tests/support/test_video.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

constexpr uint64_t Exercise = 65;  // the first exercise frame after an empty intro

// Intro steps, as a test writes them.
inline IntroStep printStep(int row, const char* text) {
    return {StepKind::Print, 0, int16_t(row), 0, text};
}
inline IntroStep clearStep(int row) {
    return {StepKind::Clear, 0, int16_t(row), 0, {}};
}
inline IntroStep keyStep(uint8_t key, bool on = true) {
    return {on ? StepKind::Light : StepKind::Release, key, 0, 0, {}};
}
inline IntroStep waitStep() {
    return {StepKind::Wait, 0, 0, 0, {}};
}
inline IntroStep pauseStep(int frames) {
    return {StepKind::Pause, 0, 0, int16_t(frames), {}};
}

struct Lesson {
    VirtualHost clock;
    TestVideo test;
    std::unique_ptr<LessonScreen> screen = std::make_unique<LessonScreen>();
    std::unique_ptr<LessonRun> lessonRun = std::make_unique<LessonRun>();
    Intro intro;
    // Per frame: map 0 rows 0-23 as text ('_' the cursor, '#' other cells), labels, lamp.
    std::vector<std::string> frames;
    uint64_t jumpFrame = UINT64_MAX, jumpSeconds = 0;  // the clock jumps during that frame

    explicit Lesson(Intro steps = {}, const char* line = "ab") : intro(std::move(steps)) {
        installVirtualHost(clock);
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) { look(memory); };
        setUpLessonScreen(test.video(), *screen, &line, 1, "Title", &intro);
        for (char* each : screen->lines) std::strcpy(each, line);
    }
    ~Lesson() { restoreHost(); }
    // The lesson to its results and through them, as the menu plays it, with no notice: the
    // time of a run typed and left with Enter, else 0.
    int32_t run() {
        *lessonRun = LessonRun{};
        LessonEnd end = playLesson(*lessonRun, *screen);
        if (end == LessonEnd::Finished) end = showLessonResults(*lessonRun, "");
        return end == LessonEnd::Finished ? lessonRun->summary.seconds : 0;
    }
    const RunSummary& summary() const { return lessonRun->summary; }
    void press(uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, int mod = 0) {
        clock.keyDown(frame, key, scancode, uint16_t(mod));
        clock.keyUp(frame, key, scancode, uint16_t(mod));
    }
    void type(uint64_t frame, const std::string& text) {  // the keys of a US keyboard
        Keystroke k{};
        for (char c : text)
            if (keystrokeFor(c, k))
                press(frame, k.key, SDL_Scancode(k.scancode), k.shift ? KMOD_LSHIFT : 0);
    }
    void escape(uint64_t frame) { press(frame, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE); }
    std::string text(size_t frame, int column, int row, int count) {
        return frames[frame].substr(size_t(row * MapSide + column), size_t(count));
    }
    int64_t frameShowing(const std::string& shown, int row) {
        for (size_t f = 0; f < frames.size(); ++f)
            if (text(f, 2, row, int(shown.size())) == shown) return int64_t(f);
        return -1;
    }
    std::string resultsLine(int row) {  // a statistics line of the last frame
        const std::string line = text(frames.size() - 1, 9, row, 40);
        return line.substr(0, line.find('#'));
    }
    void look(const VideoMemory& memory) {
        if (clock.framesComposed - 1 == jumpFrame) clock.counter += jumpSeconds * clock.frequency;
        std::string shown(24 * MapSide, '#');
        for (size_t i = 0; i < shown.size(); ++i) {
            const int tile = cellTileOf(memory.maps[i]), group = memory.maps[i] & 0xFC00;
            if (group == 0x8400 && tile >= 128) shown[i] = char(tile - 96);
            if (group == 0x8800 && tile >= 32 && tile < 127) shown[i] = char(tile);
            if (memory.maps[i] == 0x8407) shown[i] = '_';
        }
        const KeyboardKey* keys = screen->keyboard.keys;
        for (const KeyboardKey* key : {&keys[1], &keys[26], &keys[35]})
            shown += char(cellTileOf(
                memory.maps[size_t(mapIndex(1, key->column + key->width - 1, key->row + 1))]));
        frames.push_back(shown + char('0' + (memory.sprites[CapsLockLampSprite].placement >> 12)));
    }
};
