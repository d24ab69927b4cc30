// Builds the two asset files from the art sources, and the header of the art's named tiles:
//   quenmore_build_assets ART_FOLDER ASSETS_FOLDER TILE_NAMES_HEADER
#include "course/common/colour_schemes.h"
#include "tools/art_book.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ART_FOLDER ASSETS_FOLDER TILE_NAMES_HEADER\n", argv[0]);
        return 2;
    }
    auto book = std::make_unique<ArtBook>();
    std::string error;
    if (!readArtFolder(*book, argv[1], error) || !writeAssetFiles(*book, argv[2], error) ||
        !writeTileNames(*book, argv[3], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // The other colour schemes: the art's palette with each scheme's own colours.
    for (const ColourSchemeAsset& scheme : ColourSchemes) {
        if (scheme.artSource == nullptr) continue;
        Palette palette{};
        const std::string file = std::string(scheme.fileName).substr(std::string("assets/").size());
        if (!readPaletteVariant(*book, std::string(argv[1]) + "/" + scheme.artSource, palette,
                                error) ||
            !writePaletteFile(palette, std::string(argv[2]) + "/" + file, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
