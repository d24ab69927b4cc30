// The relative luminance of a 0xRRGGBB colour and the contrast ratio of two, as the web's
// accessibility guidelines define them: 4.5 is the least for legible text.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

inline double luminance(uint32_t colour) {
    double sum = 0;
    const double weights[3] = {0.2126, 0.7152, 0.0722};
    for (int channel = 0; channel < 3; ++channel) {
        const double value = double(colour >> (16 - 8 * channel) & 0xFF) / 255;
        sum += weights[channel] *
               (value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4));
    }
    return sum;
}

inline double contrast(uint32_t a, uint32_t b) {
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
