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

TEST(VideoMemory, AddressesAndRegisterWordsHaveTheDocumentedLayout) {
    EXPECT_EQ(mapIndex(3, 5, 2), 12421);
    // Tile 1023 is tile column 15, tile row 63; its last pixel is the low nibble of the
    // sheet's last byte.
    EXPECT_EQ(sheetOffset(1023, 7, 7), 32767);
    EXPECT_EQ(sheetOffset(17, 0, 0), 516);
    EXPECT_EQ(sheetOffset(17, 0, 7), 964);
    EXPECT_EQ(LayerEnable | layerScroll(-40, -20), 0x81EC01D8u);
    EXPECT_EQ(LayerEnable | layerBlend(BlendMix, 0) | layerScroll(128, 0), 0x90000080u);
    EXPECT_EQ(layerBlend(0, 127), 0x0000FE00u);
    EXPECT_EQ(cellTile(320, 4), 0x1140);
    EXPECT_EQ(SpriteVisible | spriteTile(6) | 84u, 0x4060054u);
    EXPECT_EQ(SpritePriority | spriteLevel(1) | spriteGroup(1), 0x1600u);
}
