// The title screen: scrolling backdrop, the logo blending in, a blinking prompt.
#pragma once

struct VideoState;

// Writes the title's tile maps and layer words.
void setUpTitleScreen(VideoState& video);
// Fades in, waits for a key, fades out. Escape or a window close ends the program at once.
void runTitleScreen(VideoState& video);
