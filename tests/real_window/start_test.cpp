// Starting the real program in a real X session: a full-screen window titled "Quenmore"
// without a pointer, and the title drawn pixel for pixel as the engine draws it headless,
// letterboxed into screens of several shapes. How soon the first frame comes is measured
// and printed here, but it is a speed figure: bench/frame_pacing measures it on a quiet
// machine, so that a busy one cannot fail this test.
#include "tests/real_window/polling.h"
#include "tests/real_window/real_window_test.h"
#include "tests/real_window/title_frames.h"
#include "tools/png_file.h"

#include <algorithm>
#include <chrono>
#include <iostream>

namespace {

struct ScreenShape {
    int width;
    int height;
    bool wholeScale;  // every picture pixel becomes a square of screen pixels
};

void PrintTo(const ScreenShape& shape, std::ostream* out) {
    *out << shape.width << "x" << shape.height;
}

class StartTest : public RealWindowTest, public ::testing::WithParamInterface<ScreenShape> {};

TEST(TitleFramesTest, TheGoldenTitleIsAmongTheFramesTheTitleCanShow) {
    const std::vector<Picture>& frames = titleFrames(SourceAssets);
    // 48 backdrop offsets, each with the prompt on and off.
    EXPECT_EQ(frames.size(), 96u);
    Picture golden;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(
        readPng(QUENMORE_SOURCE_DIR "/tests/golden/title.png", golden.pixels, width, height));
    ASSERT_EQ(width, ScreenWidth);
    ASSERT_EQ(height, ScreenHeight);
    EXPECT_NE(std::find(frames.begin(), frames.end(), golden), frames.end());
}

TEST_P(StartTest, AFullScreenWindowShowsTheTitleAsTheEngineDrawsIt) {
    const ScreenShape shape = GetParam();
    ASSERT_NO_FATAL_FAILURE(openScreen(shape.width, shape.height));
    const std::vector<Picture>& frames = titleFrames(SourceAssets);

    const auto launched = std::chrono::steady_clock::now();
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(waitToSee(session, [&](const Picture&) { return screenCovered(session.lastShot); }))
        << "the program never covered the screen";
    std::cout << "first frame after "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - launched).count()
              << " s\n";

    const WindowInfo window = findWindow(session.x, "Quenmore");
    ASSERT_NE(window.id, 0u) << "no window titled Quenmore";
    EXPECT_TRUE(window.viewable);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, shape.width);
    EXPECT_EQ(window.height, shape.height);
    EXPECT_TRUE(pollUntil([&] { return pointerHidden(session.x); }, 10));

    // Once the logo is in, every screenshot is one of the title's frames, scaled by nearest
    // pixel, with black bars where the screen is not 16:9.
    const bool titleShown = waitToSee(session, [&](const Picture& picture) {
        const auto frame = std::find(frames.begin(), frames.end(), picture);
        if (frame == frames.end()) return false;
        return shape.wholeScale ? showsExactly(session.lastShot, *frame)
                                : barsAreBlack(session.lastShot);
    });
    EXPECT_TRUE(titleShown) << "the screen never showed a title frame";

    // Escape on the title ends the program at once.
    ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
    EXPECT_EQ(exitStatusWithin(10), 0) << describeEnd(session.process);
}

INSTANTIATE_TEST_SUITE_P(Screens, StartTest,
                         ::testing::Values(ScreenShape{320, 180, true}, ScreenShape{640, 360, true},
                                           ScreenShape{800, 600, false}));

TEST(NoDisplayTest, TheProgramStopsWithAMessageInsteadOfRunningInvisibly) {
    TempFolder data{"quenmore-no-display"};
    ChildProcess program;
    SpawnOptions options;
    options.environment = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER",
                           "XDG_DATA_HOME=" + data.path.string()};
    options.outputPath = data.file("output.log");
    ASSERT_TRUE(spawnProcess(program, {QUENMORE_PROGRAM}, options));
    ASSERT_TRUE(waitForExit(program, 30)) << "the program kept running without a display";
    EXPECT_GT(exitCode(program), 0) << describeEnd(program);
    const std::string output = readOutput(program);
    EXPECT_NE(output.find("display"), std::string::npos) << output;
}

}  // namespace
