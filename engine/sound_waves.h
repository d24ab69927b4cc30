// The sound machine's synthesizer: a sound is designed as a few decaying sine partials and a
// burst of noise, and rendered into samples at run time; no sound is ever read from a file.
#pragma once

#include "engine/sound_mixer.h"

#include <cstdint>

// One sine: `hertz`, from `startMilliseconds` on, rising from silence over the design's
// attack, at `level` (relative to the other partials) and falling by a factor e every
// `decayMilliseconds`.
struct SoundPartial {
    double hertz;
    double level;
    double startMilliseconds;
    double decayMilliseconds;
};

constexpr int MostPartials = 4;

struct SoundDesign {
    int32_t milliseconds;  // the sound's length
    int16_t peak;          // its loudest sample, either way
    double attackMilliseconds;
    double noiseLevel;  // a burst of noise at the very start, relative to the partials; 0: none
    double noiseDecayMilliseconds;
    SoundPartial partials[MostPartials];  // unused ones have level 0
};

constexpr int32_t soundLength(const SoundDesign& design) {
    return design.milliseconds * (SoundRate / 1000);
}

// Renders the design into soundLength(design) samples: the partials and the noise added up,
// scaled so that the loudest sample is exactly `peak`, and faded to silence over the last
// 3 ms so that the sound never ends in a click. The same design always gives the same samples.
void renderSound(const SoundDesign& design, int16_t* samples);
