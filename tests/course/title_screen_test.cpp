#include "course/title_screen.h"
#include "engine/display.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// What one composed title frame showed, read from its registers.
struct TitleFrame {
    int logoAmount;
    int backdropOffset;
    bool promptShown;
    uint32_t backdropColour;  // palette entry 48 as composed: tells fades apart
};

class TitleScreenTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    std::vector<TitleFrame> frames;

    void SetUp() override {
        installVirtualHost(clock);
        test.composeNarrowFrames();
        test.memory().palette.fill(0x00FFFFFF);
        test.memory().sheet.fill(0);
        clock.onFrame = [this](const VideoMemory& memory) {
            frames.push_back({layerBlendAmount(memory.layers[0]), layerScrollX(memory.layers[3]),
                              layerEnabled(memory.layers[1]), memory.palette[48]});
        };
        setUpTitleScreen(test.video());
    }
    void TearDown() override { restoreHost(); }
};

TEST_F(TitleScreenTest, LogoBlendsInBackdropScrollsPromptBlinks) {
    clock.keyDown(64 + 200, SDLK_a, SDL_SCANCODE_A);
    runTitleScreen(test.video());
    // Frame 64 + n - 1 is loop frame n (the 64 fade-in frames come first).
    for (int n = 1; n <= 200; ++n) {
        const TitleFrame& loop = frames[size_t(63 + n)];
        EXPECT_EQ(loop.logoAmount, std::min(n, 127)) << n;  // blends in over 127 frames
        EXPECT_EQ(loop.backdropOffset, n % 48) << n;        // seamless every 48 pixels
        EXPECT_EQ(loop.promptShown, (n & 32) != 0) << n;
        EXPECT_EQ(loop.backdropColour, 0x00FFFFFFu) << n;
    }
}

TEST_F(TitleScreenTest, KeyGivesOneMoreFrameAtFullAmountThenFadesOut) {
    clock.keyDown(64, SDLK_a, SDL_SCANCODE_A);  // read by the first poll of the loop
    runTitleScreen(test.video());
    ASSERT_EQ(frames.size(), 64u + 1u + 64u);
    const TitleFrame& last = frames[64];
    EXPECT_EQ(last.logoAmount, 127);  // n = 128
    EXPECT_FALSE(last.promptShown);   // bit 5 of 128 is clear
    EXPECT_EQ(last.backdropOffset, 32);
    EXPECT_EQ(last.backdropColour, 0x00FFFFFFu);
    EXPECT_EQ(frames.back().backdropColour, 0u);  // faded to black
    EXPECT_EQ(test.memory().palette[48], 0x00FFFFFFu);
}

TEST_F(TitleScreenTest, EveryKeyInABatchCountsAndKeyUpsDoNothing) {
    clock.keyUp(70, SDLK_a, SDL_SCANCODE_A);
    clock.keyDown(80, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    clock.keyDown(80, SDLK_b, SDL_SCANCODE_B);
    runTitleScreen(test.video());
    // Loop frames 1 to 16 were drawn before the keys; the last one has n = 16 + 1 + 254.
    ASSERT_EQ(frames.size(), 64u + 17u + 64u);
    EXPECT_EQ(frames[64 + 16].backdropOffset, (16 + 255) % 48);
}

TEST_F(TitleScreenTest, EscapeAndWindowCloseEndTheProgramAtOnce) {
    auto runWith = [this](bool escape) {
        clock.onFrame = [](const VideoMemory&) {
            static int count = 0;
            std::fprintf(stderr, "frame %d\n", ++count);
        };
        if (escape) {
            clock.keyDown(70, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        } else {
            clock.quit(70);
        }
        runTitleScreen(test.video());
    };
    // No fade: the last frame shown is the one before the request was read.
    EXPECT_EXIT(runWith(true), ::testing::ExitedWithCode(0), "frame 70\n$");
    EXPECT_EXIT(runWith(false), ::testing::ExitedWithCode(0), "frame 70\n$");
}

}  // namespace
