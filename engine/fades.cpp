#include "engine/fades.h"

namespace {

// Both fades leave layer 2 enabled and shifted by (level & 1): the menu's selection bar
// keeps its one-pixel shimmer through a fade, and the word stays behind afterwards.
bool fade(VideoState& video, int firstLevel, int step) {
    const Palette saved = video.memory.palette;
    bool going = true;
    for (int level = firstLevel; going && level >= 0 && level < FadeLevels; level += step) {
        scalePalette(video.memory.palette, saved, uint32_t(level));
        video.memory.layers[2] = LayerEnable | uint32_t(level & 1);
        going = showFrame(video);
    }
    video.memory.palette = saved;
    return going;
}

}  // namespace

void scalePalette(Palette& palette, const Palette& saved, uint32_t level) {
    for (size_t i = 0; i < palette.size(); ++i) {
        uint32_t colour = saved[i];
        uint32_t red = (colour >> 16 & 0xFF) * level >> 6;
        uint32_t green = (colour >> 8 & 0xFF) * level >> 6;
        uint32_t blue = (colour & 0xFF) * level >> 6;
        palette[i] = red << 16 | green << 8 | blue;
    }
}

bool fadeIn(VideoState& video) {
    return fade(video, 0, 1);
}

bool fadeOut(VideoState& video) {
    return fade(video, FadeLevels - 1, -1);
}
