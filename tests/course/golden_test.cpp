// Golden frames: whole screens at chosen moments of scripted journeys, compared pixel for
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

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

bool updating() {
    const char* value = std::getenv("QUENMORE_UPDATE_GOLDENS");
    return value != nullptr && value[0] == '1';
}

// Compares a composed frame with tests/golden/NAME.png, or writes it when updating.
void expectGolden(const std::string& name, const std::vector<uint32_t>& frame) {
    const std::string path = std::string(QUENMORE_SOURCE_DIR "/tests/golden/") + name + ".png";
    if (updating()) {
        ASSERT_TRUE(writePng(path.c_str(), frame.data(), ScreenWidth, ScreenHeight)) << path;
        return;
    }
    std::vector<uint32_t> golden;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(readPng(path.c_str(), golden, width, height)) << path;
    ASSERT_EQ(width, ScreenWidth);
    ASSERT_EQ(height, ScreenHeight);
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

// Remembers the first frame for which `when` holds.
struct Capture {
    std::string name;
    std::function<bool(const VideoMemory&)> when;
    std::vector<uint32_t> frame;
};

void captureFrames(const VideoMemory& memory, std::vector<Capture>& captures) {
    for (Capture& capture : captures) {
        if (capture.frame.empty() && capture.when(memory)) {
            capture.frame.assign(memory.pixels, memory.pixels + ScreenWidth * ScreenHeight);
        }
    }
}

class GoldenTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    TempFolder data{"quenmore-golden"};

    void SetUp() override {
        installVirtualHost(clock);
        clock.dataFolder = data.path.string();
        ASSERT_TRUE(
            loadCharacterSheet(test.memory().sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr"));
        convertCharacterSheet(test.memory().sheet);
        ASSERT_TRUE(loadPalette(test.memory().palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal"));
    }
    void TearDown() override { restoreHost(); }
};

bool keyFacePressed(const VideoMemory& memory, int column, int row) {
    return cellTile(memory.maps[size_t(mapIndex(2, column, row))]) == 3;
}

TEST_F(GoldenTest, TitleMenuIntroAndResults) {
    // A stored time shows in the menu.
    LessonMenu stored{};
    buildMenuRows(stored);
    stored.entries[1].bestTime = 75;
    saveBestTimes(stored);

    setUpTitleScreen(test.video());
    // Title: the logo has blended in and the prompt is on (loop frame 224, after the 64
    // frames of the fade-in).
    std::vector<uint32_t> title;
    clock.onFrame = [&](const VideoMemory& memory) {
        if (clock.framesComposed == 64 + 224) title.assign(memory.pixels, memory.pixels + 57600);
    };
    clock.keyDown(64 + 224, SDLK_SPACE, SDL_SCANCODE_SPACE);
    runTitleScreen(test.video());
    expectGolden("title", title);

    LessonMenu menu{};
    LearnerPlan plan;
    plan.wrongKeyEvery = 30;
    Learner learner(clock, plan);
    const uint64_t menuStart = clock.framesComposed;
    std::vector<Capture> captures = {
        {"menu",
         [&](const VideoMemory&) { return clock.framesComposed == menuStart + 64 + 20; },
         {}},
        {"intro",
         [&](const VideoMemory& memory) {
             return readLessonText(memory, 2, 19) == "the letter \"d.\"";
         },
         {}},
        {"results",
         [&](const VideoMemory& memory) { return readResultsText(memory, 8, 18, 5) == "Press"; },
         {}},
    };
    clock.onFrame = [&](const VideoMemory& memory) {
        captureFrames(memory, captures);
        if (clock.framesComposed > menuStart + 64 + 20) learner.onFrame(memory);
    };
    setUpLessonMenu(test.video(), menu);
    clock.keyDown(menuStart + 64 + 21, SDLK_RETURN, SDL_SCANCODE_RETURN);
    runLessonMenu(menu);
    for (const Capture& capture : captures) {
        ASSERT_FALSE(capture.frame.empty()) << capture.name << " never appeared";
        expectGolden(capture.name, capture.frame);
    }
}

TEST_F(GoldenTest, ExerciseWithShiftHeld) {
    LessonMenu menu{};
    LearnerPlan plan;
    plan.menuDownPresses = 6;  // lesson 7: names and capitals
    Learner learner(clock, plan);
    std::vector<Capture> captures = {
        {"exercise-shift",
         [&](const VideoMemory& memory) {
             return learner.phase == LearnerPhase::Exercise && learner.charactersTyped >= 4 &&
                    keyFacePressed(memory, 0, 6);
         },
         {}},
    };
    clock.onFrame = [&](const VideoMemory& memory) {
        captureFrames(memory, captures);
        learner.onFrame(memory);
    };
    setUpLessonMenu(test.video(), menu);
    for (int i = 0; i < 6; ++i) clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(64, SDLK_RETURN, SDL_SCANCODE_RETURN);
    runLessonMenu(menu);
    ASSERT_FALSE(captures[0].frame.empty());
    expectGolden("exercise-shift", captures[0].frame);
}

}  // namespace
