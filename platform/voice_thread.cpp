// The voice's thread: requests wait in one mailbox, the latest text alone (a new text cuts off
// the one before it anyway), and the thread hands them to the system's voice service in the
// order cancel, rate, speak.
#include "platform/voice.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

namespace {

constexpr size_t LongestText = 2048;  // bytes of UTF-8; a longer text is cut
constexpr size_t LanguageBytes = 8;

struct Mailbox {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable opened;
    std::thread thread;
    bool opening = false;  // the thread is reaching the voice
    bool running = false;  // the voice is reached and the thread takes requests
    bool quit = false;
    bool cancel = false;
    bool speak = false;
    bool rateChanged = false;
    int32_t rate = 0;
    char text[LongestText];
    char language[LanguageBytes];
};

Mailbox& mailbox() {
    static Mailbox box;
    return box;
}

// Copies at most `size - 1` bytes and never cuts a UTF-8 sequence in two.
void copyText(char* to, size_t size, const char* from) {
    size_t length = strnlen(from, size - 1);
    if (from[length] != '\0')
        while (length > 0 && (uint8_t(from[length]) & 0xC0) == 0x80) --length;
    std::memcpy(to, from, length);
    to[length] = '\0';
}

void serve() {
    Mailbox& box = mailbox();
    const VoiceService& service = systemVoiceService();
    const bool reached = service.open();
    {
        const std::lock_guard<std::mutex> held(box.lock);
        box.opening = false;
        box.running = reached;
    }
    box.opened.notify_all();
    if (!reached) return;
    char text[LongestText];
    char language[LanguageBytes];
    bool going = true;
    while (going) {
        bool cancel = false, speak = false, rateChanged = false;
        int32_t rate = 0;
        {
            std::unique_lock<std::mutex> held(box.lock);
            box.wake.wait(
                held, [&box] { return box.quit || box.cancel || box.speak || box.rateChanged; });
            going = !box.quit;
            cancel = std::exchange(box.cancel, false);
            speak = std::exchange(box.speak, false);
            rateChanged = std::exchange(box.rateChanged, false);
            rate = box.rate;
            if (speak) {
                std::memcpy(text, box.text, sizeof text);
                std::memcpy(language, box.language, sizeof language);
            }
        }
        if (!going) break;
        if (cancel) service.cancel();
        if (rateChanged) service.rate(rate);
        if (speak && !service.speak(text, language)) going = false;
    }
    service.close();
    const std::lock_guard<std::mutex> held(box.lock);
    box.running = false;
}

// At the program's end (std::exit included) the thread says goodbye to the service and ends
// before the mailbox goes.
void closeVoice() {
    Mailbox& box = mailbox();
    {
        const std::lock_guard<std::mutex> held(box.lock);
        box.quit = true;
    }
    box.wake.notify_all();
    if (box.thread.joinable()) box.thread.join();
}

}  // namespace

bool openVoice() {
    Mailbox& box = mailbox();
    static const bool closedAtExit = std::atexit(closeVoice) == 0;
    (void)closedAtExit;
    std::unique_lock<std::mutex> held(box.lock);
    if (box.running) return true;
    if (box.thread.joinable()) {
        // The voice was lost, or never reached: its thread has ended, or is ending.
        held.unlock();
        box.thread.join();
        held.lock();
    }
    box.opening = true;
    box.quit = box.cancel = box.speak = false;
    box.rateChanged = box.rate != 0;
    box.thread = std::thread(serve);
    box.opened.wait(held, [&box] { return !box.opening; });
    return box.running;
}

void speak(const char* text, const char* language) {
    Mailbox& box = mailbox();
    {
        const std::lock_guard<std::mutex> held(box.lock);
        if (!box.running) return;
        copyText(box.text, sizeof box.text, text);
        copyText(box.language, sizeof box.language, language != nullptr ? language : "en");
        box.speak = true;
    }
    box.wake.notify_one();
}

void silenceVoice() {
    Mailbox& box = mailbox();
    {
        const std::lock_guard<std::mutex> held(box.lock);
        if (!box.running) return;
        box.cancel = true;
        box.speak = false;  // what was waiting is cut off before it began
    }
    box.wake.notify_one();
}

void setVoiceRate(int32_t rate) {
    Mailbox& box = mailbox();
    {
        const std::lock_guard<std::mutex> held(box.lock);
        box.rate = rate < -10 ? -10 : rate > 10 ? 10 : rate;
        box.rateChanged = true;
        if (!box.running) return;  // applied when the voice is reached
    }
    box.wake.notify_one();
}

}  // namespace platform
