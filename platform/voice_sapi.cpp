// The voice on Windows: SAPI 5's ISpVoice, on the voice's own thread (a COM apartment of its
// own), speaking asynchronously and purging what it was saying before each new text. Under
// Wine, SAPI is there but its Speak is not implemented (E_NOTIMPL): that is said once on
// stderr, and the program goes on without speech.
#include "platform/voice.h"

#include <windows.h>

#include <sapi.h>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace platform {

namespace {

// Where SAPI keeps its voices, and the language codes (hexadecimal LCIDs) of the languages the
// program speaks.
constexpr const wchar_t* VoicesCategory =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
struct LanguageCode {
    const char* language;
    const wchar_t* attribute;
};
constexpr LanguageCode LanguageCodes[] = {
    {"en", L"Language=409"}, {"de", L"Language=407"}, {"fr", L"Language=40C"}};

ISpVoice* voice = nullptr;
bool comStarted = false;
char languageSet[8] = "";
bool faultSaid = false;

// Said once for the program's run, however often speech is turned on again.
void sayFault(const char* what, HRESULT result) {
    if (!faultSaid)
        std::fprintf(stderr, "Quenmore: no voice: %s (HRESULT 0x%08lx); speech is off\n", what,
                     static_cast<unsigned long>(result));
    faultSaid = true;
}

void close() {
    if (voice != nullptr) voice->Release();
    voice = nullptr;
    if (comStarted) CoUninitialize();
    comStarted = false;
}

bool spoken(HRESULT result) {
    if (SUCCEEDED(result)) return true;
    sayFault(result == E_NOTIMPL ? "SAPI cannot speak here: its Speak is not implemented"
                                 : "SAPI's voice failed to speak",
             result);
    return false;
}

bool open() {
    comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const HRESULT created = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                             reinterpret_cast<void**>(&voice));
    if (FAILED(created) || voice == nullptr) {
        voice = nullptr;
        sayFault("SAPI's voice cannot be created", created);
        close();
        return false;
    }
    languageSet[0] = '\0';
    // A purge without a text says nothing, and shows whether the voice speaks at all.
    if (!spoken(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr))) {
        close();
        return false;
    }
    return true;
}

// The first installed voice of the language, else the learner's default voice.
void chooseVoice(const char* language) {
    std::snprintf(languageSet, sizeof languageSet, "%s", language);
    const wchar_t* attribute = nullptr;
    for (const LanguageCode& code : LanguageCodes)
        if (std::strcmp(code.language, language) == 0) attribute = code.attribute;
    ISpObjectToken* token = nullptr;
    ISpObjectTokenCategory* category = nullptr;
    if (attribute != nullptr && std::strcmp(language, "en") != 0 &&
        SUCCEEDED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                                   IID_ISpObjectTokenCategory,
                                   reinterpret_cast<void**>(&category)))) {
        IEnumSpObjectTokens* tokens = nullptr;
        if (SUCCEEDED(category->SetId(VoicesCategory, FALSE)) &&
            SUCCEEDED(category->EnumTokens(attribute, nullptr, &tokens)) && tokens != nullptr) {
            if (tokens->Next(1, &token, nullptr) != S_OK) token = nullptr;
            tokens->Release();
        }
        category->Release();
    }
    voice->SetVoice(token);  // null: the default voice
    if (token != nullptr) token->Release();
}

bool speak(const char* text, const char* language) {
    if (std::strcmp(language, languageSet) != 0) chooseVoice(language);
    static wchar_t wide[2048];
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, int(std::size(wide))) == 0) wide[0] = 0;
    return spoken(voice->Speak(wide, SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr));
}

void cancel() {
    voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
}

void rate(int32_t value) {
    voice->SetRate(LONG(value));
}

}  // namespace

const VoiceService& systemVoiceService() {
    static const VoiceService service{open, speak, cancel, rate, close};
    return service;
}

bool screenReaderRunning() {
    BOOL running = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) != 0 && running != FALSE;
}

}  // namespace platform
