#include "engine/video_memory.h"

#include <gtest/gtest.h>

TEST(VideoMemory, SpriteCoordinatesKeepTheirPlaceOrParkPastTheEdge) {
    struct Case {
        int coordinate, limit;
        uint32_t field;
    };
    const Case cases[] = {{0, 320, 32},    {-32, 320, 0},   {-33, 320, 352},
                          {320, 320, 352}, {321, 320, 352}, {1000, 320, 352},
                          {100, 180, 132}, {200, 180, 212}, {-32768, 320, 352}};
    for (const Case& c : cases) {
        EXPECT_EQ(encodeSpriteCoordinate(c.coordinate, c.limit), c.field)
            << c.coordinate << " within " << c.limit;
    }
}
