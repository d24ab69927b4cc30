// Looks at the built art through the engine's own loaders:
//   quenmore_art_preview sheet ASSETS_FOLDER GROUP OUT.png [SCALE]
//       the whole 128x512 sheet in palette group GROUP, each tile scaled up and framed by a
//       one-pixel grid; transparent pixels show palette entry 0, the backdrop
// The real screens drawn with this art are the golden frames in tests/golden/, which
// script/update-goldens writes anew.
#include "engine/asset_files.h"
#include "engine/video_memory.h"
#include "tools/png_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t GridColour = 0x404040;

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s sheet ASSETS_FOLDER GROUP OUT.png [SCALE]\n", program);
    return 2;
}

// A whole number from `low` to `high`, or -1.
int argumentNumber(const char* text, int low, int high) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) return -1;
    return int(value);
}

bool loadAssets(VideoMemory& memory, const std::string& folder) {
    const std::string sheetPath = folder + "/quenmore.chr";
    const std::string palettePath = folder + "/quenmore.pal";
    if (!loadCharacterSheet(memory.sheet, sheetPath.c_str())) {
        std::fprintf(stderr, "%s: missing or short\n", sheetPath.c_str());
        return false;
    }
    convertCharacterSheet(memory.sheet);
    if (!loadPalette(memory.palette, palettePath.c_str())) {
        std::fprintf(stderr, "%s: missing or short\n", palettePath.c_str());
        return false;
    }
    return true;
}

int previewSheet(const VideoMemory& memory, int group, const std::string& path, int scale) {
    const int cellSide = 8 * scale + 1;
    const int width = 16 * cellSide + 1;
    const int height = 64 * cellSide + 1;
    std::vector<uint32_t> picture(size_t(width) * size_t(height), GridColour);
    for (int y = 0; y < 512 * scale; ++y) {
        for (int x = 0; x < 128 * scale; ++x) {
            const int sx = x / scale;
            const int sy = y / scale;
            const uint8_t byte = memory.sheet[size_t(sy * SheetRowBytes + sx / 2)];
            const int value = (sx % 2 == 0) ? byte >> 4 : byte & 15;
            const uint32_t colour = memory.palette[size_t(value == 0 ? 0 : group * 16 + value)];
            const int px = (x / (8 * scale)) * cellSide + 1 + x % (8 * scale);
            const int py = (y / (8 * scale)) * cellSide + 1 + y % (8 * scale);
            picture[size_t(py * width + px)] = colour;
        }
    }
    if (!writePng(path.c_str(), picture.data(), width, height)) {
        std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc > 6 || std::strcmp(argv[1], "sheet") != 0) return usage(argv[0]);
    const int group = argumentNumber(argv[3], 0, 15);
    const int scale = argumentNumber(argc == 6 ? argv[5] : "4", 1, 16);
    if (group < 0 || scale < 0) return usage(argv[0]);

    auto memory = std::make_unique<VideoMemory>();
    initVideoMemory(*memory);
    return loadAssets(*memory, argv[2]) ? previewSheet(*memory, group, argv[4], scale) : 1;
}
