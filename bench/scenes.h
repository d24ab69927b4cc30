// Scenes for measuring and cross-checking composers: video memory set up the way the
// program's screens set it up, with a synthetic character sheet of the same density.
#pragma once

#include "engine/video_memory.h"

enum class Scene {
    Menu,      // layers 1 to 3, no sprites
    Lesson,    // four layers, 55 visible 8x8 sprites, a line callback
    Title,     // layer 0 blending (mix) over layer 3
    Worst,     // four layers, multiply blending, 256 visible 32x32 sprites
    Progress,  // layers 0 to 2: text and graph tiles, key labels, tinted keys
    Guide,     // the lesson with the finger guide: keys in five groups, a lit key and its
               // label sprite, two hands of 24x32 and 24x8 sprites, bumps and finger marks
};

// Fills the memory (framebuffer already allocated) with the scene.
void buildScene(VideoMemory& memory, Scene scene);
const char* sceneName(Scene scene);
