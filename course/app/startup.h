// Bringing the system up in its fixed order, and the one way it ends.
#pragma once

#include "course/records/settings.h"
#include "engine/display.h"

#include <string>

struct StartupFailure {
    std::string message;  // what went wrong, for the learner; empty when none
};

// Start-up steps 1 to 10: video memory, SDL, the window (full screen, or as the settings
// choose; created as "Ombrine Test", then titled "Quenmore"), hidden pointer, display
// output, framebuffer, frame period, character set and palette (the settings' colour
// scheme's, when it can be read). False, with a message, when a step fails.
bool startUp(VideoState& video, const Settings& settings, StartupFailure& failure);
// Destroys the window, shuts SDL down and ends the process with status 0.
[[noreturn]] void shutDown(VideoState& video);
// Shows the message (stderr, and a message box on Windows), shuts SDL down and ends the
// process with status 1.
[[noreturn]] void stopWithMessage(VideoState& video, const char* message);
