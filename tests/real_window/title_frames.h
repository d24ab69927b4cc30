// Every picture the title screen can show once its logo has fully blended in, rendered by
// the engine headless. The real program runs on the real clock, so a screenshot may catch
// any of them: the backdrop's 48 offsets, each with the prompt on and off.
#pragma once

#include "tests/real_window/screen_reader.h"

#include <vector>

// The distinct title pictures from the frame the logo is complete on, in frame order.
// Computed once, with the art in `assetsFolder`.
const std::vector<Picture>& titleFrames(const char* assetsFolder);
