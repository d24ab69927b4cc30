#include "tests/support/temp_folder.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PngFile, PicturesSurviveARoundTripAndBadOnesAreRefused) {
    TempFolder folder;
    std::vector<uint32_t> pixels(7 * 5);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(i * 0x1F3D5B) | 0xAB000000u;
    ASSERT_TRUE(writePng(folder.file("a.png").c_str(), pixels.data(), 7, 5));
    std::vector<uint32_t> read;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(readPng(folder.file("a.png").c_str(), read, width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 5);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;  // the top byte is not kept
    EXPECT_EQ(read, pixels);

    EXPECT_FALSE(writePng(folder.file("empty.png").c_str(), pixels.data(), 0, 4));
    EXPECT_FALSE(writePng(folder.file("missing/picture.png").c_str(), pixels.data(), 4, 4));
    Bytes good = readBytes(folder.file("a.png"));
    writeBytes(folder.file("cut.png"), Bytes(good.begin(), good.begin() + 40));
    good[good.size() / 2] ^= 0xFF;  // spoils the image data's checksum
    writeBytes(folder.file("spoilt.png"), good);
    for (const char* name : {"missing.png", "cut.png", "spoilt.png"}) {
        read = {1, 2, 3};
        width = height = 9;
        EXPECT_FALSE(readPng(folder.file(name).c_str(), read, width, height)) << name;
        EXPECT_TRUE(read.empty() && width == 0 && height == 0) << name;
    }
}
