#include "engine/fades.h"
#include "tests/support/test_video.h"
#include "tests/support/virtual_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FadeTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    std::vector<uint32_t> shown[3];  // palette entries 1, 2 and 3 of every frame
    std::vector<uint32_t> layerWords;
    void SetUp() override {
        installVirtualHost(clock);
        test.memory().palette.fill(0);
        test.memory().palette[1] = 0x00FFFFFF;
        test.memory().palette[2] = 0x00400000;
        test.memory().palette[3] = 0xFF102030;
        clock.onFrame = [this](const VideoMemory& memory) {
            for (int i = 0; i < 3; ++i) shown[i].push_back(memory.palette[size_t(i + 1)]);
            layerWords.push_back(memory.layers[2]);
        };
    }
    void TearDown() override { restoreHost(); }
};

TEST_F(FadeTest, FadeInBrightensFromBlackOverSixtyFourFrames) {
    fadeIn(test.video());
    ASSERT_EQ(shown[0].size(), 64u);
    EXPECT_EQ(shown[0][0], 0x00000000u);
    EXPECT_EQ(shown[0][1], 0x00030303u);
    EXPECT_EQ(shown[0][63], 0x00FBFBFBu);
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(shown[1][k], k << 16) << k;  // red 64 scales to exactly k
        EXPECT_EQ(shown[2][k] >> 24, 0u);      // top byte cleared while fading
        EXPECT_EQ(layerWords[k], 0x80000000u | (k & 1));
    }
    EXPECT_EQ(test.memory().palette[1], 0x00FFFFFFu);
    EXPECT_EQ(test.memory().palette[3], 0xFF102030u);  // restored with its top byte
    EXPECT_EQ(test.memory().layers[2], 0x80000001u);
    EXPECT_EQ(clock.counter / 1000, 64u);
}

TEST_F(FadeTest, FadeOutThenInShowsTheBlackFrameTwice) {
    fadeOut(test.video());
    EXPECT_EQ(test.memory().layers[2], 0x80000000u);
    EXPECT_EQ(test.memory().palette[1], 0x00FFFFFFu);
    fadeIn(test.video());
    ASSERT_EQ(shown[0].size(), 128u);
    EXPECT_EQ(shown[0][0], 0x00FBFBFBu);
    EXPECT_EQ(shown[0][63], 0u);
    EXPECT_EQ(shown[0][64], 0u);
    EXPECT_EQ(shown[0][127], 0x00FBFBFBu);
}

}  // namespace
