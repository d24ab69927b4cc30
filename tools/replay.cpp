// Headless replay: runs Quenmore's screens, from the title to the menu and its lessons,
// with scripted key input and a virtual clock, and writes chosen frames as PNG pictures.
// No display is needed.
//
//   quenmore_replay SCRIPT OUT_FOLDER [--assets FOLDER] [--data FOLDER] [--seconds N]
//
// SCRIPT holds one instruction per line ('#' starts a comment):
//   FRAME down KEY [shift] [caps]   a key press, delivered once FRAME frames were shown
//   FRAME up KEY [shift] [caps]     a key release
//   FRAME quit                      a window-close request
//   capture FRAME                   write the FRAME-th composed frame (1 = the first)
//   end FRAME                       stop after FRAME frames (default: the last capture)
// KEY is a printable character typed on the on-screen keyboard's key for it (a, A, 1, !,
// ;), or an SDL key name such as Return, Escape, Space, Up, Down, "Left Shift", CapsLock.
// Names with a space are written with underscores: Left_Shift.
// --seconds sets the calendar time that seeds the word lines, --data the folder of the
// best-times file (default: a throwaway folder under the system's temporary folder).
#include "course/app/program.h"
#include "course/lesson/on_screen_keyboard.h"
#include "engine/asset_files.h"
#include "testing/virtual_host.h"
#include "tools/png_file.h"
#include "tools/replay_script.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

struct Replay {
    VirtualHost clock;
    ReplayScript script;
    std::string outFolder;
    int written = 0;
};

Replay* replay = nullptr;

void onFrame(const VideoMemory& memory) {
    Replay& run = *replay;
    const uint64_t frame = run.clock.framesComposed;
    if (run.script.captures.count(frame) != 0) {
        char name[64];
        std::snprintf(name, sizeof name, "frame-%05llu.png",
                      static_cast<unsigned long long>(frame));
        const std::string path = (std::filesystem::path(run.outFolder) / name).string();
        if (!writePng(path.c_str(), memory.pixels, memory.width, memory.height)) {
            std::fprintf(stderr, "replay: cannot write %s\n", path.c_str());
            std::exit(1);
        }
        std::printf("%s\n", path.c_str());
        ++run.written;
    }
    if (frame >= run.script.endFrame) {
        std::fflush(stdout);
        std::exit(run.written == int(run.script.captures.size()) ? 0 : 1);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s SCRIPT OUT_FOLDER [--assets FOLDER] [--data FOLDER] "
                     "[--seconds N]\n",
                     argv[0]);
        return 2;
    }
    static Replay run;
    replay = &run;
    run.outFolder = argv[2];
    std::string assets = "assets";
    std::string data = (std::filesystem::temp_directory_path() / "quenmore-replay").string();
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--assets") == 0)
            assets = argv[i + 1];
        else if (std::strcmp(argv[i], "--data") == 0)
            data = argv[i + 1];
        else if (std::strcmp(argv[i], "--seconds") == 0)
            run.clock.calendarSeconds = std::atoll(argv[i + 1]);
        else {
            std::fprintf(stderr, "replay: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    std::ifstream file(argv[1]);
    std::stringstream text;
    text << file.rdbuf();
    std::string fault;
    if (!file || !readReplayScript(text.str(), run.clock, run.script, fault)) {
        std::fprintf(stderr, "replay: %s: %s\n", argv[1], file ? fault.c_str() : "cannot read it");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(run.outFolder, error);
    run.clock.dataFolder = data;

    static VideoState video{};
    initVideoMemory(video.memory);
    allocateFramebuffer(video.memory);
    const std::string sheet = assets + "/quenmore.chr";
    const std::string colours = assets + "/quenmore.pal";
    const bool sheetRead = loadCharacterSheet(video.memory.sheet, sheet.c_str());
    convertCharacterSheet(video.memory.sheet);
    if (!sheetRead || !loadPalette(video.memory.palette, colours.c_str())) {
        std::fprintf(stderr, "replay: cannot read the asset files in %s\n", assets.c_str());
        return 2;
    }
    installVirtualHost(run.clock);
    run.clock.onFrame = onFrame;
    video.framePeriod = framePeriod(host.performanceFrequency());
    static LessonMenu menu{};
    static Settings settings{};  // the defaults: the replay reads no settings file
    runCourse(video, menu, settings);
}
