// Builds the two asset files from the art sources, and the header of the art's named tiles:
//   quenmore_build_assets ART_FOLDER ASSETS_FOLDER TILE_NAMES_HEADER
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
    return 0;
}
