// The finger guide's colours. Palette group 11 gives, for each hue of the fingers (mirrored
// fingers share one), a bright colour for the key to press and a quiet one for every key the
// finger types; the lesson screen puts them into the groups it draws the keys and the hands
// with, made from group 0's key colours, so that every colour scheme has its own.
#pragma once

#include "engine/video_memory.h"

#include <cstdint>

constexpr int FingerColourGroup = 11;
constexpr int FingerHueCount = 5;  // little, ring, middle, index, thumbs
constexpr int FirstZoneGroup = 3;  // tile groups 3 to 7: a hue's keys, quiet and lit
constexpr int LeftHandGroup = 12;  // the hands' sprites, their marked fingers bright
constexpr int RightHandGroup = 13;

// In a zone group: group 0 with the key face, highlight and side of the quiet tint, the lit
// key's in the values below, and the lit key's label ink in value 1.
constexpr int LitLabelValue = 1;
constexpr int LitFaceValue = 11;
constexpr int LitHighlightValue = 12;
constexpr int LitSideValue = 13;

struct KeyShades {
    uint32_t face, highlight, side;
};
// A face colour with its highlight and side worked out from it, lighter and darker.
KeyShades shadesOf(uint32_t face);
KeyShades litShades(const Palette& palette, int hue);
KeyShades quietShades(const Palette& palette, int hue);

// Fills the zone groups, and both hands' groups with no finger marked, from groups 0 and 11.
void putFingerColours(Palette& palette);
// Rewrites a hand's group with the fingers of `markedHues` (a bit per hue) bright.
void putHandColours(Palette& palette, int group, uint32_t markedHues);
// The groups the finger guide draws with besides group 0.
bool fingerGuideGroup(int group);
