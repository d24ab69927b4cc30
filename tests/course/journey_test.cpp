// Whole journeys as a learner makes them: title, menu, a lesson from its intro to the
// results, the best time in the menu and on disk, and a restart that finds it again.
#include "course/best_times.h"
#include "course/lesson_menu.h"
#include "course/title_screen.h"
#include "engine/asset_files.h"
#include "tests/support/learner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string menuText(const VideoMemory& memory, int column, int row, int length) {
    std::string text;
    for (int c = column; c < column + length; ++c) {
        text += char(cellTile(memory.maps[size_t(mapIndex(1, c, row))]));
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

class JourneyTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    TempFolder data{"quenmore-journey"};

    void SetUp() override {
        installVirtualHost(clock);
        clock.dataFolder = data.path.string();
        loadCharacterSheet(test.memory().sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr");
        convertCharacterSheet(test.memory().sheet);
        loadPalette(test.memory().palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal");
        test.composeNarrowFrames();
    }
    void TearDown() override { restoreHost(); }

    // Title, then the menu with a learner who picks the lesson and plays it; returns when
    // the learner has left the menu with Escape.
    void playJourney(LessonMenu& menu, Learner& learner, bool throughTitle) {
        clock.onFrame = [&learner](const VideoMemory& memory) { learner.onFrame(memory); };
        if (throughTitle) {
            setUpTitleScreen(test.video());
            clock.keyDown(clock.framesComposed + 64, SDLK_SPACE, SDL_SCANCODE_SPACE);
            runTitleScreen(test.video());
        }
        setUpLessonMenu(test.video(), menu);
        const uint64_t afterFadeIn = clock.framesComposed + 64;
        for (int i = 0; i < learner.plan.menuDownPresses; ++i) {
            clock.keyDown(afterFadeIn, SDLK_DOWN, SDL_SCANCODE_DOWN);
        }
        clock.keyDown(afterFadeIn, SDLK_RETURN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(runLessonMenu(menu), 1);
        clock.onFrame = nullptr;
    }

    std::string bestTimesFile() const { return data.file(BestTimesFileName); }
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

TEST_F(JourneyTest, LessonOneFromTitleToBestTimeAndBackAfterARestart) {
    LessonMenu menu{};
    LearnerPlan plan;
    plan.wrongKeyEvery = 40;
    plan.capsLockDetour = true;
    Learner learner(clock, plan);
    playJourney(menu, learner, true);

    ASSERT_EQ(learner.phase, LearnerPhase::BackInMenu);
    EXPECT_GT(learner.errorsMade, 5);
    EXPECT_EQ(shownErrors(learner.resultsText), learner.errorsMade) << learner.resultsText;
    const int seconds = shownSeconds(learner.resultsText);
    EXPECT_GT(seconds, 0);
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    // The menu shows the new time on the selected row.
    char shown[32];
    std::snprintf(shown, sizeof shown, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    EXPECT_EQ(menuText(test.memory(), 8, 9, 24), shown);
    // The file holds the time for lesson 1 and nine empty records.
    std::vector<uint8_t> expected(40, 0);
    const uint32_t record = 0x80000000u | uint32_t(seconds);
    for (int i = 0; i < 4; ++i) expected[size_t(i)] = uint8_t(record >> (8 * i));
    EXPECT_EQ(fileBytes(bestTimesFile()), expected);

    // A slower second run records nothing: the file is not even written. (Extra bytes after
    // the records would go at the next save.)
    {
        std::ofstream extra(bestTimesFile(), std::ios::binary | std::ios::app);
        extra << "more";
    }
    LearnerPlan slow = plan;
    slow.framesPerCharacter = 2;
    Learner slower(clock, slow);
    playJourney(menu, slower, false);
    EXPECT_GT(shownSeconds(slower.resultsText), seconds);
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    EXPECT_EQ(fileBytes(bestTimesFile()).size(), 44u);

    // A restart reads the time back.
    saveBestTimes(menu);
    LessonMenu restarted{};
    setUpLessonMenu(test.video(), restarted);
    EXPECT_EQ(restarted.entries[0].bestTime, seconds);
    EXPECT_EQ(menuText(test.memory(), 8, 9, 24), shown);
}

TEST_F(JourneyTest, ShiftHeavyAndCodeLessonsCanBeCompleted) {
    struct Case {
        int lesson;
        int charactersPerFrame;
    };
    for (Case c : {Case{7, 1}, Case{9, 3}, Case{10, 2}}) {
        LessonMenu menu{};
        LearnerPlan plan;
        plan.menuDownPresses = c.lesson - 1;
        plan.wrongKeyEvery = 25;
        plan.charactersPerFrame = c.charactersPerFrame;
        Learner learner(clock, plan);
        playJourney(menu, learner, false);
        ASSERT_EQ(learner.phase, LearnerPhase::BackInMenu) << "lesson " << c.lesson;
        EXPECT_EQ(shownErrors(learner.resultsText), learner.errorsMade) << "lesson " << c.lesson;
        EXPECT_EQ(menu.entries[size_t(c.lesson - 1)].bestTime, shownSeconds(learner.resultsText));
    }
}

}  // namespace

namespace {

// Escape and window close in every phase of a lesson: the lesson is abandoned (result 0,
// nothing written) or the program ends, and Escape on the results screen does nothing.
TEST_F(JourneyTest, EscapeAndWindowCloseInEveryPhase) {
    struct Case {
        LearnerPhase phase;
        bool close;
        bool programEnds;
        bool timeRecorded;
    };
    const Case cases[] = {
        {LearnerPhase::Lesson, false, false, false},   {LearnerPhase::Lesson, true, true, false},
        {LearnerPhase::Exercise, false, false, false}, {LearnerPhase::Exercise, true, false, false},
        {LearnerPhase::Results, false, false, true},   {LearnerPhase::Results, true, false, false},
    };
    for (const Case& c : cases) {
        std::remove(bestTimesFile().c_str());
        LearnerPlan plan;
        plan.interrupts = true;
        plan.interruptIn = c.phase;
        plan.interruptWithClose = c.close;
        plan.charactersPerFrame = 4;
        auto play = [&]() {
            LessonMenu menu{};
            Learner learner(clock, plan);
            playJourney(menu, learner, false);
            // Only reached when the program goes on in the menu.
            EXPECT_EQ(learner.phase, LearnerPhase::BackInMenu);
            EXPECT_EQ(menu.entries[0].bestTime > 0, c.timeRecorded);
        };
        const std::string label =
            std::string(c.close ? "close" : "escape") + " in phase " + std::to_string(int(c.phase));
        if (c.programEnds) {
            EXPECT_EXIT(play(), ::testing::ExitedWithCode(0), "") << label;
        } else {
            play();
        }
        EXPECT_EQ(fileBytes(bestTimesFile()).empty(), !c.timeRecorded) << label;
    }
}

}  // namespace
