#include "engine/asset_files.h"

#include "platform/platform.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

AssetPath assetPathFor(const char* basePath, const char* relativeName) {
    AssetPath path{};
    if (basePath == nullptr) return path;
    if (!platform::isBuildOutputFolder(basePath)) path.text = basePath;
    path.text += relativeName;
    return path;
}

AssetPath buildAssetPath(const char* relativeName) {
    char* basePath = SDL_GetBasePath();
    AssetPath path = assetPathFor(basePath, relativeName);
    SDL_free(basePath);
    return path;
}

AssetPath installedAssetPathFor(const char* basePath, const char* dataFolder,
                                const char* relativeName) {
    AssetPath path{};
    if (basePath == nullptr || dataFolder == nullptr) return path;
    const char* slash = std::strrchr(relativeName, '/');
    const char* fileName = slash == nullptr ? relativeName : slash + 1;
    path.text = std::string(basePath) + dataFolder + fileName;
    return path;
}

AssetPath installedAssetPath(const char* relativeName) {
    char* basePath = SDL_GetBasePath();
    AssetPath path = installedAssetPathFor(basePath, platform::installedDataFolder(), relativeName);
    SDL_free(basePath);
    return path;
}

bool loadCharacterSheet(CharacterSheet& sheet, const char* path) {
    FILE* file = platform::openFile(path, "rb");
    if (file == nullptr) return false;
    size_t read = std::fread(sheet.data(), 1, sheet.size(), file);
    std::fclose(file);
    return read == CharacterSetFileBytes;
}

namespace {

// Spreads the 8 bits of a byte so that bit i lands on bit 4i of a 32-bit word.
uint32_t spreadNibbles(uint32_t bits) {
    bits = (bits | bits << 12) & 0x000F000Fu;
    bits = (bits | bits << 6) & 0x03030303u;
    bits = (bits | bits << 3) & 0x11111111u;
    return bits;
}

}  // namespace

void convertCharacterSheet(CharacterSheet& sheet) {
    CharacterSheet packed{};
    for (int tile = 0; tile < TileCount; ++tile) {
        const uint8_t* planes = sheet.data() + tile * 32;
        for (int row = 0; row < 8; ++row) {
            // Plane p's bit 7 (leftmost pixel) must become bit p of the word's top nibble, so
            // the spread word, most significant nibble first, holds the pixels left to right.
            uint32_t word =
                spreadNibbles(planes[2 * row]) | spreadNibbles(planes[2 * row + 1]) << 1 |
                spreadNibbles(planes[16 + 2 * row]) << 2 | spreadNibbles(planes[17 + 2 * row]) << 3;
            uint8_t* out = packed.data() + sheetOffset(tile, 0, row);
            out[0] = uint8_t(word >> 24);
            out[1] = uint8_t(word >> 16);
            out[2] = uint8_t(word >> 8);
            out[3] = uint8_t(word);
        }
    }
    sheet = packed;
}

bool loadPalette(Palette& palette, const char* path) {
    FILE* file = platform::openFile(path, "rb");
    if (file == nullptr) return false;
    uint8_t bytes[PaletteFileBytes] = {};
    size_t read = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    for (size_t k = 0; k < PaletteSize; ++k) {
        palette[k] = uint32_t(bytes[3 * k]) << 16 | uint32_t(bytes[3 * k + 1]) << 8 |
                     uint32_t(bytes[3 * k + 2]);
    }
    return read == PaletteFileBytes;
}
