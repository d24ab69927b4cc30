// The two asset files: the character set (1024 planar 4-bit tiles) and the palette (256 RGB
// triples), found beside the executable, and the conversion of the tiles into the packed
// sheet image that the composer reads.
#pragma once

#include "engine/video_memory.h"

#include <cstddef>
#include <string>

constexpr const char* CharacterSetFileName = "assets/quenmore.chr";
constexpr const char* PaletteFileName = "assets/quenmore.pal";
constexpr size_t CharacterSetFileBytes = 32768;
constexpr size_t PaletteFileBytes = 768;

struct AssetPath {
    std::string text;  // empty when the executable's folder is unknown
};

// Where an asset file is opened: the executable's folder, of any length, followed by the
// relative name, or the relative name alone (looked up from the working directory) when the
// executable lies in a "\Release\" or "\Debug\" build folder. No path (empty) when the
// executable's folder is unknown: the files beside it cannot be found.
AssetPath buildAssetPath(const char* relativeName);
// The same rule for a given executable folder (null for unknown).
AssetPath assetPathFor(const char* basePath, const char* relativeName);
// Where an installed program keeps the file, looked in when it is not at buildAssetPath's
// place: the executable's folder, the system's installed data folder relative to it
// ("../share/quenmore/": bin/quenmore reads share/quenmore/quenmore.chr) and the file's name
// without its "assets/" folder. Empty text on a system without such a folder, or when the
// executable's folder is unknown.
AssetPath installedAssetPath(const char* relativeName);
// The same for a given executable folder and data folder (either null for none).
AssetPath installedAssetPathFor(const char* basePath, const char* dataFolder,
                                const char* relativeName);

// Reads up to 32768 bytes of the character-set file into the sheet. A missing file leaves
// the sheet untouched; a short one leaves the bytes past its end untouched. True only when
// the whole 32768 bytes were read.
bool loadCharacterSheet(CharacterSheet& sheet, const char* path);
// Converts the sheet in place from the file's planar tiles to the packed 128x512 image.
void convertCharacterSheet(CharacterSheet& sheet);
// Reads the 256 colours of the palette file. A missing file leaves the palette untouched;
// entries past the end of a short file become 0 (black). True only when all 768 bytes were
// read.
bool loadPalette(Palette& palette, const char* path);
