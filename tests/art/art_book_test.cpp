// Reading the art sources: what each directive puts into the sheet and the palette, and the
// faults that stop a build with the place and the reason.
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

namespace {

struct Reading {
    std::unique_ptr<ArtBook> book = std::make_unique<ArtBook>();
    std::string error;
    bool ok = false;
};

Reading readText(const std::string& text) {
    Reading reading;
    reading.ok = readArtText(*reading.book, text, "test.txt", reading.error);
    return reading;
}

std::string tileRows(const char* row) {
    std::string rows;
    for (int y = 0; y < 8; ++y) rows += std::string(row) + "\n";
    return rows;
}

void writeFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

}  // namespace

TEST(ArtSource, TilesTakeDefaultAndLegendPixelCharacters) {
    const Reading reading = readText("# a comment\n"
                                     "legend # 1 + 12\n"
                                     "tile 17\n"
                                     ".#+f0123\n" +
                                     tileRows("........").substr(9));
    ASSERT_TRUE(reading.ok) << reading.error;
    const int expected[8] = {0, 1, 12, 15, 0, 1, 2, 3};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(tilePixel(*reading.book, 17, x, 0), expected[x]);
    EXPECT_TRUE(reading.book->tileGiven[17]);
    EXPECT_FALSE(reading.book->tileGiven[16]);
}

TEST(ArtSource, CharactersLandAtTheBasePlusTheirCode) {
    const Reading reading = readText("base 96\nchar #\n" + tileRows("1.......") +
                                     "base 0\nchar A\n" + tileRows(".......1"));
    ASSERT_TRUE(reading.ok) << reading.error;
    EXPECT_EQ(tilePixel(*reading.book, 96 + '#', 0, 7), 1);
    EXPECT_EQ(tilePixel(*reading.book, 'A', 7, 3), 1);
}

TEST(ArtSource, ShadowsFallDownAndRightOnlyWhereTheGlyphLeavesRoom) {
    const Reading reading = readText("base 0\nshadow 2\nchar x\n"
                                     "11......\n.1......\n........\n........\n"
                                     "........\n........\n........\n.......1\n"
                                     "shadow off\nchar y\n" +
                                     tileRows("1......."));
    ASSERT_TRUE(reading.ok) << reading.error;
    const ArtBook& book = *reading.book;
    EXPECT_EQ(tilePixel(book, 'x', 1, 1), 1);  // ink is never covered by the shadow
    EXPECT_EQ(tilePixel(book, 'x', 2, 1), 2);
    EXPECT_EQ(tilePixel(book, 'x', 2, 2), 2);
    EXPECT_EQ(tilePixel(book, 'x', 1, 2), 0);
    int shadows = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) shadows += tilePixel(book, 'x', x, y) == 2;
    EXPECT_EQ(shadows, 2);  // the corner pixel's shadow falls outside the tile
    EXPECT_EQ(tilePixel(book, 'y', 1, 1), 0);
}

TEST(ArtSource, PicturesSpreadOverTheTilesToTheRightAndBelow) {
    std::string rows;
    for (int y = 0; y < 16; ++y) rows += std::string(8, '1') + std::string(8, '2') + "\n";
    const Reading reading = readText("picture 30 16 16\n" + rows);
    ASSERT_TRUE(reading.ok) << reading.error;
    EXPECT_EQ(tilePixel(*reading.book, 30, 0, 0), 1);
    EXPECT_EQ(tilePixel(*reading.book, 31, 0, 0), 2);
    EXPECT_EQ(tilePixel(*reading.book, 46, 7, 7), 1);
    EXPECT_EQ(tilePixel(*reading.book, 47, 7, 7), 2);
    EXPECT_FALSE(reading.book->tileGiven[32]);
}

TEST(ArtSource, ColoursBelongToTheirGroup) {
    const Reading reading = readText("group 2 results\ncolour 0 FF8000 first\ncolour f 0a0B0c\n");
    ASSERT_TRUE(reading.ok) << reading.error;
    EXPECT_EQ(reading.book->colours[32], 0xFF8000u);
    EXPECT_EQ(reading.book->colours[47], 0x0A0B0Cu);
    EXPECT_EQ(reading.book->colours[33], 0u);
}

TEST(ArtSource, FaultsNameTheLineAndTheReason) {
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"tile 3\n" + tileRows("........") + "tile 3\n" + tileRows("........"),
         "test.txt:10: tile 3 is given twice"},
        {"picture 15 16 8\n" + tileRows("................"), "test.txt:1: the block runs past"},
        {"tile 1023\n" + tileRows("........").substr(9), "test.txt:1: the block ends after 7"},
        {"tile 0\n........\n.......\n", "test.txt:3: a row of 7 pixels"},
        {"tile 0\n" + tileRows("...x...."), "test.txt:2: the pixel character 'x'"},
        {"tile 1024\n", "test.txt:1: a tile must be 0 to 1023"},
        {"colour 1 FFFFFF\n", "test.txt:1: a colour before any group"},
        {"group 0\ncolour 1 FFFFF\n", "test.txt:2: a colour must be six hex digits"},
        {"group 0\ncolour 1 00000G\n", "test.txt:2: a colour must be six hex digits"},
        {"group 1\ncolour 3 000000\ngroup 1\ncolour 3 FFFFFF\n", "test.txt:4: palette entry 19"},
        {"char A\n" + tileRows("........"), "test.txt:1: a char before any base"},
        {"base 1000\nchar z\n" + tileRows("........"), "test.txt:2: the character's tile"},
        {"base 0\nchar AB\n", "test.txt:2: a char line names one character"},
        {"legend # 16\n", "test.txt:1: a legend pair"},
        {"shadow 0\n", "test.txt:1: a shadow is 1 to 15 or off"},
        {"picture 0 12 8\n", "test.txt:1: a picture needs"},
        {"sprite 4\n", "test.txt:1: unknown directive 'sprite'"},
    };
    for (const Case& c : cases) {
        const Reading reading = readText(c.text);
        EXPECT_FALSE(reading.ok) << c.expected;
        EXPECT_EQ(reading.error.rfind(c.expected, 0), 0u) << reading.error;
    }
}

TEST(ArtSource, GarbageIsRefusedOrReadWithoutHarm) {
    std::mt19937 random(12345);
    const std::string alphabet = "tilecharpicturegroupcolourlegendbaseshadow 0123456789abcdef.#\n";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = int(random() % 400);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        Reading reading = readText(text);
        if (!reading.ok) {
            EXPECT_FALSE(reading.error.empty());
        }
    }
}

TEST(ArtFolder, ReadsEveryTextFileAndNeedsAtLeastOne) {
    TempFolder folder;
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_FALSE(readArtFolder(*book, folder.path.string(), error));
    EXPECT_NE(error.find("no .txt art sources"), std::string::npos) << error;

    writeFile(folder.file("b.txt"), "group 0\ncolour 1 111111\n");
    writeFile(folder.file("a.txt"), "group 0\ncolour 2 222222\n");
    writeFile(folder.file("notes.md"), "not art\n");
    ASSERT_TRUE(readArtFolder(*book, folder.path.string(), error)) << error;
    EXPECT_EQ(book->colours[1], 0x111111u);
    EXPECT_EQ(book->colours[2], 0x222222u);

    writeFile(folder.file("c.txt"), "oops\n");
    book = std::make_unique<ArtBook>();
    EXPECT_FALSE(readArtFolder(*book, folder.path.string(), error));
    EXPECT_EQ(error, "c.txt:1: unknown directive 'oops'");

    EXPECT_FALSE(readArtFolder(*book, folder.file("missing"), error));
}

TEST(AssetWriting, AFolderThatCannotBeWrittenIsReported) {
    TempFolder folder;
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_FALSE(writeAssetFiles(*book, folder.file("missing"), error));
    EXPECT_NE(error.find("quenmore.chr: cannot be written"), std::string::npos) << error;
}
