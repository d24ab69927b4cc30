// The art builder refuses bad sources with the file, the line and the reason; PNG files
// (the golden frames, the art preview) are read back as written.
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string tileRows(const char* row, int count = 8) {
    std::string rows;
    for (int y = 0; y < count; ++y) rows += std::string(row) + "\n";
    return rows;
}

// Faults found past the first line, inside blocks and in UTF-8 characters. (That every fault
// is reported, with its file, whatever the text, is the art-source fuzzer's.)
TEST(ArtSource, FaultsNameTheLineAndTheReason) {
    const std::string blank = tileRows("........");
    const std::pair<std::string, const char*> cases[] = {
        {"tile 3\n" + blank + "tile 3\n" + blank, "test.txt:10: tile 3 is given twice"},
        {"picture 15 16 8\n" + tileRows("................"), "test.txt:1: the block runs past"},
        {"tile 1023\n" + tileRows("........", 7), "test.txt:1: the block ends after 7"},
        {"tile 0\n........\n.......\n", "test.txt:3: a row of 7 pixels"},
        {"tile 0\n" + tileRows("...x...."), "test.txt:2: the pixel character 'x'"},
        {"group 0\ncolour 1 00000G\n", "test.txt:2: a colour must be six hex digits"},
        {"group 1\ncolour 3 000000\ngroup 1\ncolour 3 FFFFFF\n", "test.txt:4: palette entry 19"},
        {"base 1000\nchar z\n" + blank, "test.txt:2: the character's tile"},
        {"base 0\nchar AB\n", "test.txt:2: a char line names one character"},
        {"base 800\nchar \u00E9\n" + blank, "test.txt:2: the character's tile"},  // 800 + 233
        {"base 0\nchar \u00E9a\n", "test.txt:2: a char line names one character"},
    };
    for (const auto& [text, expected] : cases) {
        auto book = std::make_unique<ArtBook>();
        std::string error;
        EXPECT_FALSE(readArtText(*book, text, "test.txt", error)) << expected;
        EXPECT_EQ(error.rfind(expected, 0), 0u) << error;
    }
}

TEST(ArtFolder, ReadsEveryTextFileAndNamesTheFileAtFault) {
    TempFolder folder;
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_FALSE(readArtFolder(*book, folder.path.string(), error));
    EXPECT_NE(error.find("no .txt art sources"), std::string::npos) << error;
    auto write = [&](const char* name, const std::string& text) {
        writeBytes(folder.file(name), Bytes(text.begin(), text.end()));
    };
    write("b.txt", "group 0\ncolour 1 111111\n");
    write("a.txt", "group 0\ncolour 2 222222\n");
    write("notes.md", "not art\n");
    ASSERT_TRUE(readArtFolder(*book, folder.path.string(), error)) << error;
    EXPECT_EQ(book->colours[1], 0x111111u);
    EXPECT_EQ(book->colours[2], 0x222222u);
    write("c.txt", "oops\n");
    book = std::make_unique<ArtBook>();
    EXPECT_FALSE(readArtFolder(*book, folder.path.string(), error));
    EXPECT_EQ(error, "c.txt:1: unknown directive 'oops'");
    EXPECT_FALSE(writeAssetFiles(*book, folder.file("missing"), error));
    EXPECT_NE(error.find("quenmore.chr: cannot be written"), std::string::npos) << error;
}

TEST(PngFile, PicturesSurviveARoundTripAndFailedWritesAreSaid) {
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

    // The tools that write pictures say when they cannot. (Only the tests read them, and a
    // damaged golden frame fails its comparison whatever readPng makes of it.)
    EXPECT_FALSE(writePng(folder.file("empty.png").c_str(), pixels.data(), 0, 4));
    EXPECT_FALSE(writePng(folder.file("missing/picture.png").c_str(), pixels.data(), 4, 4));
}

}  // namespace
