#include "engine/sound_waves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double FadeMilliseconds = 3.0;

// The design's level at sample `i`, before scaling; `noise` is the noise generator's state,
// stepped once a sample.
double levelAt(const SoundDesign& design, int32_t i, int32_t length, uint32_t& noise) {
    const double t = double(i) / SoundRate;  // seconds
    double level = 0;
    for (const SoundPartial& partial : design.partials) {
        const double since = t - partial.startMilliseconds / 1000;
        if (partial.level == 0 || since < 0) continue;
        const double attack = design.attackMilliseconds / 1000;
        const double rise = attack > 0 && since < attack ? since / attack : 1.0;
        level += partial.level * rise * std::exp(-since * 1000 / partial.decayMilliseconds) *
                 std::sin(2 * std::numbers::pi * partial.hertz * since);
    }
    // A 32-bit xorshift: the same noise on every system.
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    if (design.noiseLevel > 0) {
        const double white = double(noise) / 2147483648.0 - 1.0;
        level += design.noiseLevel * white * std::exp(-t * 1000 / design.noiseDecayMilliseconds);
    }
    const double fade = FadeMilliseconds * SoundRate / 1000;
    const double left = double(length - 1 - i);
    if (left < fade) level *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / fade);
    return level;
}

}  // namespace

void renderSound(const SoundDesign& design, int16_t* samples) {
    const int32_t length = soundLength(design);
    // Twice over the same noise: once for the loudest level, once to write the samples.
    double loudest = 0;
    uint32_t noise = 0x9E3779B9u;
    for (int32_t i = 0; i < length; ++i)
        loudest = std::max(loudest, std::abs(levelAt(design, i, length, noise)));
    const double scale = loudest > 0 ? design.peak / loudest : 0;
    noise = 0x9E3779B9u;
    for (int32_t i = 0; i < length; ++i)
        samples[i] = int16_t(std::lround(levelAt(design, i, length, noise) * scale));
}
