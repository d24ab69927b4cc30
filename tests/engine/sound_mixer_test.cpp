// The mixer: every sound as long and loud as designed and played where asked, overlapping
// sounds adding up inside 16 bits, and the volume scaling every sample exactly.
#include "course/common/sounds.h"
#include "engine/sound_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct Mixing {
    SoundMixer mixer{};
    SoundQueue queue;
    Mixing() { resetMixer(mixer, queue, soundWaves(), SoundCount); }
    // The next `count` samples, mixed in buffers of `buffer`.
    std::vector<int16_t> mix(int32_t count, int32_t volume = LargestVolume, int32_t buffer = 333) {
        std::vector<int16_t> out(static_cast<size_t>(count));
        for (int32_t done = 0; done < count; done += buffer)
            mixSound(mixer, queue, volume, out.data() + done, std::min(buffer, count - done));
        return out;
    }
};

std::vector<int16_t> samplesOf(Sound sound) {
    const SoundWave& wave = soundWaves()[int(sound)];
    return {wave.samples, wave.samples + wave.length};
}

int zeroCrossingsPerSecond(const std::vector<int16_t>& samples) {
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    return int(int64_t(crossings) * SoundRate / int64_t(samples.size()));
}

TEST(SoundMixer, EverySoundIsAsLongAndLoudAsDesignedAndStartsWhereAsked) {
    for (int s = 0; s < SoundCount; ++s) {
        const SoundDesign& design = SoundDesigns[s];
        const std::vector<int16_t> wave = samplesOf(Sound(s));
        ASSERT_EQ(int32_t(wave.size()), design.milliseconds * 48) << s;
        int peak = 0;
        for (int16_t sample : wave) peak = std::max(peak, std::abs(int(sample)));
        EXPECT_EQ(peak, design.peak) << s;
        EXPECT_EQ(wave.back(), 0) << s;  // it ends in silence, with no click
        // Asked for at sample 700, it plays there in silence.
        Mixing mixing;
        queueSound(mixing.queue, {s, 700});
        std::vector<int16_t> expected(700 + wave.size() + 500, 0);
        std::copy(wave.begin(), wave.end(), expected.begin() + 700);
        EXPECT_EQ(mixing.mix(int32_t(expected.size())), expected) << s;
    }
    // The error tone is low and the click high: they are told apart without looking.
    EXPECT_LT(zeroCrossingsPerSecond(samplesOf(Sound::Error)), 1000);
    EXPECT_GT(zeroCrossingsPerSecond(samplesOf(Sound::Click)), 2000);
}

// A start the mixer has passed (0, "at once", among them) plays from its next buffer; later
// requests wait in the queue, which drops what it cannot hold.
TEST(SoundMixer, LateStartsPlayAtTheNextBufferAndAFullQueueDrops) {
    struct Case {
        uint64_t mixedFirst, start, heardAt;
    };
    for (const Case c :
         {Case{0, 0, 0}, Case{512, 0, 512}, Case{512, 100, 512}, Case{1024, 1500, 1500}}) {
        Mixing mixing;
        mixing.mix(int32_t(c.mixedFirst), LargestVolume, 512);
        queueSound(mixing.queue, {int32_t(Sound::Click), c.start});
        const std::vector<int16_t> out = mixing.mix(4096, LargestVolume, 512);
        const auto first = std::find_if(out.begin(), out.end(), [](int16_t v) { return v != 0; });
        EXPECT_EQ(uint64_t(first - out.begin()) + c.mixedFirst, c.heardAt) << c.start;
    }
    Mixing full;
    for (int i = 0; i < QueuedSounds; ++i) EXPECT_TRUE(queueSound(full.queue, {0, 0}));
    EXPECT_FALSE(queueSound(full.queue, {0, 0}));
    full.mix(512);
    EXPECT_TRUE(queueSound(full.queue, {0, 0}));
}

TEST(SoundMixer, OverlappingSoundsAddAndStayInsideSixteenBits) {
    const std::vector<int16_t> click = samplesOf(Sound::Click), error = samplesOf(Sound::Error);
    Mixing two;
    queueSound(two.queue, {int32_t(Sound::Click), 0});
    queueSound(two.queue, {int32_t(Sound::Error), 0});
    const std::vector<int16_t> both = two.mix(int32_t(error.size()));
    for (size_t i = 0; i < error.size(); ++i)  // both together stay under the limiter
        ASSERT_EQ(both[i], error[i] + (i < click.size() ? click[i] : 0)) << i;
    // Sixteen error tones, five times full scale: each sample keeps the sum's sign and is
    // limited no lower than the threshold.
    Mixing many;
    for (int i = 0; i < MixerVoices; ++i) queueSound(many.queue, {int32_t(Sound::Error), 0});
    const std::vector<int16_t> loud = many.mix(int32_t(error.size()));
    for (size_t i = 0; i < error.size(); ++i) {
        const int32_t sum = MixerVoices * error[i];
        ASSERT_EQ(loud[i] < 0, sum < 0) << i;
        ASSERT_GE(std::abs(loud[i]), std::min(std::abs(sum), LimiterThreshold)) << i;
    }
    for (int32_t level = -600000; level <= 600000; level += 37) {  // the limiter's curve
        ASSERT_LE(limitLevel(level - 37), limitLevel(level)) << level;
        ASSERT_LT(std::abs(limitLevel(level)), LoudestLevel) << level;
    }
}

TEST(SoundMixer, TheVolumeScalesEverySampleExactlyAndZeroIsSilence) {
    const std::vector<int16_t> tone = samplesOf(Sound::Error);
    for (int32_t volume = 0; volume <= LargestVolume; ++volume) {
        Mixing mixing;
        queueSound(mixing.queue, {int32_t(Sound::Error), 0});
        const std::vector<int16_t> out = mixing.mix(int32_t(tone.size()), volume);
        for (size_t i = 0; i < tone.size(); ++i)
            ASSERT_EQ(out[i], tone[i] * volume * volume / 100) << volume << " " << i;
    }
    // Silence even past the limiter, and for volumes out of range, which are held to it.
    for (int32_t volume : {0, -3}) {
        Mixing mixing;
        for (int i = 0; i < MixerVoices; ++i) queueSound(mixing.queue, {i % SoundCount, 0});
        const std::vector<int16_t> out = mixing.mix(48000, volume);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
    }
}

}  // namespace
