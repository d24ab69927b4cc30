#include "engine/asset_files.h"
#include "engine/composer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CharacterSheet> sheetWithRow(uint8_t p0, uint8_t p1, uint8_t p2, uint8_t p3) {
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0);
    (*sheet)[0] = p0;  // tile 0, row 0: planes 0 and 1 interleaved, then planes 2 and 3
    (*sheet)[1] = p1;
    (*sheet)[16] = p2;
    (*sheet)[17] = p3;
    convertCharacterSheet(*sheet);
    return sheet;
}

std::vector<uint8_t> firstRow(const CharacterSheet& sheet) {
    return {sheet[0], sheet[1], sheet[2], sheet[3]};
}

TEST(ConvertCharacterSheet, PlanesBecomePackedNibblesLeftPixelHigh) {
    EXPECT_EQ(firstRow(*sheetWithRow(0x80, 0, 0, 0)), (std::vector<uint8_t>{0x10, 0, 0, 0}));
    EXPECT_EQ(firstRow(*sheetWithRow(0, 0, 0, 0x01)), (std::vector<uint8_t>{0, 0, 0, 0x08}));
    EXPECT_EQ(firstRow(*sheetWithRow(0xFF, 0xFF, 0xFF, 0xFF)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(firstRow(*sheetWithRow(0, 0, 0, 0)), (std::vector<uint8_t>{0, 0, 0, 0}));
    // Pixel x has colour x + 8 for a row whose planes spell 8..15: p3 all set, p0..p2 count.
    EXPECT_EQ(firstRow(*sheetWithRow(0x55, 0x33, 0x0F, 0xFF)),
              (std::vector<uint8_t>{0x89, 0xAB, 0xCD, 0xEF}));
}

TEST(ConvertCharacterSheet, TilesLandInTheirPlaceInTheImage) {
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0);
    // Tile 17 (file offset 544): top row colour 1 leftmost, bottom row colour 2 leftmost.
    (*sheet)[544] = 0x80;
    (*sheet)[544 + 15] = 0x80;
    convertCharacterSheet(*sheet);
    EXPECT_EQ((*sheet)[516], 0x10);
    EXPECT_EQ((*sheet)[964], 0x20);
    int nonZero = 0;
    for (uint8_t byte : *sheet) nonZero += byte != 0;
    EXPECT_EQ(nonZero, 2);
}

class AssetFileTest : public ::testing::Test {
  protected:
    TempFolder temp{"quenmore-assets"};
    std::filesystem::path folder = temp.path;
    std::string write(const char* name, const std::vector<uint8_t>& bytes) {
        std::string path = temp.file(name);
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        return path;
    }
};

TEST_F(AssetFileTest, PaletteFileBytesBecomeEntries) {
    std::vector<uint8_t> bytes(768, 0);
    bytes[0] = 0xFF;
    bytes[1] = 0x80;
    bytes[765] = 1;
    bytes[766] = 2;
    bytes[767] = 3;
    bytes.push_back(0xEE);  // longer than needed: the rest is ignored
    Palette palette{};
    EXPECT_TRUE(loadPalette(palette, write("long.pal", bytes).c_str()));
    EXPECT_EQ(palette[0], 0x00FF8000u);
    EXPECT_EQ(palette[255], 0x00010203u);
}

TEST_F(AssetFileTest, MissingFilesLeaveMemoryAsItWas) {
    Palette palette{};
    palette.fill(0x00445566);
    EXPECT_FALSE(loadPalette(palette, (folder / "none.pal").string().c_str()));
    EXPECT_EQ(palette[17], 0x00445566u);
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0x5A);
    EXPECT_FALSE(loadCharacterSheet(*sheet, (folder / "none.chr").string().c_str()));
    EXPECT_EQ((*sheet)[100], 0x5A);
}

TEST_F(AssetFileTest, ShortFilesAreReportedAndDefined) {
    Palette palette{};
    palette.fill(0x00445566);
    EXPECT_FALSE(loadPalette(palette, write("short.pal", {1, 2, 3, 4}).c_str()));
    EXPECT_EQ(palette[0], 0x00010203u);
    EXPECT_EQ(palette[1], 0x00040000u);
    EXPECT_EQ(palette[2], 0u);  // past the data: black, not leftover memory

    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0x5A);
    EXPECT_FALSE(loadCharacterSheet(*sheet, write("short.chr", {9, 9, 9}).c_str()));
    EXPECT_EQ((*sheet)[2], 9);
    EXPECT_EQ((*sheet)[3], 0x5A);

    std::vector<uint8_t> whole(32768 + 10, 7);
    EXPECT_TRUE(loadCharacterSheet(*sheet, write("long.chr", whole).c_str()));
    EXPECT_EQ((*sheet)[32767], 7);
}

TEST(AssetPath, ExecutableFolderUnlessInABuildFolder) {
    struct Case {
        const char* base;
        const char* expected;
    };
    const Case cases[] = {
        {"E:\\Games\\Tutor\\", "E:\\Games\\Tutor\\assets/quenmore.chr"},
        {"D:\\work\\tutor\\Release\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\Debug\\bin\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\release\\", "D:\\work\\tutor\\release\\assets/quenmore.chr"},
        {"/opt/quenmore/", "/opt/quenmore/assets/quenmore.chr"},
        {nullptr, "assets/quenmore.chr"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(assetPathFor(c.base, CharacterSetFileName).text, c.expected)
            << (c.base ? c.base : "(none)");
    }
    // A folder too long for the path buffer falls back to the bare name.
    std::string longBase(AssetPathBytes - 5, 'x');
    EXPECT_STREQ(assetPathFor(longBase.c_str(), CharacterSetFileName).text, CharacterSetFileName);
}

}  // namespace
