// The committed art itself: the committed files are up to date and load through the engine
// as built, every character has a glyph, and text is legible wherever the screens draw it.
#include "course/common/art_tiles.h"
#include "course/common/screen_text.h"
#include "engine/asset_files.h"
#include "tests/support/contrast.h"
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string SourceFolder = QUENMORE_SOURCE_DIR;

constexpr int CursorTile = 7, BoxBodyTile = 11;

std::unique_ptr<ArtBook> committedArt() {
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_TRUE(readArtFolder(*book, SourceFolder + "/art", error)) << error;
    return book;
}

std::set<int> tileValues(const ArtBook& book, int tile) {
    std::set<int> values;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) values.insert(tilePixel(book, tile, x, y));
    return values;
}

// The backdrop of the title and the menu: tiles 288 to 304 and 314 to 319.
const std::vector<int> BackdropTiles = {288, 289, 290, 291, 292, 293, 294, 295, 296, 297, 298, 299,
                                        300, 301, 302, 303, 304, 314, 315, 316, 317, 318, 319};

// The colours of every opaque pixel of the given tiles in a palette group.
std::set<uint32_t> coloursOf(const ArtBook& book, const std::vector<int>& tiles, int group) {
    std::set<uint32_t> colours;
    for (int tile : tiles)
        for (int value : tileValues(book, tile))
            if (value != 0) colours.insert(book.colours[size_t(group * 16 + value)]);
    return colours;
}

// The key faces under a key label. The label's 8x8 cell lies 3 pixels left of and above the
// key's bottom-right cell, one pixel lower while the key is pressed. Keys are 2 or more
// cells wide and 2 high; a pressed key uses the tiles 3 further on.
std::set<uint32_t> coloursUnderLabel(const ArtBook& book, int widthCells, bool pressed) {
    std::set<uint32_t> colours;
    const int left = widthCells * 8 - 11;
    const int top = pressed ? 6 : 5;
    for (int y = top; y < top + 8; ++y) {
        for (int x = left; x < left + 8; ++x) {
            const int column = x / 8;
            const int part = column == 0 ? 0 : column == widthCells - 1 ? 2 : 1;
            const int tile = part + (y >= 8 ? 16 : 0) + (pressed ? 3 : 0);
            colours.insert(book.colours[size_t(tilePixel(book, tile, x % 8, y % 8))]);
        }
    }
    return colours;
}

}  // namespace

// A fresh build of the art equals the committed asset files, and loads through the engine
// as the builder meant it.
TEST(CommittedArt, AssetFilesAreUpToDateAndLoadAsBuilt) {
    const auto book = committedArt();
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(writeAssetFiles(*book, folder.path.string(), error)) << error;
    for (const char* name : {CharacterSetFileName, PaletteFileName}) {
        const Bytes fresh = readBytes(folder.file(std::filesystem::path(name).filename().string()));
        EXPECT_TRUE(fresh == readBytes(SourceFolder + "/" + name))
            << name << " is older than art/: rebuild with the assets target";
    }
    const Bytes names = readBytes(SourceFolder + "/course/common/art_tiles.h");
    EXPECT_EQ(std::string(names.begin(), names.end()), tileNamesHeader(*book))
        << "course/common/art_tiles.h is older than art/: rebuild with the assets target";
    auto sheet = std::make_unique<CharacterSheet>();
    ASSERT_TRUE(loadCharacterSheet(*sheet, folder.file("quenmore.chr").c_str()));
    convertCharacterSheet(*sheet);
    EXPECT_TRUE(*sheet == packedSheet(*book));
    Palette palette{};
    ASSERT_TRUE(loadPalette(palette, folder.file("quenmore.pal").c_str()));
    EXPECT_EQ(palette, book->colours);
}

TEST(CommittedArt, EveryPrintableCharacterHasAGlyphInBothFonts) {
    const auto book = committedArt();
    // Ink in value 1, the main font's shadow in value 2.
    const std::set<int> blank{0}, lessonGlyph{0, 1}, mainGlyph{0, 1, 2}, mainInkOnly{0, 1};
    for (int code = 33; code <= 126; ++code) {
        EXPECT_EQ(tileValues(*book, art::LessonFont + code), lessonGlyph) << char(code);
        const std::set<int> main = tileValues(*book, code);
        EXPECT_TRUE(main == mainGlyph || main == mainInkOnly) << char(code);
    }
    for (int tile : {int(' '), art::LessonFont + ' ', BlankTile})
        EXPECT_EQ(tileValues(*book, tile), blank) << tile;
    // Past ASCII: a glyph of its own for every character the fonts claim to draw, drawn
    // nowhere else; the rest share the unknown mark.
    for (int code = 127; code <= 255; ++code) {
        const int main = mainFontTile(uint8_t(code)), lesson = lessonFontTile(uint8_t(code));
        const bool own = hasGlyph(uint8_t(code));
        EXPECT_EQ(main, own ? art::MainFontLatin + code : UnknownCharacter) << code;
        EXPECT_EQ(lesson, own ? art::LessonFontLatin + code : art::LessonFontUnknown) << code;
        EXPECT_EQ(tileValues(*book, lesson), lessonGlyph) << code;
        const std::set<int> mainValues = tileValues(*book, main);
        EXPECT_TRUE(mainValues == mainGlyph || mainValues == mainInkOnly) << code;
        if (code >= 160 && !own) {
            EXPECT_EQ(tileValues(*book, art::MainFontLatin + code), blank) << code;
            EXPECT_EQ(tileValues(*book, art::LessonFontLatin + code), blank) << code;
        }
    }
}

TEST(CommittedArt, TextIsLegibleWhereverItIsDrawn) {
    const auto book = committedArt();
    const Palette& colours = book->colours;
    // Ink is colour 1 of a group.
    const uint32_t inkGroup0 = colours[1], inkGroup1 = colours[17], inkGroup2 = colours[33];

    std::set<uint32_t> dimmedScreen;  // groups 0 and 1 at half brightness
    for (size_t entry = 0; entry < 32; ++entry) {
        const uint32_t c = colours[entry];
        dimmedScreen.insert((c >> 16 & 255) / 2 << 16 | (c >> 8 & 255) / 2 << 8 | (c & 255) / 2);
    }

    struct Place {
        const char* what;
        std::set<uint32_t> text;
        std::set<uint32_t> behind;
    };
    const Place places[] = {
        {"menu rows over the backdrop", {inkGroup1}, coloursOf(*book, BackdropTiles, 3)},
        {"title prompt over the backdrop", {inkGroup0}, coloursOf(*book, BackdropTiles, 3)},
        {"selected menu row on the bar", {inkGroup0}, coloursOf(*book, {BoxBodyTile}, 0)},
        {"lesson title over the bare backdrop", {inkGroup0}, {colours[0]}},
        {"key label, two-cell key", {inkGroup0}, coloursUnderLabel(*book, 2, false)},
        {"key label, wider key", {inkGroup0}, coloursUnderLabel(*book, 3, false)},
        {"key label, two-cell key pressed", {inkGroup0}, coloursUnderLabel(*book, 2, true)},
        {"key label, wider key pressed", {inkGroup0}, coloursUnderLabel(*book, 3, true)},
        {"lesson text in the box", {inkGroup1}, coloursOf(*book, {BoxBodyTile}, 0)},
        {"cursor in the box", coloursOf(*book, {CursorTile}, 1),
         coloursOf(*book, {BoxBodyTile}, 0)},
        {"results over the dimmed lesson screen", {inkGroup2}, dimmedScreen},
    };
    for (const Place& place : places) {
        ASSERT_FALSE(place.behind.empty()) << place.what;
        for (uint32_t text : place.text)
            for (uint32_t behind : place.behind)
                EXPECT_GE(contrast(text, behind), 4.5)
                    << place.what << ": " << std::hex << text << " on " << behind;
    }
}
