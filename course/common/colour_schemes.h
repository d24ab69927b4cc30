// The colour schemes a learner can choose: the standard palette, one with high contrast and
// one whose colours stay apart for colour-blind eyes. Each is a palette file among the
// assets, built from the palette sources in art/ (a scheme's source gives only the colours
// it changes).
#pragma once

#include "engine/video_memory.h"

#include <cstdint>

enum class ColourScheme : uint8_t { Standard, HighContrast, ColourBlind };
constexpr int ColourSchemeCount = 3;

struct ColourSchemeAsset {
    const char* label;        // as the Options screen names it
    const char* settingName;  // as the settings file names it
    const char* fileName;     // the palette file, relative to the program's folder
    const char* artSource;    // its source, relative to art/; null: the art's own palette
};
extern const ColourSchemeAsset ColourSchemes[ColourSchemeCount];

// Reads a scheme's palette file from where the program finds its assets. False, with the
// palette untouched, when it is missing or short; the caller keeps the palette it has.
bool loadColourScheme(ColourScheme scheme, Palette& palette);
