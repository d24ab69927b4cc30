// Reading the art sources: what each directive puts into the sheet and the palette, and the
// faults that stop a build with the place and the reason.
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"

#include <gtest/gtest.h>

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

std::string tileRows(const char* row, int count = 8) {
    std::string rows;
    for (int y = 0; y < count; ++y) rows += std::string(row) + "\n";
    return rows;
}

TEST(ArtSource, DirectivesFillTilesCharactersPicturesAndColours) {
    std::string picture;
    for (int y = 0; y < 16; ++y) picture += std::string(8, '1') + std::string(8, '2') + "\n";
    const Reading reading =
        readText("# a comment\nlegend # 1 + 12\ntile 17\n.#+f0123\n" + tileRows("........", 7) +
                 "base 96\nchar #\n" + tileRows("1.......") + "base 0\nchar A\n" +
                 tileRows(".......1") + "picture 30 16 16\n" + picture +
                 "group 2 results\ncolour 0 FF8000 first\ncolour f 0a0B0c\n");
    ASSERT_TRUE(reading.ok) << reading.error;
    const ArtBook& book = *reading.book;
    const int row[8] = {0, 1, 12, 15, 0, 1, 2, 3};  // the defaults and the legend's characters
    for (int x = 0; x < 8; ++x) EXPECT_EQ(tilePixel(book, 17, x, 0), row[x]);
    EXPECT_TRUE(book.tileGiven[17]);
    EXPECT_FALSE(book.tileGiven[16]);
    EXPECT_EQ(tilePixel(book, 96 + '#', 0, 7), 1);  // characters at the base plus their code
    EXPECT_EQ(tilePixel(book, 'A', 7, 3), 1);
    // A picture spreads over the tiles to its right and below.
    EXPECT_EQ(tilePixel(book, 30, 0, 0), 1);
    EXPECT_EQ(tilePixel(book, 31, 0, 0), 2);
    EXPECT_EQ(tilePixel(book, 46, 7, 7), 1);
    EXPECT_EQ(tilePixel(book, 47, 7, 7), 2);
    EXPECT_FALSE(book.tileGiven[32]);
    // Colours belong to their group.
    EXPECT_EQ(book.colours[32], 0xFF8000u);
    EXPECT_EQ(book.colours[47], 0x0A0B0Cu);
    EXPECT_EQ(book.colours[33], 0u);
}

TEST(ArtSource, ShadowsFallDownAndRightOnlyWhereTheGlyphLeavesRoom) {
    const Reading reading =
        readText("base 0\nshadow 2\nchar x\n11......\n.1......\n" + tileRows("........", 5) +
                 ".......1\nshadow off\nchar y\n" + tileRows("1......."));
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

TEST(ArtSource, FaultsNameTheLineAndTheReason) {
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"tile 3\n" + tileRows("........") + "tile 3\n" + tileRows("........"),
         "test.txt:10: tile 3 is given twice"},
        {"picture 15 16 8\n" + tileRows("................"), "test.txt:1: the block runs past"},
        {"tile 1023\n" + tileRows("........", 7), "test.txt:1: the block ends after 7"},
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
    // Garbage is refused with a reason or read without harm (the sanitizers watch).
    std::mt19937 random(12345);
    const std::string alphabet = "tilecharpicturegroupcolourlegendbaseshadow 0123456789abcdef.#\n";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = int(random() % 400); i > 0; --i) text += alphabet[random() % alphabet.size()];
        const Reading reading = readText(text);
        EXPECT_TRUE(reading.ok || !reading.error.empty());
    }
}

TEST(ArtFolder, ReadsEveryTextFileAndNeedsAtLeastOne) {
    TempFolder folder;
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_FALSE(readArtFolder(*book, folder.path.string(), error));
    EXPECT_NE(error.find("no .txt art sources"), std::string::npos) << error;
    EXPECT_FALSE(readArtFolder(*book, folder.file("missing"), error));

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

}  // namespace
