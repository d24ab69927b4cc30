// The replay tool's script parser: any text. A script read without fault has something to do
// (an end frame) and schedules only events of known keys, in the order of their lines.
#include "fuzz/fuzz_support.h"
#include "tools/replay_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VirtualHost clock;
    ReplayScript script;
    std::string error;
    const bool read = readReplayScript(std::string(reinterpret_cast<const char*>(data), size),
                                       clock, script, error);
    FUZZ_CHECK(read == error.empty());
    if (!read) return 0;
    FUZZ_CHECK(script.endFrame > 0);
    for (const auto& [frame, event] : clock.script) {
        if (event.type == SDL_QUIT) continue;
        FUZZ_CHECK(event.type == SDL_KEYDOWN || event.type == SDL_KEYUP);
        FUZZ_CHECK(event.key.keysym.scancode != SDL_SCANCODE_UNKNOWN);
        FUZZ_CHECK(event.key.keysym.sym != SDLK_UNKNOWN);
    }
    return 0;
}
