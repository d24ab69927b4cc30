#include "course/common/finger_colours.h"

#include <algorithm>

namespace {

// The hands' values: outline, the palm's face, highlight and shade, then each finger's fill
// and, after them, its highlight.
constexpr int HandOutline = 1;
constexpr int PalmFace = 2;
constexpr int PalmHighlight = 3;
constexpr int PalmShade = 4;
constexpr int FirstFingerFill = 5;
constexpr int FirstFingerHighlight = FirstFingerFill + FingerHueCount;

// Group 0's key colours and the values of group 11.
constexpr int KeyOutline = 2;
constexpr int KeyFace = 3;
constexpr int KeyHighlight = 4;
constexpr int KeySide = 5;
constexpr int FirstLitColour = 3;
constexpr int FirstQuietColour = FirstLitColour + FingerHueCount;

uint32_t scaled(uint32_t colour, uint32_t toward, uint32_t parts) {  // parts of 8 toward
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t from = colour >> shift & 0xFF, to = toward >> shift & 0xFF;
        result |= ((from * (8 - parts) + to * parts) / 8) << shift;
    }
    return result;
}

uint32_t entry(const Palette& palette, int group, int value) {
    return palette[size_t(group * 16 + value)];
}

}  // namespace

KeyShades shadesOf(uint32_t face) {
    return {face, scaled(face, 0xFFFFFF, 2), scaled(face, 0, 3)};
}

KeyShades litShades(const Palette& palette, int hue) {
    return shadesOf(entry(palette, FingerColourGroup, FirstLitColour + hue));
}

KeyShades quietShades(const Palette& palette, int hue) {
    return shadesOf(entry(palette, FingerColourGroup, FirstQuietColour + hue));
}

void putFingerColours(Palette& palette) {
    for (int hue = 0; hue < FingerHueCount; ++hue) {
        const size_t base = size_t((FirstZoneGroup + hue) * 16);
        std::copy_n(palette.begin(), 16, palette.begin() + std::ptrdiff_t(base));
        const KeyShades quiet = quietShades(palette, hue), lit = litShades(palette, hue);
        palette[base + KeyFace] = quiet.face;
        palette[base + KeyHighlight] = quiet.highlight;
        palette[base + KeySide] = quiet.side;
        palette[base + LitFaceValue] = lit.face;
        palette[base + LitHighlightValue] = lit.highlight;
        palette[base + LitSideValue] = lit.side;
        palette[base + LitLabelValue] = entry(palette, FingerColourGroup, LitLabelValue);
    }
    putHandColours(palette, LeftHandGroup, 0);
    putHandColours(palette, RightHandGroup, 0);
}

void putHandColours(Palette& palette, int group, uint32_t markedHues) {
    const auto set = [&palette, group](int value, uint32_t colour) {
        palette[size_t(group * 16 + value)] = colour;
    };
    set(HandOutline, entry(palette, 0, KeyOutline));
    set(PalmFace, entry(palette, 0, KeyFace));
    set(PalmHighlight, entry(palette, 0, KeyHighlight));
    set(PalmShade, entry(palette, 0, KeySide));
    for (int hue = 0; hue < FingerHueCount; ++hue) {
        const bool marked = (markedHues >> hue & 1) != 0;
        const KeyShades lit = litShades(palette, hue);
        set(FirstFingerFill + hue, marked ? lit.face : entry(palette, 0, KeyFace));
        set(FirstFingerHighlight + hue, marked ? lit.highlight : entry(palette, 0, KeyHighlight));
    }
}

bool fingerGuideGroup(int group) {
    return (group >= FirstZoneGroup && group < FirstZoneGroup + FingerHueCount) ||
           group == LeftHandGroup || group == RightHandGroup;
}
