#include "engine/asset_files.h"
#include "engine/composer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

TEST(ConvertCharacterSheet, PlanesBecomePackedNibblesLeftPixelHighInTheirTilesPlace) {
    struct Case {
        uint8_t planes[4];  // row 0 of tile 0: planes 0 and 1 interleaved, then planes 2 and 3
        uint8_t packed[4];
    };
    const Case cases[] = {
        {{0x80, 0, 0, 0}, {0x10, 0, 0, 0}},
        {{0, 0, 0, 0x01}, {0, 0, 0, 0x08}},
        {{0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        // Pixel x has colour x + 8: plane 3 all set, planes 0 to 2 count.
        {{0x55, 0x33, 0x0F, 0xFF}, {0x89, 0xAB, 0xCD, 0xEF}},
    };
    auto sheet = std::make_unique<CharacterSheet>();
    for (const Case& c : cases) {
        sheet->fill(0);
        (*sheet)[0] = c.planes[0];
        (*sheet)[1] = c.planes[1];
        (*sheet)[16] = c.planes[2];
        (*sheet)[17] = c.planes[3];
        convertCharacterSheet(*sheet);
        EXPECT_EQ(Bytes(sheet->begin(), sheet->begin() + 4), Bytes(c.packed, c.packed + 4));
    }
    // Tile 17 (file offset 544): top row colour 1 leftmost, bottom row colour 2 leftmost.
    sheet->fill(0);
    (*sheet)[544] = 0x80;
    (*sheet)[544 + 15] = 0x80;
    convertCharacterSheet(*sheet);
    EXPECT_EQ((*sheet)[516], 0x10);
    EXPECT_EQ((*sheet)[964], 0x20);
    EXPECT_EQ(std::count(sheet->begin(), sheet->end(), 0), SheetBytes - 2);
}

TEST(AssetFiles, LoadersReadWhatIsThereAndSayWhetherItWasWhole) {
    TempFolder temp{"quenmore-assets"};
    Palette palette{};
    palette.fill(0x00445566);
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0x5A);
    // Missing files leave memory as it was.
    EXPECT_FALSE(loadPalette(palette, temp.file("none.pal").c_str()));
    EXPECT_EQ(palette[17], 0x00445566u);
    EXPECT_FALSE(loadCharacterSheet(*sheet, temp.file("none.chr").c_str()));
    EXPECT_EQ((*sheet)[100], 0x5A);

    // Short files are read as far as they go; the palette past the data is black.
    writeBytes(temp.file("short.pal"), {1, 2, 3, 4});
    EXPECT_FALSE(loadPalette(palette, temp.file("short.pal").c_str()));
    EXPECT_EQ(palette[0], 0x00010203u);
    EXPECT_EQ(palette[1], 0x00040000u);
    EXPECT_EQ(palette[2], 0u);
    writeBytes(temp.file("short.chr"), {9, 9, 9});
    EXPECT_FALSE(loadCharacterSheet(*sheet, temp.file("short.chr").c_str()));
    EXPECT_EQ((*sheet)[2], 9);
    EXPECT_EQ((*sheet)[3], 0x5A);

    // Longer files: the rest is ignored.
    Bytes colours(768 + 1, 0xEE);
    colours[0] = 0xFF, colours[1] = 0x80, colours[2] = 0;
    colours[765] = 1, colours[766] = 2, colours[767] = 3;
    writeBytes(temp.file("long.pal"), colours);
    EXPECT_TRUE(loadPalette(palette, temp.file("long.pal").c_str()));
    EXPECT_EQ(palette[0], 0x00FF8000u);
    EXPECT_EQ(palette[255], 0x00010203u);
    writeBytes(temp.file("long.chr"), Bytes(32768 + 10, 7));
    EXPECT_TRUE(loadCharacterSheet(*sheet, temp.file("long.chr").c_str()));
    EXPECT_EQ((*sheet)[32767], 7);
}

TEST(AssetPath, ExecutableFolderUnlessInABuildFolder) {
    const std::string longBase(AssetPathBytes - 5, 'x');  // too long for the path buffer
    const char* cases[][2] = {
        {"E:\\Games\\Tutor\\", "E:\\Games\\Tutor\\assets/quenmore.chr"},
        {"D:\\work\\tutor\\Release\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\Debug\\bin\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\release\\", "D:\\work\\tutor\\release\\assets/quenmore.chr"},
        {"/opt/quenmore/", "/opt/quenmore/assets/quenmore.chr"},
        {nullptr, "assets/quenmore.chr"},
        {longBase.c_str(), "assets/quenmore.chr"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(assetPathFor(c[0], CharacterSetFileName).text, c[1]) << (c[0] ? c[0] : "");
    }
}

}  // namespace
