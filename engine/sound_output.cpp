#include "engine/sound_output.h"

#include "engine/host.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>

namespace {

// SDL's audio thread: one buffer mixed, nothing allocated, nothing waited for.
void SDLCALL mixBuffer(void* data, Uint8* stream, int bytes) {
    SoundOutput& output = *static_cast<SoundOutput*>(data);
    auto* samples = reinterpret_cast<int16_t*>(stream);
    const int32_t count = bytes / int32_t(sizeof(int16_t));
    mixSound(output.mixer, output.queue, output.volume.load(std::memory_order_relaxed), samples,
             count);
    output.samplesMixed.store(output.mixer.position, std::memory_order_release);
    if (output.mixed != nullptr) output.mixed(samples, count);
}

void tellFailure(SoundOutput& output, const char* what) {
    if (output.toldFailure) return;
    output.toldFailure = true;
    const char* driver = SDL_GetCurrentAudioDriver();
    std::fprintf(stderr, "Quenmore: %s (%s%s%s); the program goes on without sound\n", what,
                 driver != nullptr ? driver : "", driver != nullptr ? ": " : "", SDL_GetError());
}

}  // namespace

void chooseSoundDriver() {
    const char* driver = platform::soundDriver();
    if (driver != nullptr) SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
}

bool startSoundOutput(SoundOutput& output, const SoundWave* waves, int32_t count) {
    if (output.failed) return false;
    if (output.device != 0 && output.lost) closeSoundOutput(output);
    if (output.device != 0) {
        if (output.paused) SDL_PauseAudioDevice(output.device, 0);
        output.paused = false;
        return true;
    }
    resetMixer(output.mixer, output.queue, waves, count);
    output.samplesMixed.store(0);
    output.mixed = host.soundMixed;
    SDL_AudioSpec wanted{};
    wanted.freq = SoundRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = uint16_t(SoundBufferSamples);
    wanted.callback = mixBuffer;
    wanted.userdata = &output;
    SDL_AudioSpec obtained{};
    output.device = host.openAudioDevice(&wanted, &obtained);
    if (output.device == 0) {
        output.failed = true;
        tellFailure(output, "no audio device could be opened");
        return false;
    }
    output.origin = host.soundClock();
    output.bufferSamples = obtained.samples;
    output.paused = false;
    output.lost = false;
    if (obtained.samples > SoundBufferSamples) {
        std::fprintf(stderr,
                     "Quenmore: the sound device mixes %d samples at a time (%d ms), more than "
                     "the %d asked for\n",
                     int(obtained.samples), int(obtained.samples) * 1000 / SoundRate,
                     int(SoundBufferSamples));
    }
    SDL_PauseAudioDevice(output.device, 0);
    return true;
}

void pauseSoundOutput(SoundOutput& output) {
    output.failed = false;
    if (output.device == 0 || output.paused) return;
    // SDL holds the callback's lock only while it sets the flag.
    SDL_PauseAudioDevice(output.device, 1);
    output.paused = true;
}

void closeSoundOutput(SoundOutput& output) {
    if (output.device != 0) SDL_CloseAudioDevice(output.device);
    output.device = 0;
    output.paused = false;
    output.lost = false;
    output.mixed = nullptr;
}

void setSoundVolume(SoundOutput& output, int32_t volume) {
    output.volume.store(std::clamp(volume, 0, LargestVolume), std::memory_order_relaxed);
}

void playSound(SoundOutput& output, int32_t wave) {
    if (output.device == 0 || output.paused || output.lost) return;
    queueSound(output.queue, {wave, host.soundClock() - output.origin});
}

void noteSoundDeviceEvent(SoundOutput& output, const SDL_Event& event) {
    if (event.type != SDL_AUDIODEVICEREMOVED || event.adevice.iscapture != 0) return;
    if (output.device == 0 || event.adevice.which != output.device || output.lost) return;
    output.lost = true;
    std::fprintf(stderr, "Quenmore: the sound device went away; the program goes on without "
                         "sound\n");
}
