// The program's sounds and which cue makes which: a short click for every key judged right, a
// low, rough tone for every error, a soft rising pair of notes at the end of each line, a
// chime when the results show and a higher, brighter one when the time is a new best, and a
// quiet tick when a list's selection moves. All of them are generated when the sound output
// first opens.
#pragma once

#include "course/common/cues.h"
#include "engine/sound_output.h"
#include "engine/sound_waves.h"

#include <cstdint>

enum class Sound : int32_t { Click, Error, LineEnd, Results, NewBest, Tick };
constexpr int32_t SoundCount = 6;
extern const SoundDesign SoundDesigns[SoundCount];

// What the learner hears: nothing (the default; no device is opened), the error tone alone,
// or every sound.
enum class SoundMode : uint8_t { Off, Errors, All };
constexpr int SoundModeCount = 3;
struct SoundModeName {
    const char* settingName;  // in the settings file
    const char* label;        // on the Options screen
};
extern const SoundModeName SoundModes[SoundModeCount];
// Loud enough to tell every sound apart on laptop speakers, soft enough for a click heard
// five times a second, with room both ways: at 6 (0.36 of full) the click peaks near -20
// dBFS and the error tone near -18 dBFS, below a desktop's own alert sounds.
constexpr int32_t DefaultVolume = 6;

// The waves of the sounds, in Sound's order, rendered at the first call.
const SoundWave* soundWaves();
// The sound a cue makes in a mode; -1 for none.
int32_t soundOfCue(const Cue& cue, SoundMode mode);

// What playCueSound plays through and follows: the output and the learner's live choice.
struct CueSounds {
    SoundOutput* output;
    const SoundMode* mode;
};
// A cue listener (data: a CueSounds) that plays each cue's sound at once.
void playCueSound(const Cue& cue, void* data);
