// Whole journeys as a learner makes them, through the real screens and the committed art:
// title, menu, a lesson from its intro to the results, the best time in the menu and on
// disk, and a restart that finds it again. Chosen frames on the way are compared pixel for
// pixel with the pictures in tests/golden/. When the art or a screen changes on purpose,
// script/update-goldens writes them anew (QUENMORE_UPDATE_GOLDENS=1); look at them before
// committing.
#include "course/best_times.h"
#include "course/lesson_menu.h"
#include "course/title_screen.h"
#include "engine/asset_files.h"
#include "tests/support/learner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_video.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// Compares a composed frame with tests/golden/NAME.png, or writes it when updating.
void expectGolden(const std::string& name, const std::vector<uint32_t>& frame) {
    ASSERT_FALSE(frame.empty()) << name << " never appeared";
    const std::string path = std::string(QUENMORE_SOURCE_DIR "/tests/golden/") + name + ".png";
    const char* update = std::getenv("QUENMORE_UPDATE_GOLDENS");
    if (update != nullptr && update[0] == '1') {
        ASSERT_TRUE(writePng(path.c_str(), frame.data(), ScreenWidth, ScreenHeight)) << path;
        return;
    }
    std::vector<uint32_t> golden;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(readPng(path.c_str(), golden, width, height)) << path;
    ASSERT_EQ(width * height, ScreenWidth * ScreenHeight);
    int differing = 0;
    int first = -1;
    for (size_t i = 0; i < frame.size(); ++i) {
        if ((frame[i] & 0xFFFFFF) != (golden[i] & 0xFFFFFF)) {
            if (first < 0) first = int(i);
            ++differing;
        }
    }
    EXPECT_EQ(differing, 0) << name << ": first difference at (" << first % ScreenWidth << ", "
                            << first / ScreenWidth << ")";
}

// The first frame for which `when` holds.
struct Capture {
    std::function<bool(const VideoMemory&)> when;
    std::vector<uint32_t> frame;
    void look(const VideoMemory& memory) {
        if (frame.empty() && when(memory)) frame.assign(memory.pixels, memory.pixels + 57600);
    }
};

// "Words Per Minute:  60|Errors:             4|Time:           01:10" -> seconds.
int shownSeconds(const std::string& results) {
    int minutes = 0;
    int seconds = 0;
    std::sscanf(results.c_str() + results.rfind("Time:") + 5, "%d:%d", &minutes, &seconds);
    return minutes * 60 + seconds;
}

int shownErrors(const std::string& results) {
    int errors = -1;
    std::sscanf(results.c_str() + results.find("Errors:") + 7, "%d", &errors);
    return errors;
}

class JourneyTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    TempFolder data{"quenmore-journey"};
    std::string bestTimesFile = data.file(BestTimesFileName);
    Palette palette{};  // as loaded

    void SetUp() override {
        installVirtualHost(clock);
        clock.dataFolder = data.path.string();
        ASSERT_TRUE(
            loadCharacterSheet(test.memory().sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr"));
        convertCharacterSheet(test.memory().sheet);
        ASSERT_TRUE(loadPalette(test.memory().palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal"));
        palette = test.memory().palette;
    }
    void TearDown() override { restoreHost(); }

    // The menu, `idleFrames` after its fade-in, with a learner who picks the lesson and plays
    // it; returns when the learner has left the menu with Escape. `look` sees every frame
    // before the learner does.
    void playJourney(LessonMenu& menu, Learner& learner, int idleFrames = 0,
                     std::function<void(const VideoMemory&)> look = {}) {
        clock.onFrame = [&](const VideoMemory& memory) {
            if (look) look(memory);
            learner.onFrame(memory);
        };
        setUpLessonMenu(test.video(), menu);
        const uint64_t enter = clock.framesComposed + 64 + uint64_t(idleFrames);
        for (int i = 0; i < learner.plan.menuDownPresses; ++i) {
            clock.keyDown(enter, SDLK_DOWN, SDL_SCANCODE_DOWN);
        }
        clock.keyDown(enter, SDLK_RETURN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(runLessonMenu(menu), 1);
        clock.onFrame = nullptr;
        EXPECT_EQ(learner.phase, LearnerPhase::BackInMenu);
    }
};

// The journeys that check golden frames on the way: script/update-goldens runs these.
using GoldenTest = JourneyTest;

TEST_F(GoldenTest, LessonOneFromTitleToBestTimeAndBackAfterARestart) {
    // Lesson 2 has a stored time, which the menu shows and the first save keeps.
    LessonMenu stored{};
    buildMenuRows(stored);
    stored.entries[1].bestTime = 75;
    saveBestTimes(stored);

    // The title once the logo has blended in and the prompt is on (loop frame 224, after the
    // 64 frames of the fade-in).
    Capture title{[&](const VideoMemory&) { return clock.framesComposed == 64 + 224; }, {}};
    clock.onFrame = [&](const VideoMemory& memory) { title.look(memory); };
    setUpTitleScreen(test.video());
    clock.keyDown(64 + 224, SDLK_SPACE, SDL_SCANCODE_SPACE);
    runTitleScreen(test.video());
    expectGolden("title", title.frame);

    LessonMenu menu{};
    LearnerPlan plan;
    plan.wrongKeyEvery = 30;
    Learner learner(clock, plan);
    const uint64_t menuShown = clock.framesComposed + 64 + 20;
    Capture captures[] = {
        {[&](const VideoMemory&) { return clock.framesComposed == menuShown; }, {}},
        {[&](const VideoMemory& memory) {
             return readLessonText(memory, 2, 19) == "the letter \"d.\"";
         },
         {}},
        {[&](const VideoMemory& memory) { return readResultsText(memory, 8, 18, 5) == "Press"; },
         {}},
    };
    playJourney(menu, learner, 21, [&](const VideoMemory& memory) {
        for (Capture& capture : captures) capture.look(memory);
    });
    expectGolden("menu", captures[0].frame);
    expectGolden("intro", captures[1].frame);
    expectGolden("results", captures[2].frame);

    EXPECT_GT(learner.errorsMade, 5);
    EXPECT_EQ(shownErrors(learner.resultsText), learner.errorsMade) << learner.resultsText;
    const int seconds = shownSeconds(learner.resultsText);
    EXPECT_GT(seconds, 0);
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    // The menu shows the new time on the selected row.
    char shown[32];
    std::snprintf(shown, sizeof shown, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    EXPECT_EQ(readMenuText(test.memory(), 8, 9, 24), shown);
    // The file holds the times of lessons 1 and 2 and eight empty records.
    std::vector<uint8_t> expected(40, 0);
    for (int i = 0; i < 4; ++i) {
        expected[size_t(i)] = uint8_t((0x80000000u | uint32_t(seconds)) >> (8 * i));
        expected[size_t(4 + i)] = uint8_t((0x80000000u | 75u) >> (8 * i));
    }
    EXPECT_EQ(readBytes(bestTimesFile), expected);

    // A slower second run records nothing: the file is not even written. (Extra bytes after
    // the records would go at the next save.)
    std::ofstream(bestTimesFile, std::ios::binary | std::ios::app) << "more";
    test.composeNarrowFrames();
    LearnerPlan slow = plan;
    slow.framesPerCharacter = 2;
    Learner slower(clock, slow);
    playJourney(menu, slower);
    EXPECT_GT(shownSeconds(slower.resultsText), seconds);
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    EXPECT_EQ(readBytes(bestTimesFile).size(), 44u);

    // A restart reads the time back.
    LessonMenu restarted{};
    setUpLessonMenu(test.video(), restarted);
    EXPECT_EQ(restarted.entries[0].bestTime, seconds);
    EXPECT_EQ(readMenuText(test.memory(), 8, 9, 24), shown);
}

// Lesson 7 with Shift held for its capitals (a golden frame), lesson 9 with several
// presses a frame, lesson 10 with a Caps Lock detour.
TEST_F(GoldenTest, ShiftHeavyAndCodeLessonsCanBeCompleted) {
    for (int lesson : {7, 9, 10}) {
        LessonMenu menu{};
        LearnerPlan plan;
        plan.menuDownPresses = lesson - 1;
        plan.wrongKeyEvery = 25;
        plan.charactersPerFrame = lesson == 9 ? 3 : lesson == 10 ? 2 : 1;
        plan.capsLockDetour = lesson == 10;
        Learner learner(clock, plan);
        Capture shift{[&](const VideoMemory& memory) {
                          // The left Shift key's face shown pressed.
                          return learner.phase == LearnerPhase::Exercise &&
                                 learner.charactersTyped >= 4 &&
                                 cellTile(memory.maps[size_t(mapIndex(2, 0, 6))]) == 3;
                      },
                      {}};
        if (lesson == 7) {
            playJourney(menu, learner, 0, [&](const VideoMemory& memory) { shift.look(memory); });
            expectGolden("exercise-shift", shift.frame);
            test.composeNarrowFrames();
        } else {
            playJourney(menu, learner);
        }
        EXPECT_EQ(learner.capsDetourDone, plan.capsLockDetour) << "lesson " << lesson;
        EXPECT_EQ(shownErrors(learner.resultsText), learner.errorsMade) << "lesson " << lesson;
        EXPECT_EQ(menu.entries[size_t(lesson - 1)].bestTime, shownSeconds(learner.resultsText));
    }
}

// Escape and window close in every phase of a lesson: the lesson is abandoned (result 0,
// nothing written) or, for a close in the intro, the program ends; Escape on the results
// screen does nothing, so that lesson is finished.
TEST_F(JourneyTest, EscapeAndWindowCloseInEveryPhase) {
    test.composeNarrowFrames();
    for (LearnerPhase phase :
         {LearnerPhase::Lesson, LearnerPhase::Exercise, LearnerPhase::Results}) {
        for (bool close : {false, true}) {
            const bool timeRecorded = phase == LearnerPhase::Results && !close;
            std::remove(bestTimesFile.c_str());
            LearnerPlan plan;
            plan.interrupts = true;
            plan.interruptIn = phase;
            plan.interruptWithClose = close;
            plan.charactersPerFrame = 4;
            auto play = [&]() {
                LessonMenu menu{};
                Learner learner(clock, plan);
                playJourney(menu, learner);  // returns only when the program goes on
                EXPECT_EQ(menu.entries[0].bestTime > 0, timeRecorded);
                EXPECT_EQ(test.memory().palette, palette);  // whatever the lesson changed
            };
            const std::string label =
                std::string(close ? "close" : "escape") + " in phase " + std::to_string(int(phase));
            if (phase == LearnerPhase::Lesson && close) {
                EXPECT_EXIT(play(), ::testing::ExitedWithCode(0), "") << label;
            } else {
                play();
            }
            EXPECT_EQ(readBytes(bestTimesFile).empty(), !timeRecorded) << label;
        }
    }
}

}  // namespace
