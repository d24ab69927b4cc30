// What the screens tell whoever listens, at the moment it happens, in the frame that shows
// it: a key judged, a line finished, the results shown, another row chosen. The sounds
// listen (sounds.h); anything else that follows the learner (a voice, say) listens the same
// way, beside them.
#pragma once

#include <cstdint>

enum class CueKind : uint8_t {
    KeyRight,   // a key typed the expected character
    KeyWrong,   // a key typed another one: the same character stays expected
    LineDone,   // a line of the exercise typed to its end
    Results,    // a finished lesson's results show
    RowChosen,  // another row of a list is selected (the menu, the Options screen)
};

// A cue and what goes with it; fields a kind does not name are 0 or null.
struct Cue {
    CueKind kind;
    // KeyRight, KeyWrong: the character expected and the one typed (Unicode).
    uint32_t expected = 0;
    uint32_t typed = 0;
    // KeyRight, KeyWrong: the character's place in the line, from 0. LineDone: the line
    // finished, from 1. RowChosen: the row now selected, from 0.
    int32_t number = 0;
    // LineDone: the lines of the exercise. RowChosen: the rows of the list.
    int32_t count = 0;
    // KeyRight, KeyWrong: the line. LineDone: the line to type next (null after the last).
    // RowChosen: the row's title.
    const char* text = nullptr;
    // Results: the figures, and whether the time is the lesson's new best.
    int32_t wordsPerMinute = 0;
    int32_t errors = 0;
    int32_t seconds = 0;
    bool newBest = false;
};

using CueListener = void (*)(const Cue& cue, void* data);
constexpr int MostCueListeners = 4;

// Adds a listener, told every cue from now on with its `data`, after those added before it;
// false when there are already MostCueListeners.
bool listenToCues(CueListener listener, void* data);
// Removes every entry of the listener.
void stopListeningToCues(CueListener listener);
void tellCue(const Cue& cue);
