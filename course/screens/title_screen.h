// The title screen: scrolling backdrop, the logo blending in, a blinking prompt.
#pragma once

#include "course/common/screen_exit.h"

struct VideoState;

// Writes the title's tile maps and layer words.
void setUpTitleScreen(VideoState& video);
// Fades in, waits for a key, fades out: Done. Escape or a window close: Quit at once.
ScreenExit runTitleScreen(VideoState& video);
