// The lesson menu: its rows and times, the 16-frame slides, and the ends of the list.
#include "tests/support/hosted_test.h"

#include <vector>

namespace {

class LessonMenuTest : public HostedTest {
  protected:
    LessonMenu menu{};
    std::vector<int> listScroll;  // layer 1's vertical scroll in every composed frame

    void SetUp() override {
        HostedTest::SetUp();
        test.composeNarrowFrames();
        setUpLessonMenu(test.video(), menu);
        clock.onFrame = [this](const VideoMemory& memory) {
            listScroll.push_back(layerScrollYOf(memory.layers[1]));
        };
    }
};

// The golden menu frame shows the first rows; here, a time of an hour and the last row.
TEST_F(LessonMenuTest, RowsShowLongTimesAndNothingAfterTheLast) {
    menu.entries[2].bestTime = 3600;
    drawLessonMenu(menu);
    const VideoMemory& memory = test.memory();
    EXPECT_EQ(readText(memory, {64, 104, 20, MenuStyle}), "Best Time: 60:00");
    // The practice row follows lesson 10 and is the last: nothing follows, Down does nothing.
    menu.selectedIndex = 10;
    drawLessonMenu(menu);
    EXPECT_EQ(readText(memory, {32, 0, 35, MenuStyle}), "Lesson 10: Code Punctuation");
    EXPECT_EQ(readText(memory, MenuTitle), "Practice: Weak Keys");
    EXPECT_EQ(readText(memory, {32, 64, 35, MenuStyle}), "");
    clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(66, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(menu.selectedIndex, 10);
    EXPECT_EQ(listScroll.size(), 64u + 3u + 64u);  // fade-in, idle frames, fade-out
}

TEST_F(LessonMenuTest, ArrowsSlideOneRowInSixteenFramesAndUpStopsAtTheFirstRow) {
    clock.keyDown(64, SDLK_UP, SDL_SCANCODE_UP);
    for (int i = 0; i < 3; ++i) clock.keyDown(70, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(130, SDLK_UP, SDL_SCANCODE_UP);
    clock.keyDown(160, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(menu.selectedIndex, 2);
    EXPECT_EQ(listScroll[64], 32);  // the Up on the first row changed nothing
    for (int slide = 0; slide < 3; ++slide)
        for (int k = 0; k < 16; ++k) EXPECT_EQ(listScroll[size_t(70 + slide * 16 + k)], 2 * k);
    EXPECT_EQ(listScroll[70 + 48], 32);  // at rest again
    for (int k = 0; k < 16; ++k) EXPECT_EQ(listScroll[size_t(130 + k)], 64 - 2 * k);
    EXPECT_EQ(readText(test.memory(), MenuTitle), "Lesson 3: Home Row Right");
}

// Down held for a second: auto-repeats that arrive during a slide are dropped, so the bar
// keeps sliding while the key is held and stops when it is let go.
TEST_F(LessonMenuTest, AHeldArrowStopsSlidingWhenItIsLetGo) {
    clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    for (uint64_t frame = 94; frame <= 124; frame += 2)  // SDL's repeats, 30 a second
        clock.keyDown(frame, SDLK_DOWN, SDL_SCANCODE_DOWN, 0, true);
    clock.keyUp(124, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(200, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    EXPECT_EQ(menu.selectedIndex, 3);  // the press, then a slide at 94 and at 112
    for (size_t frame = 128; frame < 200; ++frame) EXPECT_EQ(listScroll[frame], 32) << frame;
}

}  // namespace
