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

// A missing file is refused and changes nothing. (Files of any length and content, short and
// long ones included, are the asset-file fuzzer's.)
TEST(AssetFiles, AMissingFileIsRefusedAndChangesNothing) {
    Palette palette{};
    palette.fill(0x00445566);
    auto sheet = std::make_unique<CharacterSheet>();
    sheet->fill(0x5A);
    EXPECT_FALSE(loadPalette(palette, "/nonexistent/quenmore.pal"));
    EXPECT_FALSE(loadCharacterSheet(*sheet, "/nonexistent/quenmore.chr"));
    EXPECT_EQ(palette[17], 0x00445566u);
    EXPECT_EQ((*sheet)[100], 0x5A);
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

// Beside the program unless it runs from a Release or Debug build folder, or installed in its
// data folder; a folder of any length is used, and an unknown one gives no path.
TEST(AssetPath, ExecutableFolderUnlessInABuildFolderOrInstalled) {
    const std::string longBase = "/" + std::string(5000, 'x') + "/";
    const std::string longPath = longBase + "assets/quenmore.chr";
    const std::string longInstalled = longBase + "../share/quenmore/quenmore.pal";
    const char* data = "../share/quenmore/";
    struct Case {
        const char *programFolder, *dataFolder, *name, *expected;  // no data folder: not installed
    };
    const Case cases[] = {
        {"E:\\Games\\Tutor\\", nullptr, CharacterSetFileName,
         "E:\\Games\\Tutor\\assets/quenmore.chr"},
        {"D:\\work\\tutor\\Release\\", nullptr, CharacterSetFileName, "assets/quenmore.chr"},
        {"D:\\work\\tutor\\Debug\\", nullptr, CharacterSetFileName, "assets/quenmore.chr"},
        {"D:\\work\\tutor\\debug\\", nullptr, CharacterSetFileName,
         "D:\\work\\tutor\\debug\\assets/quenmore.chr"},
        {nullptr, nullptr, CharacterSetFileName, ""},
        {longBase.c_str(), nullptr, CharacterSetFileName, longPath.c_str()},
        {"/usr/bin/", data, PaletteFileName, "/usr/bin/../share/quenmore/quenmore.pal"},
        {"/usr/bin/", data, "quenmore.pal", "/usr/bin/../share/quenmore/quenmore.pal"},
        {nullptr, data, PaletteFileName, ""},
        {longBase.c_str(), data, PaletteFileName, longInstalled.c_str()},
    };
    for (const Case& c : cases) {
        const AssetPath path = c.dataFolder
                                   ? installedAssetPathFor(c.programFolder, c.dataFolder, c.name)
                                   : assetPathFor(c.programFolder, c.name);
        EXPECT_EQ(path.text, c.expected) << (c.programFolder ? c.programFolder : "");
    }
    EXPECT_EQ(installedAssetPathFor("C:\\Quenmore\\", nullptr, PaletteFileName).text, "");
}

}  // namespace
