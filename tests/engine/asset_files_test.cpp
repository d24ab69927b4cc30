#include "engine/asset_files.h"
#include "platform/platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Missing or short files are refused, and a missing one changes nothing; of longer ones,
// the rest is ignored. Colours are stored red, green, blue.
TEST(AssetFiles, MissingAndShortFilesAreRefusedLongOnesReadAsFarAsNeeded) {
    TempFolder temp{"quenmore-assets"};
    Palette palette{};
    palette.fill(0x00445566);
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0x5A);
    EXPECT_FALSE(loadPalette(palette, temp.file("none.pal").c_str()));
    EXPECT_FALSE(loadCharacterSheet(*sheet, temp.file("none.chr").c_str()));
    EXPECT_EQ(palette[17], 0x00445566u);
    EXPECT_EQ((*sheet)[100], 0x5A);
    writeBytes(temp.file("short.pal"), Bytes(767, 1));
    writeBytes(temp.file("short.chr"), Bytes(32767, 1));
    EXPECT_FALSE(loadPalette(palette, temp.file("short.pal").c_str()));
    EXPECT_FALSE(loadCharacterSheet(*sheet, temp.file("short.chr").c_str()));

    Bytes colours(768 + 1, 0xEE);
    colours[0] = 0xFF, colours[1] = 0x80, colours[2] = 0, colours[767] = 3;
    writeBytes(temp.file("long.pal"), colours);
    EXPECT_TRUE(loadPalette(palette, temp.file("long.pal").c_str()));
    EXPECT_EQ((std::vector<uint32_t>{palette[0], palette[255]}),
              (std::vector<uint32_t>{0xFF8000, 0xEEEE03}));
    writeBytes(temp.file("long.chr"), Bytes(32768 + 10, 7));
    EXPECT_TRUE(loadCharacterSheet(*sheet, temp.file("long.chr").c_str()));
    EXPECT_EQ((*sheet)[32767], 7);
}

// Plane 0's leftmost bit is the first pixel's bit 0; plane 3's rightmost the last's bit 3.
TEST(AssetFiles, PlanarTilesBecomePackedPixels) {
    struct Case {
        int planarByte;
        uint8_t value;
        std::array<uint8_t, 4> packedRow;
    };
    const Case cases[] = {{0, 0x80, {0x10, 0, 0, 0}}, {17, 0x01, {0, 0, 0, 0x08}}};
    for (const Case& c : cases) {
        auto sheet = std::make_unique<CharacterSheet>();
        (*sheet)[size_t(c.planarByte)] = c.value;
        convertCharacterSheet(*sheet);
        EXPECT_EQ((std::array<uint8_t, 4>{(*sheet)[0], (*sheet)[1], (*sheet)[2], (*sheet)[3]}),
                  c.packedRow);
    }
}

#ifndef _WIN32
// A FIFO in place of an asset would block the open until a writer came: it is refused at once
// and named for what it is.
TEST(AssetFiles, AFifoIsRefusedWithoutWaiting) {
    TempFolder temp{"quenmore-assets"};
    const std::string fifo = temp.file("quenmore.pal");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EXIT(
        {
            alarm(20);  // a hang ends the check as a failure
            Palette palette{};
            auto sheet = std::make_unique<CharacterSheet>();
            const bool loaded =
                loadPalette(palette, fifo.c_str()) || loadCharacterSheet(*sheet, fifo.c_str());
            std::exit(loaded ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(platform::describeFile(fifo), "a FIFO");
    EXPECT_EQ(platform::describeFile(temp.file("none")), "nothing");
    EXPECT_EQ(platform::describeFile(temp.path.string()), "a folder");
}
#endif

// A folder of any length is used (never the working directory in its place); an unknown one
// gives no path.
TEST(AssetPath, ExecutableFolderUnlessInABuildFolder) {
    const std::string longBase = "/" + std::string(5000, 'x') + "/";
    const std::string longPath = longBase + "assets/quenmore.chr";
    const char* cases[][2] = {
        {"E:\\Games\\Tutor\\", "E:\\Games\\Tutor\\assets/quenmore.chr"},
        {"D:\\work\\tutor\\Release\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\Debug\\", "assets/quenmore.chr"},
        {"D:\\work\\tutor\\debug\\", "D:\\work\\tutor\\debug\\assets/quenmore.chr"},
        {nullptr, ""},
        {longBase.c_str(), longPath.c_str()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(assetPathFor(c[0], CharacterSetFileName).text, c[1]) << (c[0] ? c[0] : "");
}

TEST(AssetPath, InstalledProgramsDataFolderHoldsTheBareFileNames) {
    const std::string longBase = "/" + std::string(5000, 'x') + "/";
    const std::string longPath = longBase + "../share/quenmore/quenmore.pal";
    const char* data = "../share/quenmore/";
    struct Case {
        const char *programFolder, *dataFolder, *name, *expected;
    };
    const Case cases[] = {
        {"/usr/bin/", data, PaletteFileName, "/usr/bin/../share/quenmore/quenmore.pal"},
        {"/opt/q/bin/", data, CharacterSetFileName, "/opt/q/bin/../share/quenmore/quenmore.chr"},
        {"/usr/bin/", data, "quenmore.pal", "/usr/bin/../share/quenmore/quenmore.pal"},
        {nullptr, data, PaletteFileName, ""},
        {"C:\\Quenmore\\", nullptr, PaletteFileName, ""},
        {longBase.c_str(), data, PaletteFileName, longPath.c_str()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(installedAssetPathFor(c.programFolder, c.dataFolder, c.name).text, c.expected)
            << (c.programFolder ? c.programFolder : "");
    }
}

}  // namespace
