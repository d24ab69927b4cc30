// The results: the banner slides in over the dimmed lesson, the statistics wait for Enter,
// and the screen fades out.
#include "course/lesson/lesson_run_state.h"

#include "course/common/screen_text.h"
#include "engine/display.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <SDL.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr TileCell resultsCell(char c) {
    return TileCell(CellPriority | cellTile(int8_t(c), 2));
}

constexpr int BannerColumn = 13;
constexpr int BannerRow = 6;
constexpr int BannerColumns = 14;
constexpr int BannerRows = 4;
constexpr int BannerFirstTile = 224;  // tile row 14 of the character set
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
constexpr int DimmedEntries = 32;  // palette groups 0 and 1
constexpr int NoticeRow = 20;
constexpr int ScreenColumns = ScreenWidth / 8;

// Reads every pending event; true when the window is being closed. With `enter` given,
// also notes a press of the main Enter key (not the keypad's).
bool windowClosed(bool* enter = nullptr) {
    SDL_Event event;
    while (host.pollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return true;
        if (enter != nullptr && event.type == SDL_KEYDOWN &&
            event.key.keysym.scancode == SDL_SCANCODE_RETURN) {
            *enter = true;
        }
    }
    return false;
}

void writeResultsLine(VideoMemory& memory, int column, int row, const char* text) {
    writeText(memory, column, row, text, resultsCell);
}

void writeStatistics(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    // A word is five characters, spaces included. A lesson typed within one second shows 0
    // words per minute rather than dividing by zero.
    const uint32_t seconds = uint32_t(run.elapsedSeconds);
    const uint32_t wordsPerMinute =
        seconds == 0 ? 0 : 60u * uint32_t(run.correctCount) / (5u * seconds);
    const uint64_t minutes = run.elapsedSeconds / 60;
    const uint64_t secondsPart = run.elapsedSeconds - 60 * minutes;

    char text[64];
    std::snprintf(text, sizeof text, "Words Per Minute:%4d", int(wordsPerMinute));
    writeResultsLine(memory, StatisticsColumn, 12, text);
    std::snprintf(text, sizeof text, "Errors:          %4d", int(run.errors));
    writeResultsLine(memory, StatisticsColumn, 14, text);
    std::snprintf(text, sizeof text, "Time:           %02" PRIu64 ":%02" PRIu64, minutes,
                  secondsPart);
    writeResultsLine(memory, StatisticsColumn, 16, text);
    if (run.notice == nullptr) return;
    std::snprintf(text, size_t(ScreenColumns + 1), "%s", run.notice);  // one screen line
    writeResultsLine(memory, (ScreenColumns - int(std::strlen(text))) / 2, NoticeRow, text);
}

}  // namespace

PhaseOutcome showResults(LessonRun& run) {
    VideoMemory& memory = memoryOf(run);
    VideoState& video = *run.screen->video;
    std::fill(memory.maps.begin(), memory.maps.begin() + MapCellCount, TextBlank);
    for (int r = 0; r < BannerRows; ++r) {
        for (int c = 0; c < BannerColumns; ++c) {
            const int tile = BannerFirstTile + 16 * r + c;
            putCell(memory, BannerColumn + c, BannerRow + r, CellPriority | cellTile(tile, 2));
        }
    }

    // The banner slides up from below the screen while groups 0 and 1 dim to half.
    for (int k = 0; k < SlideFrames; ++k) {
        if (windowClosed()) return PhaseOutcome::WindowClosed;
        Palette dimmed;
        scalePalette(dimmed, run.savedPalette, slideDimLevel(k));
        std::copy_n(dimmed.begin(), DimmedEntries, memory.palette.begin());
        memory.layers[TextLayer] = LayerEnable | layerScroll(0, bannerScrollY(k));
        showFrame(video);
    }

    writeStatistics(run);

    run.running = true;
    while (run.running) {
        bool enter = false;
        if (windowClosed(&enter)) return PhaseOutcome::WindowClosed;
        if (enter) run.running = false;
        const bool shown = blinkShown(uint32_t(run.screen->frameCounter));
        writeResultsLine(memory, PromptColumn, PromptRow, shown ? Prompt : PromptHidden);
        showFrame(video);
    }

    const Palette dimmed = memory.palette;
    for (int level = FadeLevels; level >= 0; --level) {
        if (windowClosed()) return PhaseOutcome::WindowClosed;
        scalePalette(memory.palette, dimmed, uint32_t(level));
        showFrame(video);
    }
    return PhaseOutcome::Finished;
}
