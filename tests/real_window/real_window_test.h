// The fixture of the real-window tests (native and under Wine): a private X session, a fresh
// folder and the program under test, with Caps Lock off before and after. A failing test
// leaves its last screenshot in the build folder and prints the program's output.
#pragma once

#include "course/title_screen.h"
#include "tests/real_window/learner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

constexpr const char* SourceAssets = QUENMORE_SOURCE_DIR "/assets";

// Every picture the title can show once its logo is in, as the engine draws it headless: the
// program runs on the real clock, so a screenshot may catch any. From frame 191 (fade-in 64,
// logo 127) the backdrop's 48 offsets and the prompt's 64-frame blink come round in 192.
inline const std::vector<Image>& titleFrames() {
    static const std::vector<Image> frames = [] {
        constexpr uint64_t First = 64 + 127, Period = 192;
        std::vector<Image> found;
        Art art;
        loadArt(SourceAssets, art);
        VirtualHost clock;
        TestVideo test;
        installVirtualHost(clock);
        test.memory().sheet = art.sheet;
        test.memory().palette = art.palette;
        test.composeNarrowFrames();  // until the first wanted frame: the state has no pixels
        clock.onFrame = [&](const VideoMemory& memory) {
            if (clock.framesComposed + 1 == First) test.memory().width = ScreenWidth;
            if (clock.framesComposed < First || clock.framesComposed >= First + Period) return;
            const Image picture{ScreenWidth,
                                ScreenHeight,
                                {memory.pixels, memory.pixels + ScreenWidth * ScreenHeight}};
            if (std::find(found.begin(), found.end(), picture) == found.end())
                found.push_back(picture);
        };
        clock.keyDown(First + Period, SDLK_SPACE, SDL_SCANCODE_SPACE);
        setUpTitleScreen(test.video());
        runTitleScreen(test.video());
        restoreHost();
        return found;
    }();
    return frames;
}

class RealWindowTest : public ::testing::Test {
  protected:
    TempFolder folder{"quenmore-real-window"};
    WindowSession session;
    std::chrono::steady_clock::time_point launched;

    void openScreen(const ProgramUnderTest& program, int width, int height) {
        std::string error;
        ASSERT_TRUE(openWindowSession(session, width, height, folder.path.string(), SourceAssets,
                                      program, error))
            << error;
        ASSERT_TRUE(setCapsLock(session.x, false));
    }

    void launch() {
        launched = std::chrono::steady_clock::now();
        ASSERT_TRUE(launchProgram(session)) << "cannot run " << session.program.command[0];
    }

    int exitStatusWithin(double seconds) {
        return waitForExit(session.process, seconds) ? exitCode(session.process) : -1;
    }

    // A viewable window titled "Quenmore" covers the whole screen, without a pointer, and
    // shows a title frame pixel for pixel; the golden title is one of those frames. The time
    // to the first frame is printed: bench/frame_pacing measures it on a quiet machine.
    void expectFullScreenTitle() {
        ASSERT_TRUE(waitToSee(
            session, [&](const Image&) { return screenCovered(session.lastShot); },
            session.program.startSeconds))
            << "the program never covered the screen";
        std::cout
            << "first frame after "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - launched).count()
            << " s\n";
        Image golden;
        ASSERT_TRUE(readPng(QUENMORE_SOURCE_DIR "/tests/golden/title.png", golden.pixels,
                            golden.width, golden.height));
        const std::vector<Image>& frames = titleFrames();
        EXPECT_EQ(frames.size(), 96u);  // 48 backdrop offsets, each with the prompt on and off
        EXPECT_NE(std::find(frames.begin(), frames.end(), golden), frames.end());
        EXPECT_TRUE(waitToSee(session, [&](const Image& picture) {
            return std::find(frames.begin(), frames.end(), picture) != frames.end() &&
                   showsExactly(session.lastShot, picture);
        })) << "the screen never showed a title frame exactly";
        const WindowInfo window = findWindow(session.x, "Quenmore");
        ASSERT_NE(window.id, 0u) << "no window titled Quenmore";
        EXPECT_TRUE(window.viewable);
        EXPECT_EQ(window.x, 0);
        EXPECT_EQ(window.y, 0);
        EXPECT_EQ(window.width, session.x.width);
        EXPECT_EQ(window.height, session.x.height);
        EXPECT_TRUE(pollUntil([&] { return pointerHidden(session.x); }, 10));
    }

    // Escape in the menu: the picture darkens, then the program ends with status 0.
    void escapeFromMenu() {
        const auto brightness = [](const Image& picture) {
            uint64_t sum = 0;
            for (uint32_t pixel : picture.pixels)
                sum += (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF);
            return sum;
        };
        const uint64_t lit = brightness(look(session));
        bool faded = false;
        ASSERT_TRUE(pressKeys(session.x, {"Escape"}));
        EXPECT_TRUE(pollUntil(
            [&] {
                const uint64_t level = brightness(look(session));
                faded =
                    faded || (screenCovered(session.lastShot) && level > 0 && level < lit * 9 / 10);
                return hasExited(session.process);
            },
            30));
        EXPECT_TRUE(faded) << "the menu did not fade out";
        EXPECT_EQ(exitCode(session.process), 0) << describeEnd(session.process);
    }

    // Types the exercise of lesson `number` with mistakes; the results count them, Enter
    // leads to the menu with the new best time, and the file holds ten little-endian records,
    // this lesson's with its time and the finished bit.
    void finishLesson(int number, std::string& bestTime) {
        int mistakes = 0, characters = 0;
        std::string problem;
        ASSERT_TRUE(typeExercise(session, mistakes, characters, problem)) << problem;
        const LessonResults results = readResults(session, look(session));
        ASSERT_TRUE(results.shown) << results.text;
        EXPECT_EQ(results.errors, mistakes) << results.text;
        ASSERT_GT(results.seconds, 0) << results.text;
        EXPECT_EQ(results.wordsPerMinute, 60 * characters / (5 * results.seconds)) << results.text;
        ASSERT_TRUE(pressKeys(session.x, {"Return"}));
        bestTime = bestTimeText(results.seconds);
        EXPECT_TRUE(waitForText(session, MenuBestTime, bestTime)) << "no " << bestTime;
        const Bytes bytes = readBytes(session.program.bestTimesFile);
        ASSERT_EQ(bytes.size(), 40u) << session.program.bestTimesFile;
        for (size_t row = 0; row < 10; ++row) {
            const uint32_t record = uint32_t(bytes[4 * row]) | uint32_t(bytes[4 * row + 1]) << 8 |
                                    uint32_t(bytes[4 * row + 2]) << 16 |
                                    uint32_t(bytes[4 * row + 3]) << 24;
            const bool finished = int(row) == number - 1;
            EXPECT_EQ(record, finished ? 0x80000000u | uint32_t(results.seconds) : 0u) << row;
        }
    }

    void TearDown() override {
        if (HasFailure()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            std::string name = std::string(test->test_suite_name()) + "." + test->name();
            std::replace(name.begin(), name.end(), '/', '_');
            std::error_code ignored;
            std::filesystem::create_directories(QUENMORE_FAILURE_DIR, ignored);
            const std::string shot = QUENMORE_FAILURE_DIR "/" + name + ".png";
            if (writePng(shot.c_str(), session.lastShot.pixels.data(), session.lastShot.width,
                         session.lastShot.height))
                std::cerr << "last screenshot: " << shot << "\n";
            std::cerr << "program (" << describeEnd(session.process) << ") wrote:\n"
                      << readFile(session.process.log) << "\n";
        }
        if (session.x.display != nullptr) setCapsLock(session.x, false);
        stopProcess(session.process);
    }
};
