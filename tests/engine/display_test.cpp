#include "engine/display.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

namespace {

TEST(Letterbox, PictureKeepsItsShapeCentredWithBars) {
    // Window width and height, then the picture's x, y, width and height.
    const int cases[][6] = {
        {1920, 1080, 0, 0, 1920, 1080},
        {1280, 1024, 0, 152, 1280, 720},
        {2560, 1080, 320, 0, 1920, 1080},
        {1366, 768, 0, 0, 1365, 768},
        {1000, 1001, 0, 219, 1000, 562},
        {320, 180, 0, 0, 320, 180},
        {0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const DisplayRect r = letterboxRect(c[0], c[1], 320, 180);
        EXPECT_EQ((std::vector<int>{r.x, r.y, r.w, r.h}), std::vector<int>(c + 2, c + 6))
            << c[0] << "x" << c[1];
    }
}

TEST(FramePeriod, CounterFrequencyDividedBySixty) {
    EXPECT_EQ(framePeriod(10000000), 166666u);
    EXPECT_EQ(framePeriod(3579545), 59659u);
    EXPECT_EQ(framePeriod(1000000000), 16666666u);
    EXPECT_EQ(framePeriod(59), 1u);  // never zero, so a frame tick is always defined
}

class FrameTickTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    void SetUp() override { installVirtualHost(clock); }
    void TearDown() override { restoreHost(); }
};

TEST_F(FrameTickTest, WaitEndsAtTheFirstTickBoundaryAfterSleepingAtLeastOnceOnAFixedGrid) {
    // 1000 ticks per frame, 60 ticks per millisecond.
    clock.counter = 10;
    waitForFrameTick(test.video());
    EXPECT_EQ(clock.counter, 1030u);  // 17 sleeps of 60 ticks cross 1000
    EXPECT_EQ(clock.sleeps, 17u);
    // Just before a boundary, one sleep is enough.
    clock.counter = 1990;
    clock.sleeps = 0;
    waitForFrameTick(test.video());
    EXPECT_EQ(clock.sleeps, 1u);
    // On a boundary it still waits for the next one.
    clock.counter = 3000;
    waitForFrameTick(test.video());
    EXPECT_EQ(clock.counter / 1000, 4u);
    // A frame whose work takes longer than one period waits for the next boundary; the
    // pace does not drift.
    clock.counter = 0;
    for (int frame = 0; frame < 5; ++frame) {
        clock.counter += frame == 2 ? 1500 : 100;  // frame 2 is slow
        waitForFrameTick(test.video());
    }
    EXPECT_EQ(clock.counter / 1000, 6u);
    EXPECT_LT(clock.counter % 1000, 60u);
}

TEST_F(FrameTickTest, ShowFrameComposesThenWaitsEvenWithoutAFramebufferOrWindow) {
    int frames = 0;
    clock.onFrame = [&](const VideoMemory& memory) {
        ++frames;
        EXPECT_EQ(memory.composing, 0);
    };
    showFrame(test.video());
    EXPECT_EQ(frames, 1);
    EXPECT_GE(clock.sleeps, 1u);
    releaseFramebuffer(test.memory());
    showFrame(test.video());  // nothing to compose or upload, but still a frame
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(clock.counter / 1000, 2u);
}

// The software renderer of SDL's dummy video driver stands in for the real window.
class SoftwareDisplayTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    SDL_Window* window = nullptr;
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("test", 0, 0, 640, 360, 0);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        installVirtualHost(clock);
    }
    void TearDown() override {
        restoreHost();
        if (window != nullptr) SDL_DestroyWindow(window);
        SDL_Quit();
    }
};

TEST_F(SoftwareDisplayTest, CreationNeedsAWindowAndReplacesAnEarlierOutput) {
    DisplayOutput display{};
    EXPECT_FALSE(createDisplayOutput(display, nullptr));
    EXPECT_EQ(display.renderer, nullptr);
    EXPECT_EQ(display.width, 0);
    // The dummy driver offers no accelerated renderer: creation reports the failure.
    EXPECT_FALSE(createDisplayOutput(display, window));
    EXPECT_EQ(display.window, window);
    EXPECT_EQ(display.texture, nullptr);
    // An incomplete output is never drawn with: no crash, no division by zero.
    VideoState& video = test.video();
    video.display = display;
    uploadFrame(video);
    presentFrame(video.display);
}

TEST_F(SoftwareDisplayTest, FramebufferReachesTheWindowScaledWithItsShape) {
    VideoState& video = test.video();
    video.display.window = window;
    video.display.renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    ASSERT_NE(video.display.renderer, nullptr) << SDL_GetError();
    video.display.texture = SDL_CreateTexture(video.display.renderer, SDL_PIXELFORMAT_ARGB8888,
                                              SDL_TEXTUREACCESS_STREAMING, 320, 180);
    ASSERT_NE(video.display.texture, nullptr);
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x)
            video.memory.pixels[y * 320 + x] = uint32_t(x & 0xFF) << 16 | uint32_t(y) << 8 | 0x5A;
    uploadFrame(video);
    presentFrame(video.display);
    // 640x360 is exactly twice the picture: every framebuffer pixel becomes a 2x2 block.
    std::vector<uint32_t> shown(640 * 360);
    ASSERT_EQ(SDL_RenderReadPixels(video.display.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                   shown.data(), 640 * 4),
              0);
    for (int y : {0, 1, 100, 359})
        for (int x : {0, 1, 333, 639})
            EXPECT_EQ(shown[size_t(y * 640 + x)] & 0xFFFFFF,
                      video.memory.pixels[(y / 2) * 320 + x / 2])
                << x << "," << y;
    SDL_DestroyTexture(video.display.texture);
    SDL_DestroyRenderer(video.display.renderer);
}

}  // namespace
