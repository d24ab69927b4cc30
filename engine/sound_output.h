// The sound output: SDL's audio device at 48 kHz, one channel, 512 samples a buffer, mixed in
// SDL's audio callback. The program's thread asks for a sound through the mixer's lock-free
// queue and goes on at once; the callback takes it at its next buffer, so a sound starts at
// most one buffer after it was asked for. Nothing here ever waits for the other thread, and
// the callback allocates nothing. Without a device (none, one that cannot be opened, one
// that went away) every sound is dropped in silence, and stderr says so once.
#pragma once

#include "engine/sound_mixer.h"

#include <SDL.h>

#include <atomic>
#include <cstdint>

constexpr int32_t SoundBufferSamples = 512;  // about 11 ms

struct SoundOutput {
    SDL_AudioDeviceID device;  // 0: none is open
    bool paused;               // the learner turned the sound off after it had been on
    bool lost;                 // the device went away (it stays open, silent, until the end)
    bool failed;               // no device opened; tried again after pauseSoundOutput
    bool toldFailure;          // stderr has said that no device opened
    uint64_t origin;           // host.soundClock() when the device opened
    int32_t bufferSamples;     // what SDL gave
    void (*mixed)(const int16_t* samples, int32_t count);  // host.soundMixed when it opened
    std::atomic<int32_t> volume;
    std::atomic<uint64_t> samplesMixed;  // as far as the callback has mixed, for observers
    SoundMixer mixer;
    SoundQueue queue;
};

// Makes SDL use the audio driver the program plays through on this system (the platform
// layer's choice; the SDL_AUDIODRIVER environment variable still wins). Before SDL starts.
void chooseSoundDriver();
// Opens the device, or takes it up again after pauseSoundOutput, with the waves it is to
// play (kept by the caller). False when there is none: said on stderr the first time, and
// not tried again before the next pauseSoundOutput.
bool startSoundOutput(SoundOutput& output, const SoundWave* waves, int32_t count);
// Silence until startSoundOutput: the device stays open (closing it would hold the frame up
// while SDL's audio thread ends), and sounds asked for meanwhile are dropped.
void pauseSoundOutput(SoundOutput& output);
// Closes the device, waiting for SDL's audio thread to end; the output is as new afterwards
// but for what stderr has been told.
void closeSoundOutput(SoundOutput& output);
// 0 (silence) to 10, from the next buffer on.
void setSoundVolume(SoundOutput& output, int32_t volume);
// Starts a wave at once (at the host's soundClock); nothing without a playing device.
void playSound(SoundOutput& output, int32_t wave);
// Notes SDL's report that an audio device went away: when it is the output's, the output is
// silent from now on and stderr says so once.
void noteSoundDeviceEvent(SoundOutput& output, const SDL_Event& event);
