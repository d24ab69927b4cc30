// Full screen on a monitor or a window at a whole multiple of the picture, as VideoState's
// choice says, and the key that switches between them on every screen: Alt+Enter.
#pragma once

#include "engine/display.h"

#include <cstdint>

union SDL_Event;

// Where and how the program's window is created for a choice: SDL's position, size and
// flags. Full screen on no chosen monitor is the program's first window as it always was.
struct WindowPlan {
    int32_t x, y, w, h;
    uint32_t flags;
};
WindowPlan windowPlan(const DisplayChoice& choice);
// Makes the window follow video.choice; without a window only the choice is kept.
void applyDisplayChoice(VideoState& video);
// The monitors SDL knows; at least 1.
int32_t monitorCount();
// The largest whole factor of the picture that fits the usable area of monitor `monitor`
// (1 for the first; 0: the window's), at least 2.
int32_t largestWindowScale(int32_t monitor);
// The next pending event of a screen's loop, as host.pollEvent gives it (1), or 0 for none.
// What belongs to the display on every screen is taken care of here and not given on:
// Alt+Enter switches between full screen and the window, F2 turns speech on or off, and
// moving the window is noted; audio devices coming and going are the sound output's.
int nextEvent(VideoState& video, SDL_Event& event);
