#include "course/screens/lesson_menu.h"

#include "course/app/startup.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/lesson/lesson_run.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "course/screens/progress_screen.h"
#include "engine/fades.h"
#include "engine/host.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int RestScrollY = 32;  // the selected row's title at screen line 32, in the bar
constexpr int SlideFrames = 16;  // one 32-pixel row in steps of 2 pixels
constexpr TileCell Blank = ' ';
constexpr TileCell UnselectedGroup = cellTile(0, 1);
constexpr TileCell SelectedGroup = cellTile(0, 0);
constexpr TileCell BarEdge = 10;
constexpr TileCell BarBody = 11;

// The bar shimmers by one pixel every frame and the backdrop drifts left; both go on during
// slides.
void animateBackground(VideoMemory& memory, int32_t frameCounter) {
    memory.layers[BarLayer] = LayerEnable | layerScroll(frameCounter & 1, 0);
    memory.layers[BackdropLayer] = LayerEnable | layerScroll(frameCounter % BackdropPeriod, 0);
}

// Carries the newly selected row into the bar. drawLessonMenu has already moved the rows,
// so the first frame (scroll 0 after Down, 64 after Up) shows the picture from before.
void slide(LessonMenu& menu, int32_t& frameCounter, bool down) {
    VideoMemory& memory = menu.video->memory;
    for (int k = 0; k < SlideFrames; ++k) {
        ++frameCounter;
        animateBackground(memory, frameCounter);
        const int scrollY = down ? 2 * k : 2 * RestScrollY - 2 * k;
        memory.layers[ListLayer] = LayerEnable | layerScroll(0, scrollY);
        showFrame(*menu.video);
    }
    memory.layers[ListLayer] = LayerEnable | layerScroll(0, RestScrollY);
}

// The menu and the run whose exercise has just been typed to its end.
struct FinishedRun {
    LessonMenu* menu;
    RunSummary* summary;
};

// Keeps a finished run in the history, then its time when it beats the stored one, and saves
// the file at once, before the results screen takes any input; the history's failures never
// reach the best-times file. An equal or slower time changes nothing and writes nothing; the
// practice has no best time. A failed save is told on stderr and on the results screen; the
// time stays in the row, so the next save that works includes it.
const char* recordFinishedRun(int32_t seconds, void* data) {
    static char notice[64];
    const FinishedRun& run = *static_cast<FinishedRun*>(data);
    LessonMenu& menu = *run.menu;
    if (run.summary != nullptr && run.summary->finished)
        recordRun(menu.selectedIndex, *run.summary);
    if (menu.selectedIndex == PracticeRow) return nullptr;
    LessonEntry& entry = menu.entries[size_t(menu.selectedIndex)];
    if (!saneBestTime(seconds) || (entry.bestTime >= 0 && seconds >= entry.bestTime)) {
        return nullptr;
    }
    entry.bestTime = seconds;
    std::string reason;
    if (saveBestTimes(menu, &reason)) return nullptr;
    std::string path;
    bestTimesPath(path);
    std::fprintf(stderr, "Quenmore: the best time could not be saved in %s: %s\n", path.c_str(),
                 reason.c_str());
    std::snprintf(notice, sizeof notice, "Time not saved: %s", reason.c_str());
    return notice;
}

}  // namespace

void buildMenuRows(LessonMenu& menu) {
    menu.entries = std::make_unique<LessonEntry[]>(LessonCount);
    menu.entryCount = LessonCount;
    for (int i = 0; i < LessonCount; ++i) {
        menu.entries[i] = LessonEntry{lessonCatalogue[i].title, -1, &lessonCatalogue[i]};
    }
    menu.selectedIndex = 0;
}

void setUpLessonMenu(VideoState& video, LessonMenu& menu) {
    menu.video = &video;
    buildMenuRows(menu);
    addPracticeRow(menu);
    loadBestTimes(menu);
    drawLessonMenu(menu);
}

void drawLessonMenu(LessonMenu& menu) {
    VideoMemory& memory = menu.video->memory;
    resetSprites(memory);
    memory.lineCallback = nullptr;
    memory.layers.fill(0);
    for (int map = 1; map < LayerCount; ++map) fillMapCells(memory, map, Blank);

    memory.layers[BackdropLayer] = LayerEnable;
    drawBackdrop(memory);

    memory.layers[BarLayer] = LayerEnable;
    for (int column = 0; column < MapSide; ++column) {
        memory.maps[size_t(mapIndex(BarLayer, column, 3))] = BarEdge;
        memory.maps[size_t(mapIndex(BarLayer, column, 4))] = BarBody;
        memory.maps[size_t(mapIndex(BarLayer, column, 5))] = BarBody;
        memory.maps[size_t(mapIndex(BarLayer, column, 6))] = BarEdge | CellFlipY;
    }

    memory.layers[ListLayer] = LayerEnable | layerScroll(0, RestScrollY);
    // Eleven slots around the selection: two above it, the selected one, and eight below,
    // some of them off screen, where the slides carry them in from.
    for (int entry = menu.selectedIndex - 2; entry <= menu.selectedIndex + 8; ++entry) {
        if (entry < 0 || entry >= menu.entryCount) continue;
        const int slot = entry - menu.selectedIndex + 2;
        const LessonEntry& row = menu.entries[size_t(entry)];
        const TileCell group = entry == menu.selectedIndex ? SelectedGroup : UnselectedGroup;
        char time[48];
        if (row.bestTime < 0) {
            std::snprintf(time, sizeof time, "Best Time: --:--");
        } else {
            std::snprintf(time, sizeof time, "Best Time: %d:%02d", row.bestTime / 60,
                          row.bestTime % 60);
        }
        if (entry == PracticeRow) std::snprintf(time, sizeof time, "%s", PracticeSubtitle);
        writeTextCells(memory, ListLayer, 4, 4 * slot, row.title, group);
        writeTextCells(memory, ListLayer, 8, 4 * slot + 1, time, group);
    }
    drawProgressHint(memory);
}

int runLessonMenu(LessonMenu& menu) {
    VideoState& video = *menu.video;
    LessonScreen screen{};
    fadeIn(video);
    bool running = true;
    int32_t frameCounter = 0;
    while (true) {
        SDL_Event event;
        // Events read after a slide in this pass arrived while it ran. Auto-repeats of a held
        // arrow among them are dropped, or they would pile up and slide on long after the key
        // was let go; one arriving between slides starts the next, so holding still slides.
        bool slid = false;
        while (host.pollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) shutDown(video);
            if (event.type != SDL_KEYDOWN) continue;
            const SDL_Keycode key = event.key.keysym.sym;
            if (slid && event.key.repeat != 0 && (key == SDLK_UP || key == SDLK_DOWN)) continue;
            switch (key) {
            case SDLK_DOWN:
                if (menu.selectedIndex < menu.entryCount - 1) {
                    ++menu.selectedIndex;
                    drawLessonMenu(menu);
                    slide(menu, frameCounter, true);
                    slid = true;
                }
                break;
            case SDLK_UP:
                if (menu.selectedIndex > 0) {
                    --menu.selectedIndex;
                    drawLessonMenu(menu);
                    slide(menu, frameCounter, false);
                    slid = true;
                }
                break;
            case SDLK_RETURN: startSelectedLesson(menu, screen); break;
            case SDLK_TAB:
                fadeOut(video);
                runProgressScreen(menu);
                drawLessonMenu(menu);
                fadeIn(video);
                break;
            // The events already queued behind Escape are still handled in this pass.
            case SDLK_ESCAPE: running = false; break;
            default: break;
            }
        }
        ++frameCounter;
        animateBackground(video.memory, frameCounter);
        showFrame(video);
        if (!running) break;
    }
    fadeOut(video);
    return 1;
}

void startSelectedLesson(LessonMenu& menu, LessonScreen& screen) {
    LessonEntry& entry = menu.entries[size_t(menu.selectedIndex)];
    const bool practising = menu.selectedIndex == PracticeRow;
    if (entry.lesson == nullptr && !practising) return;
    VideoState& video = *menu.video;
    fadeOut(video);
    // Both live until the run is over: the screen's script points into the practice.
    auto practice = std::make_unique<PracticeLesson>();
    auto summary = std::make_unique<RunSummary>();
    if (practising) {
        preparePractice(menu, *practice);
        setUpPractice(video, screen, *practice);
    } else {
        const LessonRecord& lesson = *entry.lesson;
        setUpLessonScreen(video, screen, lesson.words, lesson.wordCount, lesson.title,
                          lesson.script);
    }
    FinishedRun finished{&menu, summary.get()};
    screen.recordTime = recordFinishedRun;
    screen.recordTimeData = &finished;
    runLesson(screen, summary.get());
    screen.recordTime = nullptr;  // `finished` ends here
    drawLessonMenu(menu);
    fadeIn(video);
}
