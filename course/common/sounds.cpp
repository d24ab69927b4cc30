#include "course/common/sounds.h"

namespace {

constexpr SoundPartial Silent = {0, 0, 0, 1};

}  // namespace

// Levels and lengths are set by ear against each other: the click is short and bright, so it
// may peak lower than the tones and still be heard; the tick is the quietest.
constexpr SoundDesign SoundDesigns[SoundCount] = {
    // A click: a ping near 2.2 kHz with a higher overtone and a little body, over a burst of
    // noise under a millisecond long.
    {30, 9000, 0.1, 0.4, 0.6, {{2200, 1.0, 0, 4}, {3700, 0.4, 0, 1.5}, {900, 0.5, 0, 3}, Silent}},
    // An error: G3 and a note a little sharp of it, whose beating makes the tone rough, with
    // two harmonics.
    {180,
     11000,
     4,
     0,
     1,
     {{196, 1.0, 0, 140}, {207.65, 0.7, 0, 140}, {392, 0.35, 0, 80}, {588, 0.2, 0, 60}}},
    // The end of a line: A5 rising to E6, soft.
    {240, 6500, 3, 0, 1, {{880, 0.8, 0, 60}, {1318.5, 0.7, 70, 80}, Silent, Silent}},
    // The results: C, E and G of the fifth octave struck one after the other, like a bell.
    {900,
     9500,
     2,
     0,
     1,
     {{523.25, 1.0, 0, 260},
      {659.25, 0.9, 100, 260},
      {783.99, 0.85, 200, 320},
      {1046.5, 0.3, 200, 200}}},
    // A new best time: G, B, D and G an octave higher, quicker and longer ringing.
    {1100,
     10000,
     2,
     0,
     1,
     {{783.99, 1.0, 0, 300},
      {987.77, 0.9, 90, 300},
      {1174.66, 0.9, 180, 300},
      {1567.98, 0.8, 270, 420}}},
    // A tick: a blip at 3 kHz.
    {15, 3500, 0.1, 0, 1, {{3000, 1.0, 0, 2}, {1500, 0.4, 0, 3}, Silent, Silent}},
};

const SoundModeName SoundModes[SoundModeCount] = {
    {"off", "Off"},
    {"errors", "Errors only"},
    {"all", "All"},
};

namespace {

constexpr int32_t totalLength() {
    int32_t total = 0;
    for (const SoundDesign& design : SoundDesigns) total += soundLength(design);
    return total;
}

int16_t waveSamples[totalLength()];
SoundWave waves[SoundCount];

}  // namespace

const SoundWave* soundWaves() {
    if (waves[0].samples != nullptr) return waves;
    int16_t* next = waveSamples;
    for (int32_t i = 0; i < SoundCount; ++i) {
        renderSound(SoundDesigns[i], next);
        waves[i] = {next, soundLength(SoundDesigns[i])};
        next += waves[i].length;
    }
    return waves;
}

int32_t soundOfCue(const Cue& cue, SoundMode mode) {
    if (mode == SoundMode::Off) return -1;
    if (cue.kind == CueKind::KeyWrong) return int32_t(Sound::Error);
    if (mode == SoundMode::Errors) return -1;
    switch (cue.kind) {
    case CueKind::KeyRight: return int32_t(Sound::Click);
    case CueKind::LineDone: return int32_t(Sound::LineEnd);
    case CueKind::Results: return int32_t(cue.newBest ? Sound::NewBest : Sound::Results);
    case CueKind::RowChosen: return int32_t(Sound::Tick);
    case CueKind::KeyWrong: break;
    }
    return -1;
}

void playCueSound(const Cue& cue, void* data) {
    const CueSounds& sounds = *static_cast<const CueSounds*>(data);
    const int32_t sound = soundOfCue(cue, *sounds.mode);
    if (sound >= 0) playSound(*sounds.output, sound);
}
