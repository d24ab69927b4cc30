#include "engine/sound_mixer.h"

#include <algorithm>

bool queueSound(SoundQueue& queue, SoundRequest request) {
    const uint32_t written = queue.written.load(std::memory_order_relaxed);
    const uint32_t taken = queue.taken.load(std::memory_order_acquire);
    if (written - taken >= uint32_t(QueuedSounds)) return false;
    queue.requests[written % QueuedSounds] = request;
    queue.written.store(written + 1, std::memory_order_release);
    return true;
}

void resetMixer(SoundMixer& mixer, SoundQueue& queue, const SoundWave* waves, int32_t count) {
    mixer.waves = waves;
    mixer.waveCount = count;
    for (SoundVoice& voice : mixer.voices) voice = {-1, 0};
    mixer.position = 0;
    queue.written.store(0, std::memory_order_relaxed);
    queue.taken.store(0, std::memory_order_relaxed);
}

int16_t limitLevel(int32_t level) {
    const int64_t magnitude = level < 0 ? -int64_t(level) : int64_t(level);
    if (magnitude <= LimiterThreshold) return int16_t(level);
    // Above the threshold the curve keeps the slope 1 it has there and flattens out towards
    // full scale: over * room / (over + room) stays below room.
    const int64_t over = magnitude - LimiterThreshold;
    const int64_t room = LoudestLevel - LimiterThreshold;
    const int32_t limited = LimiterThreshold + int32_t(over * room / (over + room));
    return int16_t(level < 0 ? -limited : limited);
}

namespace {

// The voice a new sound takes: a free one, else the one that started first.
SoundVoice& voiceToTake(SoundMixer& mixer) {
    SoundVoice* oldest = &mixer.voices[0];
    for (SoundVoice& voice : mixer.voices) {
        if (voice.wave < 0) return voice;
        if (voice.start < oldest->start) oldest = &voice;
    }
    return *oldest;
}

// Takes the requests that start before `end`, in order; later ones wait in the queue.
void takeRequests(SoundMixer& mixer, SoundQueue& queue, uint64_t end) {
    uint32_t taken = queue.taken.load(std::memory_order_relaxed);
    const uint32_t written = queue.written.load(std::memory_order_acquire);
    for (; taken != written; ++taken) {
        const SoundRequest& request = queue.requests[taken % QueuedSounds];
        if (request.start >= end) break;
        if (request.wave < 0 || request.wave >= mixer.waveCount) continue;
        voiceToTake(mixer) = {request.wave, std::max(request.start, mixer.position)};
    }
    queue.taken.store(taken, std::memory_order_release);
}

// Mixes at most this many samples at a time, in a sum kept on the stack.
constexpr int32_t MixChunk = 512;

void mixChunk(SoundMixer& mixer, SoundQueue& queue, int32_t volume, int16_t* out, int32_t count) {
    const uint64_t begin = mixer.position;
    const uint64_t end = begin + uint64_t(count);
    takeRequests(mixer, queue, end);
    int32_t sum[MixChunk] = {};
    for (SoundVoice& voice : mixer.voices) {
        if (voice.wave < 0) continue;
        const SoundWave& wave = mixer.waves[voice.wave];
        const uint64_t finish = voice.start + uint64_t(wave.length);
        const uint64_t from = std::max(voice.start, begin);
        const uint64_t to = std::min(finish, end);
        for (uint64_t at = from; at < to; ++at) sum[at - begin] += wave.samples[at - voice.start];
        if (finish <= end) voice.wave = -1;
    }
    const int32_t scale = volume * volume;  // out of 100
    for (int32_t i = 0; i < count; ++i) out[i] = limitLevel(sum[i] * scale / 100);
    mixer.position = end;
}

}  // namespace

void mixSound(SoundMixer& mixer, SoundQueue& queue, int32_t volume, int16_t* out, int32_t count) {
    volume = std::clamp(volume, 0, LargestVolume);
    for (int32_t done = 0; done < count;) {
        const int32_t chunk = std::min(MixChunk, count - done);
        mixChunk(mixer, queue, volume, out + done, chunk);
        done += chunk;
    }
}
