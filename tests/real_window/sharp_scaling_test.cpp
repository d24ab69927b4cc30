// The picture on a screen that is not a whole multiple of 320x180: every art pixel of the menu
// is as wide and as high as every other, within a tenth of the scale.
#include "tests/real_window/real_window_test.h"

#include <cmath>

namespace {

int difference(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
    return sum;
}

// The size in screen pixels of every art pixel of a run of one colour between two art pixels
// of another, along the picture's rows (or its columns), as its summed coverage: the colour
// difference to those neighbours summed over the screen pixels the run spans (and two beyond
// each end, still inside the neighbours), divided by the full difference and by its length.
std::vector<double> artPixelSizes(const Image& shot, const Image& picture, bool alongColumns) {
    const DisplayRect r = letterboxRect(shot.width, shot.height, ScreenWidth, ScreenHeight);
    const int length = alongColumns ? ScreenHeight : ScreenWidth;
    const int lines = alongColumns ? ScreenWidth : ScreenHeight;
    const int start = alongColumns ? r.y : r.x, span = alongColumns ? r.h : r.w;
    std::vector<double> sizes;
    for (int line = 0; line < lines; ++line) {
        // The screen line through the middle of the art pixels, where they are solid.
        const int across = alongColumns ? r.x + (2 * line + 1) * r.w / (2 * ScreenWidth)
                                        : r.y + (2 * line + 1) * r.h / (2 * ScreenHeight);
        const auto art = [&](int i) {
            return alongColumns ? picture.at(line, i) : picture.at(i, line);
        };
        const auto screen = [&](int i) {
            return alongColumns ? shot.at(across, i) : shot.at(i, across);
        };
        for (int first = 1, last = 1; first + 1 < length; first = last + 1) {
            last = first;
            while (last + 1 < length && art(last + 1) == art(first)) ++last;
            const uint32_t around = art(first - 1);
            const int full = difference(art(first), around);
            // Faint edges say little: rounding would weigh too much in them.
            if (last + 1 >= length || art(last + 1) != around || full < 120) continue;
            double coverage = 0;
            for (int i = start + first * span / length - 2;
                 i <= start + (last + 1) * span / length + 2; ++i)
                coverage += double(difference(screen(i), around)) / full;
            sizes.push_back(coverage / (last - first + 1));
        }
    }
    return sizes;
}

TEST_F(RealWindowTest, At1366x768EveryArtPixelOfTheMenuIsAsWideAndAsHighAsTheOthers) {
    ASSERT_NO_FATAL_FAILURE(startAt(1366, 768));
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(waitForText(MenuBestTime, "Best Time: --:--")) << read(look(), MenuBestTime);
    const Image shot = lastShot, picture = pictureOf(shot);
    for (const bool alongColumns : {false, true}) {
        const double scale = alongColumns ? 768.0 / ScreenHeight : 1365.0 / ScreenWidth;
        const std::vector<double> sizes = artPixelSizes(shot, picture, alongColumns);
        ASSERT_GT(sizes.size(), 200u);
        const auto [smallest, largest] = std::minmax_element(sizes.begin(), sizes.end());
        std::cout << sizes.size() << (alongColumns ? " heights" : " widths") << " from "
                  << *smallest << " to " << *largest << " (scale " << scale << ")\n";
        EXPECT_GT(*smallest, 0.9 * scale) << (alongColumns ? "height " : "width ") << *smallest;
        EXPECT_LT(*largest, 1.1 * scale) << (alongColumns ? "height " : "width ") << *largest;
    }
}

}  // namespace
