#include "course/screens/title_screen.h"
#include "engine/display.h"
#include "engine/fades.h"
#include "tests/support/hosted_test.h"

#include <regex>
#include <string>
#include <vector>

namespace {

TEST(Letterbox, PictureKeepsItsShapeCentredWithBarsAndIsFirstScaledByAWholeFactor) {
    struct Case {
        int windowWidth, windowHeight, x, y, width, height;  // the window; the picture in it
        int wholeFactor;  // the picture is first scaled by this, then to its size
    };
    const Case cases[] = {
        {1920, 1080, 0, 0, 1920, 1080, 6},   {1280, 1024, 0, 152, 1280, 720, 4},
        {2560, 1080, 320, 0, 1920, 1080, 6}, {1366, 768, 0, 0, 1365, 768, 4},
        {1000, 1001, 0, 219, 1000, 562, 3},  {2560, 1600, 0, 80, 2560, 1440, 8},
        {200, 100, 11, 0, 177, 100, 1},      {0, 0, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const DisplayRect r = letterboxRect(c.windowWidth, c.windowHeight, 320, 180);
        EXPECT_EQ((std::vector<int>{r.x, r.y, r.w, r.h, wholeScale(r, 320, 180)}),
                  (std::vector<int>{c.x, c.y, c.width, c.height, c.wholeFactor}))
            << c.windowWidth << "x" << c.windowHeight;
    }
}

using VirtualClock = HostedTest;  // 1000 ticks per frame, 60 ticks per 1 ms sleep

TEST_F(VirtualClock, FramesStartOnAFixedGridOfCounterFrequencyOverSixtyTicks) {
    EXPECT_EQ(framePeriod(10000000), 166666u);
    EXPECT_EQ(framePeriod(59), 1u);  // never zero
    clock.counter = 10;
    waitForFrameTick(test.video());
    EXPECT_TRUE(clock.counter == 1030u && clock.sleeps == 17u);  // 17 sleeps of 60 cross 1000
    clock.counter = 3000;  // on a boundary it still waits for the next one
    waitForFrameTick(test.video());
    EXPECT_EQ(clock.counter / 1000, 4u);
    // A frame longer than one period waits for the next boundary: no drift.
    clock.counter = 0;
    for (int frame = 0; frame < 5; ++frame) {
        clock.counter += frame == 2 ? 1500 : 100;
        waitForFrameTick(test.video());
    }
    EXPECT_EQ(clock.counter / 1000, 6u);
    EXPECT_LT(clock.counter % 1000, 60u);
}

// What the program does, step by step, with the frame tick each step happens in.
struct StepTrace {
    Host clock;         // the virtual host's own functions
    std::string steps;  // C composed, P presented, S slept, E events read
    std::vector<uint64_t> ticks;
};
StepTrace trace;

void noteStep(char step) {
    trace.steps += step;
    trace.ticks.push_back(trace.clock.performanceCounter() / 1000);
}

// The title screen, fades included: every frame is presented in the tick it was composed in,
// and only then does the program sleep; the next frame's events are read right after the tick.
TEST_F(VirtualClock, AFrameIsPresentedBeforeTheWaitAndTheNextEventsAreReadAfterTheTick) {
    trace = {host, "", {}};
    host.pollEvent = [](SDL_Event* event) {
        noteStep('E');
        return trace.clock.pollEvent(event);
    };
    host.sleepMilliseconds = [](uint32_t milliseconds) {
        trace.clock.sleepMilliseconds(milliseconds);
        noteStep('S');
    };
    host.frameComposed = [](const VideoMemory& memory, void* context) {
        trace.clock.frameComposed(memory, context);
        noteStep('C');
    };
    host.framePresented = [] { noteStep('P'); };
    clock.keyDown(100, SDLK_SPACE, SDL_SCANCODE_SPACE);
    setUpTitleScreen(test.video());
    runTitleScreen(test.video());

    std::string frames;  // runs of sleeps and of event reads as one step each
    for (size_t i = 0; i < trace.steps.size(); ++i)
        if (i == 0 || trace.steps[i] != trace.steps[i - 1] || trace.steps[i] == 'C')
            frames += trace.steps[i];
    EXPECT_TRUE(std::regex_match(frames, std::regex("(E?CPS)+"))) << frames;
    EXPECT_EQ(clock.framesComposed, 101u + 64u);  // fade-in and title, then fade-out
    for (size_t i = 1; i < trace.steps.size(); ++i) {
        if (trace.steps[i] != 'P') continue;
        EXPECT_EQ(trace.ticks[i], trace.ticks[i - 1]) << "step " << i;
        const size_t next = trace.steps.find_first_not_of('S', i + 1);
        EXPECT_TRUE(next == std::string::npos || trace.ticks[next] == trace.ticks[i] + 1) << next;
    }
}

TEST_F(VirtualClock, FadesOutThenInGoThroughBlackInSixtyFourFramesEachAndRestoreThePalette) {
    test.memory().palette = {0, 0x00FFFFFF, 0x00400000, 0xFF102030};
    std::vector<uint32_t> shown[3];  // palette entries 1, 2 and 3 of every frame
    std::vector<uint32_t> layerWords;
    clock.onFrame = [&](const VideoMemory& memory) {
        for (int i = 0; i < 3; ++i) shown[i].push_back(memory.palette[size_t(i + 1)]);
        layerWords.push_back(memory.layers[2]);
    };
    fadeOut(test.video());
    EXPECT_EQ(test.memory().layers[2], 0x80000000u);
    EXPECT_EQ(test.memory().palette[1], 0x00FFFFFFu);
    fadeIn(test.video());
    ASSERT_EQ(shown[0].size(), 128u);
    EXPECT_EQ((std::vector<uint32_t>{shown[0][0], shown[0][63], shown[0][64], shown[0][65],
                                     shown[0][127]}),
              (std::vector<uint32_t>{0x00FBFBFB, 0, 0, 0x00030303, 0x00FBFBFB}));
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(shown[1][64 + k], k << 16) << k;  // red 64 scales to exactly k
        EXPECT_EQ(shown[2][64 + k] >> 24, 0u);      // top byte cleared while fading
        EXPECT_EQ(layerWords[64 + k], 0x80000000u | (k & 1));
    }
    EXPECT_EQ(test.memory().palette[3], 0xFF102030u);  // restored with its top byte
    EXPECT_EQ(test.memory().layers[2], 0x80000001u);
    EXPECT_EQ(clock.counter / 1000, 128u);
}

// SDL's dummy video driver gives a window but no accelerated renderer: the output is not made
// (and the program stops, saying why), and what was half made is never drawn with.
TEST(DisplayOutput, CreationFailsWithoutAWindowOrRendererAndTheHalfMadeOutputIsHarmless) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("test", 0, 0, 640, 360, 0);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    TestVideo test;
    DisplayOutput& display = test.video().display;
    EXPECT_FALSE(createDisplayOutput(display, nullptr));
    EXPECT_EQ(display.renderer, nullptr);
    EXPECT_FALSE(createDisplayOutput(display, window));
    EXPECT_EQ(display.window, window);
    EXPECT_EQ(display.texture, nullptr);
    uploadFrame(test.video());
    presentFrame(display);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

}  // namespace
