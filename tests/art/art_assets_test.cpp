// The committed asset files equal a fresh build of art/ and load through the engine as built.
#include "engine/asset_files.h"
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST(CommittedArt, AssetFilesAreUpToDateAndLoadAsBuilt) {
    const std::string source = QUENMORE_SOURCE_DIR;
    auto book = std::make_unique<ArtBook>();
    std::string error;
    ASSERT_TRUE(readArtFolder(*book, source + "/art", error)) << error;
    TempFolder folder;
    ASSERT_TRUE(writeAssetFiles(*book, folder.path.string(), error)) << error;
    for (const char* name : {CharacterSetFileName, PaletteFileName}) {
        const Bytes fresh = readBytes(folder.file(std::filesystem::path(name).filename().string()));
        EXPECT_TRUE(fresh == readBytes(source + "/" + name))
            << name << " is older than art/: rebuild with the assets target";
    }
    auto sheet = std::make_unique<CharacterSheet>();
    ASSERT_TRUE(loadCharacterSheet(*sheet, folder.file("quenmore.chr").c_str()));
    convertCharacterSheet(*sheet);
    EXPECT_TRUE(*sheet == packedSheet(*book));
    Palette palette{};
    ASSERT_TRUE(loadPalette(palette, folder.file("quenmore.pal").c_str()));
    EXPECT_EQ(palette, book->colours);
}
