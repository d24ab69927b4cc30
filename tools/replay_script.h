// The replay tool's script: one instruction per line, read into scheduled events of a
// virtual host, the frames to capture and the frame to stop after (see tools/replay.cpp).
#pragma once

#include "testing/virtual_host.h"

#include <cstdint>
#include <set>
#include <string>

struct ReplayScript {
    std::set<uint64_t> captures;
    uint64_t endFrame = 0;
};

// Reads the script's text: its events go to `clock`, its captures and end to `script`. False,
// with the line and the fault in `error`, on the first line that is not an instruction, or
// when there is nothing to capture and no end.
bool readReplayScript(const std::string& text, VirtualHost& clock, ReplayScript& script,
                      std::string& error);
