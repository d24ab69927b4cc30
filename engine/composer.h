// The frame composer: turns the video memory into one finished picture in the framebuffer.
#pragma once

#include "engine/video_memory.h"

// Draws the four layers and the visible sprites, line by line, calling the line callback
// before each line. 1 when a frame was drawn, 0 when there is no framebuffer (then nothing
// happens at all: no callback, `composing` untouched).
int32_t composeFrame(VideoMemory& memory);

// Orders visible sprites by their key (placement bits 0-11), smallest first, in exactly the
// order a selection sort that swaps gives (at each position, the first of the smallest
// remaining keys is swapped in). That sort is not stable, and its order decides which of two
// overlapping sprites with equal keys is in front, so every tie must come out its way.
void sortSprites(SpriteEntry* list, int count);

// The inner loops the fast composer can run on. Both draw the same picture; Simd uses SSE2
// and exists only where the compiler targets it.
enum class ComposerKernels { Portable, Simd };

// True when this build carries the SIMD kernels.
bool composerHasSimdKernels();

// composeFrame with the chosen kernels; Simd in a build without them runs the portable ones.
// composeFrame itself runs the fastest kernels of the build.
int32_t composeFrameWith(VideoMemory& memory, ComposerKernels kernels);

// The straight per-pixel composer, written directly from the rules. Slow; it is the oracle
// that every faster composer is tested against.
int32_t composeFrameReference(VideoMemory& memory);
