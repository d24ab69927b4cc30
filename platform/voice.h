// The system's voice: speech-dispatcher on Linux, SAPI 5 on Windows. The voice lives on a
// thread of its own, so that a slow service or synthesizer never delays a frame: each call
// here only leaves a request for that thread and returns. Every new text cuts off the one
// being said.
#pragma once

#include <cstdint>

namespace platform {

// Reaches the voice (at the first call, and again after it was lost). False when there is
// none, which is said once on stderr; the program then goes on without speech.
bool openVoice();
// Says `text` (UTF-8) in `language` ("en", "de", "fr"; null: English), cutting off what was
// being said. Nothing happens while the voice is not open.
void speak(const char* text, const char* language);
// Stops speaking at once, and drops what was waiting to be said.
void silenceVoice();
// The rate of speech from -10 (slowest) to 10; 0 is the voice's own, as the learner set it
// up in the system.
void setVoiceRate(int32_t rate);
// Whether the system reports a running screen reader (read at the call).
bool screenReaderRunning();

// What the voice's thread runs for the system's voice, one function a request; each is called
// on that thread only. open and speak return false when the voice cannot be (or no longer
// is) reached, having said why on stderr.
struct VoiceService {
    bool (*open)();
    bool (*speak)(const char* text, const char* language);
    void (*cancel)();
    void (*rate)(int32_t rate);
    void (*close)();
};
// The system's (voice_speechd.cpp or voice_sapi.cpp).
const VoiceService& systemVoiceService();

}  // namespace platform
