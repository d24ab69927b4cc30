// How the tests read the screens and type, headless and in a real window alike: text at fixed
// places of the 320x180 picture, read from video memory here and from screenshots by the
// real-window fixture, and the keys of a US keyboard. The headless learner plays the screens
// one character a frame through the virtual host.
#pragma once

#include "testing/virtual_host.h"

#include <cstdio>
#include <string>

// Text of tile firstTile + character code, palette group `group`, on map `layer`; lesson text
// also shows the cursor (tile 7), read as CursorCell. Blank cells read as spaces.
struct TextStyle {
    int firstTile, group, layer;
};
constexpr TextStyle LessonStyle{96, 1, 0}, ResultsStyle{0, 2, 0}, MenuStyle{0, 1, 1},
    HighlightStyle{0, 0, 1};
constexpr char CursorCell = '\x7f', UnknownCell = '?';

struct TextPlace {
    int x, y, cells;
    TextStyle style;
};
constexpr TextPlace MenuTitle{32, 32, 35, HighlightStyle};  // the selected row
constexpr TextPlace MenuBestTime{64, 40, 20, HighlightStyle};
constexpr TextPlace Heading{16, 128, 36, LessonStyle};
constexpr TextPlace LineToType{16, 144, 36, LessonStyle};
constexpr TextPlace TypedLine{16, 160, 37, LessonStyle};
constexpr TextPlace resultsLine(int i) {  // words per minute, errors, time
    return {72, 96 + 16 * i, 21, ResultsStyle};
}

// The text shown at `place` as the maps hold it (scrolls included), without trailing blanks.
std::string readText(const VideoMemory& memory, TextPlace place);

struct LessonResults {
    bool shown = false;  // all three statistics read
    int wordsPerMinute = 0, errors = 0, seconds = 0;
    std::string text;
};

// The results screen's statistics as `read` (a TextPlace to its text) finds them.
template <class Read> LessonResults readResults(Read read) {
    LessonResults r;
    const std::string lines[3] = {read(resultsLine(0)), read(resultsLine(1)), read(resultsLine(2))};
    r.text = lines[0] + "|" + lines[1] + "|" + lines[2];
    int minutes = 0;
    r.shown = std::sscanf(lines[0].c_str(), "Words Per Minute:%d", &r.wordsPerMinute) == 1 &&
              std::sscanf(lines[1].c_str(), "Errors: %d", &r.errors) == 1 &&
              std::sscanf(lines[2].c_str(), "Time: %d:%d", &minutes, &r.seconds) == 2;
    r.seconds += minutes * 60;
    return r;
}

// A character key of a US keyboard: its unshifted character (SDL's key code, X's keysym),
// its scancode and whether Shift is needed. Returns false for a character with no key.
struct Keystroke {
    char key;
    int scancode;
    bool shift;
};
bool keystrokeFor(char c, Keystroke& stroke);
char otherOnKey(char c);  // the other character of the key that types `c`; 'x' for the space bar

enum class LearnerPhase { Menu, Lesson, Exercise, Results, BackInMenu };

struct LearnerPlan {
    int menuDownPresses = 0;  // rows to move down before Enter (Escape once back there)
    int wrongKeyEvery = 0;    // a wrong key before every n-th character (0: never)
    bool interrupts = false;  // Escape or window close 30 frames into a phase (Lesson: intro)
    LearnerPhase interruptIn = LearnerPhase::Lesson;
    bool interruptWithClose = false;
};

struct Learner {
    VirtualHost& host;
    LearnerPlan plan;
    LearnerPhase phase = LearnerPhase::Menu;
    int errorsMade = 0, charactersTyped = 0, phaseFrames = 0;
    bool shiftHeld = false, enterPressed = false, escapePressed = false, interrupted = false;
    LessonResults results;

    Learner(VirtualHost& virtualHost, LearnerPlan learnerPlan)
        : host(virtualHost), plan(learnerPlan) {}

    // Looks at one composed frame and queues the learner's answer for the next one.
    void onFrame(const VideoMemory& memory);
};
