// The results: the banner slides in over the dimmed lesson, the statistics wait for Enter,
// and the screen fades out.
#include "course/lesson/lesson_run_state.h"

#include "course/common/art_tiles.h"
#include "course/common/cues.h"
#include "course/common/finger_colours.h"
#include "course/lesson/lesson_speech.h"

#include "engine/display.h"
#include "engine/fades.h"
#include "engine/host.h"
#include "engine/window_modes.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int BannerColumn = 13;
constexpr int BannerRow = 6;
constexpr int BannerColumns = 14;
constexpr int BannerRows = 4;
constexpr int BannerFirstTile = art::ResultsBanner;
constexpr int SlideFrames = 64;

// Frame k of the slide: the banner's layer scrolled from 157 lines below its place up to it,
// and groups 0 and 1 dimmed from 63/64 to half.
constexpr int bannerScrollY(int k) {
    return -((10080 - 160 * k) / 64);
}
constexpr uint32_t slideDimLevel(int k) {
    return uint32_t((63 - k) / 2 + 32);
}
constexpr int StatisticsColumn = 9;
constexpr int PromptColumn = 8;
constexpr int PromptRow = 18;
constexpr const char* Prompt = "Press Enter to Continue";
constexpr const char* PromptHidden = "                       ";
constexpr int DimmedGroups = 2;  // palette groups 0 and 1, and the finger guide's
constexpr int NoticeRow = 20;

// Reads every pending event; true when the window is being closed. With `enter` given,
// also notes a press of the main Enter key (not the keypad's).
bool windowClosed(VideoState& video, bool* enter = nullptr) {
    SDL_Event event;
    while (nextEvent(video, event) != 0) {
        if (event.type == SDL_QUIT) return true;
        if (enter != nullptr && event.type == SDL_KEYDOWN &&
            event.key.keysym.scancode == SDL_SCANCODE_RETURN) {
            *enter = true;
        }
    }
    return false;
}

void writeResultsLine(VideoMemory& memory, int column, int row, const char* text) {
    writeText(memory, TextLayer, column, row, text, Font::Main, ResultsText);
}

void writeStatistics(LessonRun& run, const std::string& notice) {
    VideoMemory& memory = memoryOf(run);
    const RunSummary& summary = run.summary;
    const int32_t minutes = summary.seconds / 60;
    const int32_t secondsPart = summary.seconds - 60 * minutes;

    char text[64];
    std::snprintf(text, sizeof text, "Words Per Minute:%4d", int(summary.wordsPerMinute));
    writeResultsLine(memory, StatisticsColumn, 12, text);
    std::snprintf(text, sizeof text, "Errors:          %4d", int(summary.errors));
    writeResultsLine(memory, StatisticsColumn, 14, text);
    std::snprintf(text, sizeof text, "Time:           %02d:%02d", int(minutes), int(secondsPart));
    writeResultsLine(memory, StatisticsColumn, 16, text);
    if (notice.empty()) return;
    std::snprintf(text, size_t(ScreenColumns + 1), "%s", notice.c_str());  // one screen line
    writeResultsLine(memory, (ScreenColumns - int(std::strlen(text))) / 2, NoticeRow, text);
}

// The banner slides in, the statistics wait for Enter, the screen fades out.
LessonEnd playResults(LessonRun& run, const std::string& notice) {
    VideoMemory& memory = memoryOf(run);
    VideoState& video = videoOf(run);
    std::fill(memory.maps.begin(), memory.maps.begin() + MapCellCount, TextBlank);
    for (int r = 0; r < BannerRows; ++r) {
        for (int c = 0; c < BannerColumns; ++c) {
            const int tile = BannerFirstTile + 16 * r + c;
            putCell(memory, BannerColumn + c, BannerRow + r, CellPriority | cellTile(tile, 2));
        }
    }

    // The banner slides up from below the screen while the lesson's groups dim to half.
    const Palette lesson = memory.palette;
    const bool guide = run.screen->fingerGuide;
    for (int k = 0; k < SlideFrames; ++k) {
        if (windowClosed(video)) return LessonEnd::Abandoned;
        Palette dimmed;
        scalePalette(dimmed, lesson, slideDimLevel(k));
        for (int group = 0; group < PaletteSize / 16; ++group) {
            if (group >= DimmedGroups && !(guide && fingerGuideGroup(group))) continue;
            std::copy_n(dimmed.begin() + 16 * group, 16, memory.palette.begin() + 16 * group);
        }
        memory.layers[TextLayer] = LayerEnable | layerScroll(0, bannerScrollY(k));
        if (!showFrame(video)) return LessonEnd::Quit;
    }

    writeStatistics(run, notice);
    tellCue({.kind = CueKind::Results,
             .wordsPerMinute = run.summary.wordsPerMinute,
             .errors = run.summary.errors,
             .seconds = run.summary.seconds,
             .newBest = run.newBest});
    sayResults(run, notice);

    run.running = true;
    while (run.running) {
        bool enter = false;
        if (windowClosed(video, &enter)) return LessonEnd::Abandoned;
        if (enter) run.running = false;
        const bool shown = blinkShown(uint32_t(run.screen->frameCounter));
        writeResultsLine(memory, PromptColumn, PromptRow, shown ? Prompt : PromptHidden);
        if (!showFrame(video)) return LessonEnd::Quit;
    }

    const Palette dimmed = memory.palette;
    for (int level = FadeLevels; level >= 0; --level) {
        if (windowClosed(video)) return LessonEnd::Abandoned;
        scalePalette(memory.palette, dimmed, uint32_t(level));
        if (!showFrame(video)) return LessonEnd::Quit;
    }
    return LessonEnd::Finished;
}

}  // namespace

LessonEnd showLessonResults(LessonRun& run, const std::string& notice) {
    const LessonEnd end = playResults(run, notice);
    VideoMemory& memory = memoryOf(run);
    memory.palette = run.savedPalette;
    if (end == LessonEnd::Finished) memory.lineCallback = nullptr;
    return end;
}
