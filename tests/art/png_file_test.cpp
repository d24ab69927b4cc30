// PNG files: pictures survive a round trip, the same pixels give the same file, and files
// that are missing or broken are refused.
#include "tests/support/temp_folder.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint32_t> testPicture(int width, int height) {
    std::vector<uint32_t> pixels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y * width + x)] = uint32_t(x * 37) << 16 | uint32_t(y * 11) << 8 |
                                            uint32_t((x ^ y) & 255) | 0xAB000000u;
    return pixels;
}

TEST(PngFile, PicturesSurviveARoundTripWithoutTheTopByteAndGiveTheSameFileTwice) {
    TempFolder folder;
    const std::vector<uint32_t> pixels = testPicture(7, 5);
    ASSERT_TRUE(writePng(folder.file("a.png").c_str(), pixels.data(), 7, 5));
    ASSERT_TRUE(writePng(folder.file("b.png").c_str(), pixels.data(), 7, 5));
    EXPECT_EQ(readBytes(folder.file("a.png")), readBytes(folder.file("b.png")));

    std::vector<uint32_t> read;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(readPng(folder.file("a.png").c_str(), read, width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 5);
    ASSERT_EQ(read.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(read[i], pixels[i] & 0xFFFFFFu) << i;
}

TEST(PngFile, EmptyPicturesMissingFoldersAndBrokenFilesAreRefused) {
    TempFolder folder;
    const std::vector<uint32_t> pixels = testPicture(16, 16);
    EXPECT_FALSE(writePng(folder.file("empty.png").c_str(), pixels.data(), 0, 4));
    EXPECT_FALSE(writePng(folder.file("empty.png").c_str(), pixels.data(), 4, -1));
    EXPECT_FALSE(writePng(folder.file("empty.png").c_str(), nullptr, 4, 4));
    EXPECT_FALSE(writePng(folder.file("missing/picture.png").c_str(), pixels.data(), 4, 4));

    ASSERT_TRUE(writePng(folder.file("good.png").c_str(), pixels.data(), 16, 16));
    Bytes good = readBytes(folder.file("good.png"));
    writeBytes(folder.file("cut.png"), Bytes(good.begin(), good.begin() + 40));
    writeBytes(folder.file("text.png"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    good[good.size() / 2] ^= 0xFF;  // spoils the image data's checksum
    writeBytes(folder.file("spoilt.png"), good);
    for (const char* name : {"missing.png", "cut.png", "text.png", "spoilt.png"}) {
        std::vector<uint32_t> read = {1, 2, 3};
        int width = 9;
        int height = 9;
        EXPECT_FALSE(readPng(folder.file(name).c_str(), read, width, height)) << name;
        EXPECT_TRUE(read.empty() && width == 0 && height == 0) << name;
    }
}

}  // namespace
