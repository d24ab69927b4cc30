#include "course/screens/lesson_menu.h"

#include "course/common/art_tiles.h"
#include "course/common/cues.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/lesson/lesson_run.h"
#include "course/lesson/practice_setup.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "course/screens/options_screen.h"
#include "course/screens/progress_screen.h"
#include "engine/fades.h"
#include "engine/host.h"
#include "engine/speech.h"
#include "engine/window_modes.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int RestScrollY = 32;  // the selected row's title at screen line 32, in the bar
constexpr int SlideFrames = 16;  // one 32-pixel row in steps of 2 pixels
constexpr TileCell Blank = art::MainFont + ' ';
constexpr TileCell UnselectedGroup = cellTile(0, 1);
constexpr TileCell SelectedGroup = cellTile(0, 0);
// The bar is the lesson's text box, closed at the bottom by its top edge flipped.
constexpr TileCell BarEdge = art::BoxTop;
constexpr TileCell BarBody = art::BoxBody;

// The bar shimmers by one pixel every frame and the backdrop drifts left; both go on during
// slides.
void animateBackground(VideoMemory& memory, int32_t frameCounter) {
    memory.layers[BarLayer] = LayerEnable | layerScroll(frameCounter & 1, 0);
    memory.layers[BackdropLayer] = LayerEnable | layerScroll(frameCounter % BackdropPeriod, 0);
}

// Carries the newly selected row into the bar. drawLessonMenu has already moved the rows,
// so the first frame (scroll 0 after Down, 64 after Up) shows the picture from before.
bool slide(LessonMenu& menu, int32_t& frameCounter, bool down) {
    VideoMemory& memory = menu.video->memory;
    for (int k = 0; k < SlideFrames; ++k) {
        ++frameCounter;
        animateBackground(memory, frameCounter);
        const int scrollY = down ? 2 * k : 2 * RestScrollY - 2 * k;
        memory.layers[ListLayer] = LayerEnable | layerScroll(0, scrollY);
        if (!showFrame(*menu.video)) return false;
    }
    memory.layers[ListLayer] = LayerEnable | layerScroll(0, RestScrollY);
    return true;
}

// Keeps a finished run in the history, then its time when it beats the stored one, and saves
// the file at once, before the results screen takes any input; the history's failures never
// reach the best-times file. An equal or slower time changes nothing and writes nothing; the
// practice has no best time. A failed save is told on stderr and, in what this returns, on
// the results screen; the time stays in the row, so the next save that works includes it.
// Another course's best times live in the history alone.
std::string keepFinishedRun(LessonMenu& menu, const RunSummary& summary, bool& newBest) {
    recordRun(selectedLessonKey(menu), summary);
    newBest = false;
    if (menu.course == 0 && menu.selectedIndex >= LessonCount) return {};
    LessonEntry& entry = menu.entries[size_t(menu.selectedIndex)];
    const int32_t seconds = summary.seconds;
    if (!saneBestTime(seconds) || (entry.bestTime >= 0 && seconds >= entry.bestTime)) return {};
    entry.bestTime = seconds;
    newBest = true;
    if (menu.course != 0 || !menu.usLessons) return {};
    BestTimes times = menuBestTimes(menu);
    std::string reason;
    const bool saved = saveBestTimes(times, &reason);
    setMenuBestTimes(menu, times);
    if (saved) return {};
    std::string path;
    bestTimesPath(path);
    std::fprintf(stderr, "Quenmore: the best time could not be saved in %s: %s\n", path.c_str(),
                 reason.c_str());
    return "Time not saved: " + reason;
}

void tellRowChosen(const LessonMenu& menu) {
    tellCue(
        {.kind = CueKind::RowChosen,
         .number = menu.selectedIndex,
         .count = menu.entryCount,
         .text = menu.entryCount > 0 ? menu.entries[size_t(menu.selectedIndex)].title : nullptr});
}

}  // namespace

void buildMenuRows(LessonMenu& menu) {
    menu.entries = std::make_unique<LessonEntry[]>(MenuRows);
    menu.entryCount = MenuRows;
    const Course& course =
        menu.builtIn.lessons.size() == size_t(LessonCount) ? menu.builtIn : builtInCourse();
    for (int i = 0; i < LessonCount; ++i) {
        const CourseLesson& lesson = course.lessons[size_t(i)];
        menu.entries[i] = LessonEntry{lesson.title.c_str(), -1, &lesson};
    }
    menu.entries[PracticeRow] = LessonEntry{PracticeTitle, -1, nullptr};
    menu.selectedIndex = 0;
}

BestTimes menuBestTimes(const LessonMenu& menu) {
    BestTimes times;
    for (int i = 0; i < LessonCount; ++i) times[size_t(i)] = menu.entries[size_t(i)].bestTime;
    return times;
}

void setMenuBestTimes(LessonMenu& menu, const BestTimes& times) {
    for (int i = 0; i < LessonCount; ++i) menu.entries[size_t(i)].bestTime = times[size_t(i)];
}

void setUpLessonMenu(VideoState& video, LessonMenu& menu, Settings* settings) {
    menu.video = &video;
    menu.settings = settings;
    loadMenuCourses(menu);
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
        if (menu.course == 0 && entry == PracticeRow)
            std::snprintf(time, sizeof time, "%s", PracticeSubtitle);
        writeText(memory, ListLayer, 4, 4 * slot, row.title, Font::Main, group);
        writeText(memory, ListLayer, 8, 4 * slot + 1, time, Font::Main, group);
    }
    drawProgressHint(memory);
    drawOptionsHint(memory);
    drawCourseHeader(menu);
}

void runLessonMenu(LessonMenu& menu) {
    VideoState& video = *menu.video;
    auto screen = std::make_unique<LessonScreen>();
    sayMenuRow(menu, true);
    if (!fadeIn(video)) return;
    bool running = true;
    int32_t frameCounter = 0;
    while (true) {
        SDL_Event event;
        // Events read after a slide in this pass arrived while it ran. Auto-repeats of a held
        // arrow among them are dropped, or they would pile up and slide on long after the key
        // was let go; one arriving between slides starts the next, so holding still slides.
        bool slid = false;
        while (nextEvent(video, event) != 0) {
            if (event.type == SDL_QUIT) return;
            if (event.type != SDL_KEYDOWN) continue;
            const SDL_Keycode key = event.key.keysym.sym;
            if (slid && event.key.repeat != 0 && (key == SDLK_UP || key == SDLK_DOWN)) continue;
            bool going = true;
            switch (key) {
            case SDLK_DOWN:
            case SDLK_UP: {
                const int step = key == SDLK_DOWN ? 1 : -1;
                const int next = menu.selectedIndex + step;
                if (next < 0 || next >= menu.entryCount) break;
                menu.selectedIndex = next;
                tellRowChosen(menu);
                sayMenuRow(menu, false);
                drawLessonMenu(menu);
                going = slide(menu, frameCounter, key == SDLK_DOWN);
                slid = true;
                break;
            }
            case SDLK_LEFT:
            case SDLK_RIGHT:
                if (!stepCourse(menu, key == SDLK_RIGHT ? 1 : -1)) break;
                tellRowChosen(menu);
                drawLessonMenu(menu);
                sayMenuRow(menu, true);
                break;
            case SDLK_RETURN: going = startSelectedLesson(menu, *screen) == ScreenExit::Done; break;
            case SDLK_TAB:
                if (menu.entryCount == 0) break;
                going = fadeOut(video) && runProgressScreen(video, courseProgressPages(menu),
                                                            menu.selectedIndex) == ScreenExit::Done;
                if (going) {
                    drawLessonMenu(menu);
                    sayMenuRow(menu, false);
                    going = fadeIn(video);
                }
                break;
            case SDLK_o:
                if (menu.settings == nullptr) break;
                going =
                    fadeOut(video) && runOptionsScreen(video, *menu.settings) == ScreenExit::Done;
                if (going && menu.settings->course != menu.builtInChoice) chooseBuiltInCourse(menu);
                if (going) {
                    drawLessonMenu(menu);
                    sayMenuRow(menu, false);
                    going = fadeIn(video);
                }
                break;
            // The events already queued behind Escape are still handled in this pass.
            case SDLK_ESCAPE:
                running = false;
                say(video, "Goodbye.");
                break;
            default: break;
            }
            if (!going) return;
        }
        ++frameCounter;
        animateBackground(video.memory, frameCounter);
        if (!showFrame(video)) return;
        if (!running) break;
    }
    fadeOut(video);
}

ScreenExit startSelectedLesson(LessonMenu& menu, LessonScreen& screen) {
    if (menu.entryCount == 0) return ScreenExit::Done;
    const LessonEntry& entry = menu.entries[size_t(menu.selectedIndex)];
    const bool practising = menu.course == 0 && menu.selectedIndex == PracticeRow;
    if (entry.lesson == nullptr && !practising) return ScreenExit::Done;
    VideoState& video = *menu.video;
    if (!fadeOut(video)) return ScreenExit::Quit;
    // Both live until the run is over: the screen's intro is the practice's.
    auto practice = std::make_unique<PracticeLesson>();
    auto run = std::make_unique<LessonRun>();
    if (practising) {
        setUpPractice(video, screen, menuBestTimes(menu), menu.builtIn, menu.usLessons, *practice);
    } else {
        setUpLessonScreen(video, screen, *entry.lesson);
    }
    const Course* course = shownCourse(menu);
    screen.language = course != nullptr ? course->language
                      : menu.builtIn.lessons.size() == size_t(LessonCount)
                          ? menu.builtIn.language
                          : builtInCourse().language;
    screen.fingerGuide = menu.settings != nullptr && menu.settings->fingerGuide;
    LessonEnd end = playLesson(*run, screen);
    if (end == LessonEnd::Finished) {
        const std::string notice = keepFinishedRun(menu, run->summary, run->newBest);
        end = showLessonResults(*run, notice);
    }
    if (end == LessonEnd::Quit) return ScreenExit::Quit;
    drawLessonMenu(menu);
    sayMenuRow(menu, false);
    return fadeIn(video) ? ScreenExit::Done : ScreenExit::Quit;
}
