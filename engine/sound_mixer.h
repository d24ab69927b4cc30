// The sound machine's mixer: voices that play waves made beforehand, each from a start sample
// on, added together, scaled by the volume and held inside 16 bits by a limiter. It mixes one
// buffer at a time and allocates nothing. Sounds are asked for through a queue that one
// thread writes and the mixing thread reads, without locks, so neither ever waits for the
// other.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t SoundRate = 48000;  // samples a second, one channel of signed 16 bits
constexpr int32_t LargestVolume = 10;
constexpr int32_t MixerVoices = 16;          // sounds heard at once
constexpr int32_t QueuedSounds = 64;         // sounds asked for and not yet started
constexpr int32_t LimiterThreshold = 24576;  // levels up to this pass unchanged
constexpr int32_t LoudestLevel = 32767;

// A sound's samples, made before any mixing starts and kept as long as the mixer plays them.
struct SoundWave {
    const int16_t* samples;
    int32_t length;
};

// A sound to start: its wave, and the sample (counted from the mixer's first) at which it
// starts. A start the mixer has already passed (0 is one) starts at the next buffer it mixes.
struct SoundRequest {
    int32_t wave;
    uint64_t start;
};

struct SoundQueue {
    SoundRequest requests[QueuedSounds];
    std::atomic<uint32_t> written{0};  // requests written, counted by the asking thread
    std::atomic<uint32_t> taken{0};    // requests taken, counted by the mixing thread
};

// From the asking thread: false, and the sound dropped, when the queue is full.
bool queueSound(SoundQueue& queue, SoundRequest request);

struct SoundVoice {
    int32_t wave;  // -1: the voice is free
    uint64_t start;
};

struct SoundMixer {
    const SoundWave* waves;
    int32_t waveCount;
    SoundVoice voices[MixerVoices];
    uint64_t position;  // samples mixed so far
};

// Silence from sample 0 on, playing the given waves; the queue emptied. Neither may be in use
// by another thread meanwhile.
void resetMixer(SoundMixer& mixer, SoundQueue& queue, const SoundWave* waves, int32_t count);
// The next `count` samples: every voice that sounds in them added up, times volume squared
// over 100 (volume 0 to 10; 0 is silence), through the limiter. Requests are taken from the
// queue in order while they start within these samples; with every voice busy, the one that
// started first gives way.
void mixSound(SoundMixer& mixer, SoundQueue& queue, int32_t volume, int16_t* out, int32_t count);
// The limiter: levels up to LimiterThreshold either way unchanged, louder ones bent smoothly
// towards full scale, which they never reach, so that a sum never wraps around.
int16_t limitLevel(int32_t level);
