// The editable art: text sources that describe the 1024 tiles of the character sheet and the
// 256 palette colours, read into one book and encoded into the two asset files.
//
// A source is a text file of directives, one a line; blank lines and lines that start with
// "#" are skipped between blocks:
//
//   group G NAME          palette group G (0 to 15); the colour lines below belong to it
//   colour I RRGGBB NAME  entry I (one hex digit) of the current group, in hex
//   legend C V [C V ...]  pixel character C stands for value V (0 to 15) in this file, on top
//                         of the defaults "." and "0" for 0, "1" to "9", "a" to "f"
//   tile N [NAME]         tile N (0 to 1023); 8 rows of 8 pixel characters follow
//   base N [NAME]         the tile of character code 0 for the "char" blocks below
//   char C                the tile of character C (base + its code); 8 rows of 8 follow
//   shadow V | shadow off "char" blocks below get a one-pixel shadow of value V down and to
//                         the right of their pixels, wherever the glyph leaves room
//   picture N W H [NAME]  a W x H picture (multiples of 8) whose top-left tile is N, laid
//                         over the tiles to its right and below as the sheet holds them;
//                         H rows of W pixel characters follow
//
// A NAME (a capital, then letters and digits) names the tile for the program's code: the
// asset build writes every name into a header, so that the screens spell no tile number.
// Every tile and every colour may be given once, and every name once. Tiles and colours given
// nowhere stay 0: blank tiles and black colours.
#pragma once

#include "engine/asset_files.h"
#include "engine/video_memory.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int SheetWidth = 128;
constexpr int SheetHeight = 512;

struct ArtBook {
    // One 4-bit value per pixel of the 128x512 sheet image, row after row.
    std::array<uint8_t, SheetWidth * SheetHeight> pixels{};
    Palette colours{};
    std::array<bool, TileCount> tileGiven{};
    std::array<bool, PaletteSize> colourGiven{};
    std::vector<std::pair<std::string, int>> tileNames;  // in the order the sources give them
};

using CharacterSetBytes = std::array<uint8_t, CharacterSetFileBytes>;
using PaletteBytes = std::array<uint8_t, PaletteFileBytes>;

// Pixel (x, y) of tile `tile`, x and y from 0 to 7.
int tilePixel(const ArtBook& book, int tile, int x, int y);

// Adds one source text to the book. On a fault, `error` names the source, the line and the
// fault, and the book may hold part of the text.
bool readArtText(ArtBook& book, const std::string& text, const std::string& sourceName,
                 std::string& error);
// Adds every ".txt" file of a folder, in the order of their names. A folder without any is a
// fault.
bool readArtFolder(ArtBook& book, const std::string& folder, std::string& error);

// The character-set file: 32 bytes a tile in four bit planes, two interleaved row by row in
// each half, bit 7 the leftmost pixel.
CharacterSetBytes encodeCharacterSet(const ArtBook& book);
// The palette file: red, green, blue of each entry.
PaletteBytes encodePalette(const ArtBook& book);
// The sheet image as the composer reads it, packed two pixels a byte.
CharacterSheet packedSheet(const ArtBook& book);

// Writes quenmore.chr and quenmore.pal into `folder`, each through a temporary file that
// replaces the old one only once it is complete.
bool writeAssetFiles(const ArtBook& book, const std::string& folder, std::string& error);
// A colour scheme's palette: the book's colours with those a variant source gives in their
// place (a file of "group" and "colour" lines only). The variant may give any entry once.
bool readPaletteVariant(const ArtBook& book, const std::string& path, Palette& palette,
                        std::string& error);
// Writes a palette file at `path`, as the asset files are written.
bool writePaletteFile(const Palette& palette, const std::string& path, std::string& error);
// The header of the named tiles, a constant each in namespace `art`.
std::string tileNamesHeader(const ArtBook& book);
// Writes that header at `path`, as the asset files are written.
bool writeTileNames(const ArtBook& book, const std::string& path, std::string& error);
