#include "course/lesson_menu.h"
#include "tests/support/learner.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LessonMenuTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    LessonMenu menu{};
    std::vector<LayerWord> listScroll;  // layer 1 word of every composed frame

    void SetUp() override {
        installVirtualHost(clock);
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) {
            listScroll.push_back(memory.layers[1]);
        };
    }
    void TearDown() override { restoreHost(); }
};

TEST_F(LessonMenuTest, RowsShowTitlesAndBestTimesAroundTheSelection) {
    setUpLessonMenu(test.video(), menu);
    menu.entries[1].bestTime = 75;
    menu.entries[2].bestTime = 3600;
    menu.entries[3].bestTime = 0;
    drawLessonMenu(menu);
    const VideoMemory& memory = test.memory();
    // Slots 0 and 1 (above the first row) stay blank; slot 2 is the selected row.
    EXPECT_EQ(readMenuText(memory, 0, 0, 64), "");
    EXPECT_EQ(readMenuText(memory, 0, 4, 64), "");
    EXPECT_EQ(readMenuText(memory, 4, 8, 40), "Lesson 1: Home Row Left");
    EXPECT_EQ(readMenuText(memory, 8, 9, 20), "Best Time: --:--");
    EXPECT_EQ(readMenuText(memory, 8, 13, 20), "Best Time: 1:15");
    EXPECT_EQ(readMenuText(memory, 8, 17, 20), "Best Time: 60:00");
    EXPECT_EQ(readMenuText(memory, 8, 21, 20), "Best Time: 0:00");
    // The selected row is drawn in group 0 on the bar, the others in group 1.
    EXPECT_EQ(cellGroup(memory.maps[size_t(mapIndex(1, 4, 8))]), 0);
    EXPECT_EQ(cellGroup(memory.maps[size_t(mapIndex(1, 4, 12))]), 1);

    menu.selectedIndex = 9;
    drawLessonMenu(menu);
    EXPECT_EQ(readMenuText(memory, 4, 8, 40), "Lesson 10: Code Punctuation");
    EXPECT_EQ(readMenuText(memory, 4, 12, 40), "");  // nothing after the last row
}

TEST_F(LessonMenuTest, ArrowsSlideOneRowInSixteenFramesAndStopAtTheEnds) {
    setUpLessonMenu(test.video(), menu);
    // Up on the first row does nothing; three Downs give three slides; Up one slide back.
    clock.keyDown(64, SDLK_UP, SDL_SCANCODE_UP);
    clock.keyDown(70, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(70, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(70, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(130, SDLK_UP, SDL_SCANCODE_UP);
    clock.keyDown(160, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(runLessonMenu(menu), 1);
    EXPECT_EQ(menu.selectedIndex, 2);
    // Frames: 64 fade-in, idle frames up to 70, then 3 x 16 slide frames.
    std::vector<int> scrolls;
    for (LayerWord word : listScroll) scrolls.push_back(layerScrollY(word));
    EXPECT_EQ(scrolls[64], 32);  // the Up on row 0 changed nothing
    for (int slide = 0; slide < 3; ++slide) {
        for (int k = 0; k < 16; ++k) EXPECT_EQ(scrolls[size_t(70 + slide * 16 + k)], 2 * k);
    }
    EXPECT_EQ(scrolls[70 + 48], 32);                                               // at rest again
    for (int k = 0; k < 16; ++k) EXPECT_EQ(scrolls[size_t(130 + k)], 64 - 2 * k);  // Up
    EXPECT_EQ(readMenuText(test.memory(), 4, 8, 40), "Lesson 3: Home Row Right");
}

TEST_F(LessonMenuTest, DownOnTheLastRowAndEnterOnARowWithoutALessonDoNothing) {
    setUpLessonMenu(test.video(), menu);
    menu.selectedIndex = 9;
    menu.entries[9].lesson = nullptr;
    drawLessonMenu(menu);
    clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(65, SDLK_RETURN, SDL_SCANCODE_RETURN);
    clock.keyDown(66, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(menu.selectedIndex, 9);
    EXPECT_EQ(listScroll.size(), 64u + 3u + 64u);  // idle frames only, then the fade
}

TEST_F(LessonMenuTest, EscapeFadesOutButKeysQueuedBehindItStillCount) {
    setUpLessonMenu(test.video(), menu);
    clock.keyDown(64, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    EXPECT_EQ(runLessonMenu(menu), 1);
    EXPECT_EQ(menu.selectedIndex, 1);
    EXPECT_EQ(listScroll.size(), 64u + 16u + 1u + 64u);
    EXPECT_EQ(test.memory().layers[2], 0x80000000u);  // left behind by the fade-out
}

TEST_F(LessonMenuTest, WindowCloseEndsTheProgramAtOnce) {
    setUpLessonMenu(test.video(), menu);
    clock.quit(80);
    EXPECT_EXIT(runLessonMenu(menu), ::testing::ExitedWithCode(0), "");
}

}  // namespace
