// Speech: what the screens say aloud for a learner who does not look at the screen, and F2,
// which turns it on or off on every screen. The voice is the host's (speech-dispatcher on
// Linux, SAPI on Windows, a recording one in the tests); with speech off nothing is said and
// nothing else changes.
#pragma once

#include <cstddef>
#include <cstdint>

struct VideoState;

// Whether and how the screens speak; part of the engine's state (VideoState::speech).
struct SpeechState {
    bool on;        // the screens speak
    bool echoKeys;  // the exercise names every key judged right too
    // Told when F2 turns speech on or off (also when it cannot be turned on); null: nobody
    // keeps the choice.
    void (*toggled)(bool on);
};

// An utterance being put together in a buffer of its own: no allocation. Text that does not
// fit is left out, whole UTF-8 characters at a time.
struct Utterance {
    static constexpr size_t Capacity = 1024;
    char text[Capacity];
    size_t length;
};
void startUtterance(Utterance& utterance);
// Adds UTF-8 text, or Latin-1 text (the program's own texts, a byte a character).
void addText(Utterance& utterance, const char* utf8);
void addLatin1(Utterance& utterance, const char* latin1, size_t length);
// Adds a number in decimal.
void addNumber(Utterance& utterance, int64_t number);

// Says a text (UTF-8) in a language ("en" when null), cutting off whatever was being said;
// nothing while speech is off.
void say(VideoState& video, const char* text, const char* language = nullptr);
void say(VideoState& video, const Utterance& utterance, const char* language = nullptr);
// Stops the voice at once (while speech is on); what is said next follows at once.
void hush(VideoState& video);
// Turns speech on or off and says so ("Speech on", "Speech off"). Turning it on reaches the
// voice first: false, and speech stays off, when there is none.
bool turnSpeech(VideoState& video, bool on);
// The voice's rate, -10 to 10 (0: the voice's own).
void setSpeechRate(int32_t rate);
// F2, on every screen: speech on or off, and `toggled` told. True when the event was F2.
bool toggleSpeechOn(VideoState& video, const union SDL_Event& event);
