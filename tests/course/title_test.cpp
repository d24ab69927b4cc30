// The title screen: a key ends it after one more frame, drawn with the logo at its full
// amount.
#include "course/screens/title_screen.h"
#include "tests/support/hosted_test.h"

#include <vector>

namespace {

using TitleTest = HostedTest;

// A key ends the title with one more frame whose count has jumped by 127 on top of its step,
// so the backdrop, which scrolls by the count, moves 128 pixels (modulo its period) at once.
TEST_F(TitleTest, AfterAKeyItCountsOnBy128) {
    std::vector<int> backdrop;
    clock.onFrame = [&backdrop](const VideoMemory& memory) {
        backdrop.push_back(layerScrollXOf(memory.layers[3]));
    };
    clock.keyDown(100, SDLK_a, SDL_SCANCODE_A);
    setUpTitleScreen(test.video());
    test.composeNarrowFrames();
    EXPECT_EQ(runTitleScreen(test.video()), ScreenExit::Done);
    ASSERT_EQ(backdrop.size(), 64u + 37u + 64u);  // fade-in, 36 frames and the last, fade-out
    EXPECT_EQ(backdrop[99], 36);
    EXPECT_EQ(backdrop[100], (36 + 128) % 48);
    EXPECT_EQ(backdrop.back(), backdrop[100]);
}

}  // namespace
