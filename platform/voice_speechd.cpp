// The voice on Linux: speech-dispatcher, the desktop's speech service, through its client
// library, so that the learner's own voice, rate and language apply. The library finds the
// service as it always does (SPEECHD_ADDRESS, else the user's socket, started if need be).
// Texts go with priority "text", so that each new one cuts off the one before; the
// punctuation the program says is written out in words, so the service is asked to read none.
#include "platform/voice.h"

#include <gio/gio.h>
#include <libspeechd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

SPDConnection* connection = nullptr;
char languageSet[8] = "";
bool unreachableSaid = false;

bool open() {
    char* error = nullptr;
    connection = spd_open2("quenmore", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    if (connection == nullptr) {
        if (!unreachableSaid)
            std::fprintf(stderr,
                         "Quenmore: no voice: speech-dispatcher cannot be reached (%s); "
                         "speech is off\n",
                         error != nullptr ? error : "no reason given");
        unreachableSaid = true;
        std::free(error);
        return false;
    }
    languageSet[0] = '\0';
    spd_set_punctuation(connection, SPD_PUNCT_NONE);
    return true;
}

void close() {
    if (connection != nullptr) spd_close(connection);
    connection = nullptr;
}

bool speak(const char* text, const char* language) {
    if (std::strcmp(language, languageSet) != 0 && spd_set_language(connection, language) == 0)
        std::snprintf(languageSet, sizeof languageSet, "%s", language);
    if (spd_say(connection, SPD_TEXT, text) >= 0) return true;
    std::fprintf(stderr, "Quenmore: speech-dispatcher stopped answering; speech is off\n");
    return false;
}

void cancel() {
    spd_cancel(connection);
}

// The program's -10 to 10 on the service's -100 to 100.
void rate(int32_t value) {
    spd_set_voice_rate(connection, int(value) * 10);
}

}  // namespace

// The desktop's screen-reader setting (GNOME's, which the screen reader's switch and its own
// start set), read through GIO, which the client library already brings, where its schema
// is installed.
bool screenReaderRunning() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr) return false;
    GSettingsSchema* schema =
        g_settings_schema_source_lookup(source, "org.gnome.desktop.a11y.applications", TRUE);
    if (schema == nullptr) return false;
    bool on = false;
    if (g_settings_schema_has_key(schema, "screen-reader-enabled")) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        on = g_settings_get_boolean(settings, "screen-reader-enabled") != FALSE;
        g_object_unref(settings);
    }
    g_settings_schema_unref(schema);
    return on;
}

const VoiceService& systemVoiceService() {
    static const VoiceService service{open, speak, cancel, rate, close};
    return service;
}

}  // namespace platform
