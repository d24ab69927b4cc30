#include "engine/speech.h"

#include "engine/display.h"
#include "engine/host.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

void startUtterance(Utterance& utterance) {
    utterance.length = 0;
    utterance.text[0] = '\0';
}

namespace {

void addBytes(Utterance& utterance, const char* bytes, size_t count) {
    if (utterance.length + count >= Utterance::Capacity) return;
    std::memcpy(utterance.text + utterance.length, bytes, count);
    utterance.length += count;
    utterance.text[utterance.length] = '\0';
}

}  // namespace

void addText(Utterance& utterance, const char* utf8) {
    // Character by character, so that a text too long is cut between characters.
    for (size_t i = 0; utf8[i] != '\0';) {
        size_t count = 1;
        while ((uint8_t(utf8[i + count]) & 0xC0) == 0x80) ++count;
        addBytes(utterance, utf8 + i, count);
        i += count;
    }
}

void addLatin1(Utterance& utterance, const char* latin1, size_t length) {
    for (size_t i = 0; i < length && latin1[i] != '\0'; ++i) {
        const uint8_t c = uint8_t(latin1[i]);
        const char two[2] = {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        if (c < 0x80)
            addBytes(utterance, latin1 + i, 1);
        else
            addBytes(utterance, two, 2);
    }
}

void addNumber(Utterance& utterance, int64_t number) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(number));
    addText(utterance, digits);
}

void say(VideoState& video, const char* text, const char* language) {
    if (!video.speech.on || host.speak == nullptr) return;
    host.speak(text, language != nullptr ? language : "en");
}

void say(VideoState& video, const Utterance& utterance, const char* language) {
    say(video, utterance.text, language);
}

void hush(VideoState& video) {
    if (video.speech.on && host.silence != nullptr) host.silence();
}

bool turnSpeech(VideoState& video, bool on) {
    if (on && !video.speech.on && (host.openVoice == nullptr || !host.openVoice())) return false;
    if (on) {
        video.speech.on = true;
        say(video, "Speech on.");
    } else if (video.speech.on) {
        say(video, "Speech off.");
        video.speech.on = false;
    }
    return true;
}

void setSpeechRate(int32_t rate) {
    if (host.voiceRate != nullptr) host.voiceRate(rate);
}

bool toggleSpeechOn(VideoState& video, const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN || event.key.keysym.sym != SDLK_F2) return false;
    if (event.key.repeat != 0) return true;
    turnSpeech(video, !video.speech.on);
    if (video.speech.toggled != nullptr) video.speech.toggled(video.speech.on);
    return true;
}
