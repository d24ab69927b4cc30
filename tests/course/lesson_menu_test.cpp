// The lesson menu: its rows and times, the 16-frame slides, and the ends of the list.
#include "course/lesson_menu.h"
#include "course/title_screen.h"
#include "tests/support/learner.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class LessonMenuTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    LessonMenu menu{};
    std::vector<int> listScroll;  // layer 1's vertical scroll in every composed frame

    void SetUp() override {
        installVirtualHost(clock);
        test.composeNarrowFrames();
        clock.onFrame = [this](const VideoMemory& memory) {
            listScroll.push_back(layerScrollYOf(memory.layers[1]));
        };
    }
    void TearDown() override { restoreHost(); }
};

TEST_F(LessonMenuTest, RowsShowTitlesAndBestTimesFromTheFirstRowToTheLast) {
    setUpLessonMenu(test.video(), menu);
    menu.entries[1].bestTime = 75;
    menu.entries[2].bestTime = 3600;
    drawLessonMenu(menu);
    const VideoMemory& memory = test.memory();
    EXPECT_EQ(readMenuText(memory, 0, 4, 64), "");  // nothing above the first row
    EXPECT_EQ(readMenuText(memory, 4, 8, 40), "Lesson 1: Home Row Left");
    EXPECT_EQ(readMenuText(memory, 8, 9, 20), "Best Time: --:--");
    EXPECT_EQ(readMenuText(memory, 8, 13, 20), "Best Time: 1:15");
    EXPECT_EQ(readMenuText(memory, 8, 17, 20), "Best Time: 60:00");
    // The selected row is drawn in group 0 on the bar, the others in group 1.
    EXPECT_EQ(cellGroupOf(memory.maps[size_t(mapIndex(1, 4, 8))]), 0);
    EXPECT_EQ(cellGroupOf(memory.maps[size_t(mapIndex(1, 4, 12))]), 1);

    // On the last row, Down does nothing and nothing follows the row.
    menu.selectedIndex = 9;
    drawLessonMenu(menu);
    EXPECT_EQ(readMenuText(memory, 4, 8, 40), "Lesson 10: Code Punctuation");
    EXPECT_EQ(readMenuText(memory, 4, 12, 40), "");
    clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(66, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(runLessonMenu(menu), 1);
    EXPECT_EQ(menu.selectedIndex, 9);
    EXPECT_EQ(listScroll.size(), 64u + 3u + 64u);  // fade-in, idle frames, fade-out
}

TEST_F(LessonMenuTest, ArrowsSlideOneRowInSixteenFramesAndUpStopsAtTheFirstRow) {
    setUpLessonMenu(test.video(), menu);
    clock.keyDown(64, SDLK_UP, SDL_SCANCODE_UP);
    for (int i = 0; i < 3; ++i) clock.keyDown(70, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(130, SDLK_UP, SDL_SCANCODE_UP);
    clock.keyDown(160, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(runLessonMenu(menu), 1);
    EXPECT_EQ(menu.selectedIndex, 2);
    EXPECT_EQ(listScroll[64], 32);  // the Up on the first row changed nothing
    for (int slide = 0; slide < 3; ++slide)
        for (int k = 0; k < 16; ++k) EXPECT_EQ(listScroll[size_t(70 + slide * 16 + k)], 2 * k);
    EXPECT_EQ(listScroll[70 + 48], 32);  // at rest again
    for (int k = 0; k < 16; ++k) EXPECT_EQ(listScroll[size_t(130 + k)], 64 - 2 * k);
    EXPECT_EQ(readMenuText(test.memory(), 4, 8, 40), "Lesson 3: Home Row Right");
}

// A key ends the title with one more frame whose count has jumped by 127 on top of its step,
// so the backdrop, which scrolls by the count, moves 128 pixels (modulo its period) at once.
TEST_F(LessonMenuTest, TitleAfterAKeyCountsOnBy128) {
    std::vector<int> backdrop;
    clock.onFrame = [&backdrop](const VideoMemory& memory) {
        backdrop.push_back(layerScrollXOf(memory.layers[3]));
    };
    clock.keyDown(100, SDLK_a, SDL_SCANCODE_A);
    setUpTitleScreen(test.video());
    runTitleScreen(test.video());
    ASSERT_EQ(backdrop.size(), 64u + 37u + 64u);  // fade-in, 36 frames and the last, fade-out
    EXPECT_EQ(backdrop[99], 36);
    EXPECT_EQ(backdrop[100], (36 + 128) % 48);
    EXPECT_EQ(backdrop.back(), backdrop[100]);
}

}  // namespace
