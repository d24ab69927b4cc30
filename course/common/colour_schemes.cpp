#include "course/common/colour_schemes.h"

#include "engine/asset_files.h"

const ColourSchemeAsset ColourSchemes[ColourSchemeCount] = {
    {"Standard", "standard", PaletteFileName, nullptr},
    {"High contrast", "high-contrast", "assets/quenmore-high-contrast.pal",
     "palettes/high-contrast.txt"},
    {"Colour-blind", "colour-blind", "assets/quenmore-colour-blind.pal",
     "palettes/colour-blind.txt"},
};

bool loadColourScheme(ColourScheme scheme, Palette& palette) {
    const int index = int(scheme);
    if (index < 0 || index >= ColourSchemeCount) return false;
    const char* name = ColourSchemes[index].fileName;
    Palette read = palette;
    for (const AssetPath& path : {buildAssetPath(name), installedAssetPath(name)}) {
        if (!path.text.empty() && loadPalette(read, path.text.c_str())) {
            palette = read;
            return true;
        }
    }
    return false;
}
