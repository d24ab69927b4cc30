// The committed art itself: the committed files are up to date and load through the engine
// as built, every character has a glyph, and text is legible wherever the screens draw it.
#include "course/common/art_tiles.h"
#include "course/common/colour_schemes.h"
#include "course/common/finger_colours.h"
#include "course/common/screen_text.h"
#include "engine/asset_files.h"
#include "tests/support/contrast.h"
#include "tests/support/temp_folder.h"
#include "tools/art_book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string SourceFolder = QUENMORE_SOURCE_DIR;

std::unique_ptr<ArtBook> committedArt() {
    auto book = std::make_unique<ArtBook>();
    std::string error;
    EXPECT_TRUE(readArtFolder(*book, SourceFolder + "/art", error)) << error;
    return book;
}

// The pixel values of rows `first` to `last` (0 to 7) of a tile.
std::set<int> tileValues(const ArtBook& book, int tile, int first = 0, int last = 7) {
    std::set<int> values;
    for (int y = first; y <= last; ++y)
        for (int x = 0; x < 8; ++x) values.insert(tilePixel(book, tile, x, y));
    return values;
}

std::set<uint32_t> coloursOfValues(const Palette& palette, const std::set<int>& values, int group) {
    std::set<uint32_t> colours;
    for (int value : values) colours.insert(palette[size_t(group * 16 + value)]);
    return colours;
}

// The colours of the opaque pixels of rows `first` to `last` of the given tiles.
std::set<uint32_t> coloursOf(const ArtBook& book, const Palette& palette,
                             const std::vector<int>& tiles, int group, int first = 0,
                             int last = 7) {
    std::set<uint32_t> colours;
    for (int tile : tiles) {
        std::set<int> values = tileValues(book, tile, first, last);
        values.erase(0);
        colours.merge(coloursOfValues(palette, values, group));
    }
    return colours;
}

// The backdrop of the title and the menu: tiles 288 to 304 and 314 to 319.
const std::vector<int> BackdropTiles = {288, 289, 290, 291, 292, 293, 294, 295, 296, 297, 298, 299,
                                        300, 301, 302, 303, 304, 314, 315, 316, 317, 318, 319};

// The pixel values of the key faces under a key label. The label's 8x8 cell lies 3 pixels left
// of and above the key's bottom-right cell, one pixel lower while the key is pressed. Keys are
// 2 or more cells wide and 2 high; a pressed key uses the tiles 3 further on, a lit one 12.
enum class Face { Up, Pressed, Lit };
std::set<int> valuesUnderLabel(const ArtBook& book, int widthCells, Face face) {
    std::set<int> values;
    const int left = widthCells * 8 - 11;
    const int top = face == Face::Pressed ? 6 : 5;
    const int first = face == Face::Pressed ? art::PressedKeyTopLeft
                      : face == Face::Lit   ? art::LitKeyTopLeft
                                            : art::KeyTopLeft;
    for (int y = top; y < top + 8; ++y) {
        for (int x = left; x < left + 8; ++x) {
            const int column = x / 8;
            const int part = column == 0 ? 0 : column == widthCells - 1 ? 2 : 1;
            const int tile = first + part + (y >= 8 ? 16 : 0);
            values.insert(tilePixel(book, tile, x % 8, y % 8));
        }
    }
    return values;
}

// Every scheme's palette, as the asset build makes it from art/.
struct Scheme {
    ColourScheme scheme;
    Palette palette;
};
std::vector<Scheme> everyScheme(const ArtBook& book) {
    std::vector<Scheme> schemes;
    for (int i = 0; i < ColourSchemeCount; ++i) {
        Scheme scheme{ColourScheme(i), book.colours};
        std::string error;
        const char* source = ColourSchemes[i].artSource;
        EXPECT_TRUE(source == nullptr || readPaletteVariant(book, SourceFolder + "/art/" + source,
                                                            scheme.palette, error))
            << error;
        schemes.push_back(scheme);
    }
    return schemes;
}

// A colour as a colour-blind eye sees it (the Machado, Oliveira and Fernandes simulation of
// a full deficiency, in linear RGB), in CIELAB.
struct Lab {
    double l, a, b;
};
Lab seenAs(uint32_t colour, const double (&m)[3][3]) {
    double linear[3], seen[3];
    for (int c = 0; c < 3; ++c) {
        const double v = double(colour >> (16 - 8 * c) & 0xFF) / 255;
        linear[c] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    for (int r = 0; r < 3; ++r)
        seen[r] =
            std::clamp(m[r][0] * linear[0] + m[r][1] * linear[1] + m[r][2] * linear[2], 0.0, 1.0);
    const double x = (0.4124 * seen[0] + 0.3576 * seen[1] + 0.1805 * seen[2]) / 0.95047;
    const double y = 0.2126 * seen[0] + 0.7152 * seen[1] + 0.0722 * seen[2];
    const double z = (0.0193 * seen[0] + 0.1192 * seen[1] + 0.9505 * seen[2]) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// No two of `colours` closer than 15 in CIELAB as protanopia, deuteranopia and tritanopia
// see them.
void expectApartForEveryDeficiency(const std::vector<uint32_t>& colours, const std::string& what) {
    const double deficiencies[3][3][3] = {
        {{0.152286, 1.052583, -0.204868},
         {0.114503, 0.786281, 0.099216},
         {-0.003882, -0.048116, 1.051998}},
        {{0.367322, 0.860646, -0.227968},
         {0.280085, 0.672501, 0.047413},
         {-0.011820, 0.042940, 0.968881}},
        {{1.255528, -0.076749, -0.178779},
         {-0.078411, 0.930809, 0.147602},
         {0.004733, 0.691367, 0.303900}},
    };
    const char* names[] = {"protanopia", "deuteranopia", "tritanopia"};
    for (int d = 0; d < 3; ++d) {
        for (size_t i = 0; i < colours.size(); ++i) {
            for (size_t j = i + 1; j < colours.size(); ++j) {
                const Lab a = seenAs(colours[i], deficiencies[d]),
                          b = seenAs(colours[j], deficiencies[d]);
                const double distance = std::hypot(a.l - b.l, a.a - b.a, a.b - b.b);
                EXPECT_GE(distance, 15.0) << names[d] << ": " << what << " " << i << " and " << j;
            }
        }
    }
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

// Every text wherever the screens draw it, in every colour scheme: 4.5:1 at least, 7:1 in the
// high-contrast one; the progress screen's ramp labels on their own faces too.
TEST(CommittedArt, TextIsLegibleWhereverItIsDrawnInEveryScheme) {
    const auto book = committedArt();
    for (const Scheme& each : everyScheme(*book)) {
        const Palette& colours = each.palette;
        const double least = each.scheme == ColourScheme::HighContrast ? 7.0 : 4.5;
        const auto ink = [&colours](int group) { return colours[size_t(group * 16 + 1)]; };
        // The finger guide's groups as the lesson screen makes them.
        Palette guide = colours;
        putFingerColours(guide);
        // Under the results, groups 0 and 1 at half brightness but the lesson texts, key labels
        // and Caps Lock lamp (none lie under them), and the finger guide's quiet tints.
        const auto half = [](uint32_t c) {
            return (c >> 16 & 255) / 2 << 16 | (c >> 8 & 255) / 2 << 8 | (c & 255) / 2;
        };
        std::set<uint32_t> dimmedScreen;
        for (size_t entry = 0; entry < 32; ++entry) {
            if (entry == 1 || entry == 17 || entry == 19 || entry == 20 || entry >= 30) continue;
            dimmedScreen.insert(half(colours[entry]));
        }
        for (int hue = 0; hue < FingerHueCount; ++hue)
            for (size_t value : {3, 4, 5})
                dimmedScreen.insert(half(guide[size_t((FirstZoneGroup + hue) * 16) + value]));
        const std::set<uint32_t> backdrop = coloursOf(*book, colours, BackdropTiles, 3);
        // The menu's hints: lines 170 to 177 on the hills and ground, 10 to 17 on the sky.
        std::vector<int> hillsBottom;
        for (int t = 0; t < 6; ++t) hillsBottom.push_back(art::Hills + 16 + t);
        std::set<uint32_t> underHints = coloursOf(*book, colours, hillsBottom, 3, 2, 7);
        underHints.merge(coloursOf(*book, colours, {art::Ground}, 3, 0, 1));
        underHints.merge(coloursOf(*book, colours, {art::SkyTopBand}, 3, 2, 7));
        underHints.merge(coloursOf(*book, colours, {art::SkyTopBand + 1}, 3, 0, 1));
        const std::set<uint32_t> box = coloursOfValues(colours, tileValues(*book, art::BoxBody), 0);
        struct Place {
            std::string what;
            std::set<uint32_t> text;
            std::set<uint32_t> behind;
        };
        std::vector<Place> places = {
            {"menu rows over the backdrop", {ink(1)}, backdrop},
            {"title prompt over the backdrop", {ink(0)}, backdrop},
            {"menu hints over the backdrop", {ink(8)}, underHints},
            {"selected menu row on the bar", {ink(0)}, box},
            {"lesson title and progress text over the bare backdrop", {ink(0)}, {colours[0]}},
            {"lesson text in the box", {ink(1)}, box},
            {"cursor in the box", coloursOf(*book, colours, {art::TypingCursor}, 1), box},
            {"results over the dimmed lesson screen", {ink(2)}, dimmedScreen},
        };
        for (int width : {2, 3}) {
            const std::string wide = ", width " + std::to_string(width);
            for (Face face : {Face::Up, Face::Pressed})
                places.push_back(
                    {"key label" + wide + (face == Face::Pressed ? ", pressed" : ""),
                     {ink(0)},
                     coloursOfValues(colours, valuesUnderLabel(*book, width, face), 0)});
            // The finger guide: labels on their finger's quiet tint, a lit key's dark label and
            // its shadow on the finger's bright colour.
            for (int hue = 0; hue < FingerHueCount; ++hue) {
                const int zone = FirstZoneGroup + hue;
                const std::string which = wide + ", finger hue " + std::to_string(hue);
                places.push_back(
                    {"tinted key label" + which,
                     {ink(0)},
                     coloursOfValues(guide, valuesUnderLabel(*book, width, Face::Up), zone)});
                places.push_back(
                    {"lit key label" + which,
                     {guide[size_t(zone * 16 + LitLabelValue)], guide[size_t(zone * 16 + 2)]},
                     coloursOfValues(guide, valuesUnderLabel(*book, width, Face::Lit), zone)});
            }
        }
        for (int level = 1; level < 5; ++level) {
            // The ramp's group: group 0 with the face, highlight, side and label replaced.
            Palette ramp = colours;
            const size_t shade = size_t(9 * 16 + 4 * (level - 1));  // face, highlight, side, label
            for (int k = 0; k < 3; ++k) ramp[size_t(3 + k)] = colours[shade + size_t(k)];
            ramp[1] = colours[shade + 3];
            places.push_back({"miss ramp label, step " + std::to_string(level),
                              {ramp[1]},
                              coloursOfValues(ramp, valuesUnderLabel(*book, 2, Face::Up), 0)});
        }
        for (const Place& place : places) {
            ASSERT_FALSE(place.behind.empty()) << place.what;
            for (uint32_t text : place.text)
                for (uint32_t behind : place.behind)
                    EXPECT_GE(contrast(text, behind), least)
                        << ColourSchemes[int(each.scheme)].label << ", " << place.what << ": "
                        << std::hex << text << " on " << behind;
        }
    }
}

// The finger guide's bright colours in every scheme, and the colour-blind scheme's miss ramp
// (untinted keys included), stay apart as each colour deficiency sees them.
TEST(CommittedArt, FingerColoursAndTheColourBlindRampStayApartForEveryDeficiency) {
    const auto book = committedArt();
    for (const Scheme& each : everyScheme(*book)) {
        std::vector<uint32_t> lit;
        for (int hue = 0; hue < FingerHueCount; ++hue)
            lit.push_back(litShades(each.palette, hue).face);
        expectApartForEveryDeficiency(lit, std::string(ColourSchemes[int(each.scheme)].label) +
                                               ", finger hues");
        if (each.scheme != ColourScheme::ColourBlind) continue;
        std::vector<uint32_t> faces = {each.palette[3]};
        for (int level = 0; level < 4; ++level)
            faces.push_back(each.palette[size_t(9 * 16 + 4 * level)]);
        expectApartForEveryDeficiency(faces, "miss ramp steps");
    }
}
