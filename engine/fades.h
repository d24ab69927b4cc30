// Palette fades through black: 64 frames each, done entirely in the palette.
#pragma once

#include "engine/display.h"

// Brightness levels of a fade: level / 64 of the colours, one level a frame.
constexpr int FadeLevels = 64;

// Shows 64 frames at 0/64 to 63/64 of the colours, then restores the palette. False when
// the program is to end (showFrame said so); the fade stops there.
bool fadeIn(VideoState& video);
// Shows 64 frames at 63/64 down to 0/64 of the colours, then restores the palette; false as
// fadeIn.
bool fadeOut(VideoState& video);
// Every palette entry scaled to level/64 of `saved`, top byte cleared.
void scalePalette(Palette& palette, const Palette& saved, uint32_t level);
