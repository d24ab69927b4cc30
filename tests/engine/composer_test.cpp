// Rules the reference composer must get right; the differential tests hold the fast one to it.
#include "engine/composer.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r << 16 | g << 8 | b;
}

class ReferenceComposer : public ::testing::Test {
  protected:
    TestVideo test;
    VideoMemory& memory = test.memory();

    void SetUp() override {
        memory.sheet.fill(0);
        memory.maps.fill(0);
        for (int i = 0; i < PaletteSize; ++i) memory.palette[size_t(i)] = rgb(0, 0, uint32_t(i));
    }
    void compose() { ASSERT_EQ(composeFrameReference(memory), 1); }
    // Expects palette entry `index` at screen (x, y) for each {x, y, index}.
    void expectColours(std::initializer_list<std::array<int, 3>> points) {
        for (const auto& p : points)
            EXPECT_EQ(test.pixel(p[0], p[1]), memory.palette[size_t(p[2])]) << p[0] << "," << p[1];
    }
    void fillMap(int layer, TileCell cell) {
        for (int i = 0; i < MapCellCount; ++i) memory.maps[size_t(layer * MapCellCount + i)] = cell;
    }
    // A sprite showing tile `tile` at screen (x, y).
    void placeSprite(int index, int tile, int x, int y, uint32_t placementBits,
                     uint32_t attributeBits = 0) {
        memory.sprites[size_t(index)] = {SpriteVisible | attributeBits | spriteTile(tile) |
                                             encodeSpriteCoordinate(y, ScreenHeight),
                                         placementBits | encodeSpriteCoordinate(x, ScreenWidth)};
    }
};

TEST_F(ReferenceComposer, CallbackRunsBeforeEachLineAndItsChangesApplyFromThatLine) {
    setTilePixel(memory.sheet, 1, 0, 0, 1);
    for (int row = 0; row < 64; ++row) memory.maps[size_t(mapIndex(3, 0, row))] = cellTile(1, 0);
    memory.layers[3] = LayerEnable;
    fillTile(memory.sheet, 2, 2);
    placeSprite(0, 2, 200, 0, spriteLevel(0));
    std::vector<int> lines;
    memory.lineCallbackData = &lines;
    memory.lineCallback = [](VideoMemory& m, int32_t line, void* data) {
        static_cast<std::vector<int>*>(data)->push_back(line);
        EXPECT_EQ(m.composing, 1);
        if (line == 120) {
            m.layers[3] = LayerEnable | layerScroll(1, 0);
            m.sprites[0].placement = encodeSpriteCoordinate(250, 320);
        }
    };
    compose();
    EXPECT_EQ(memory.composing, 0);
    ASSERT_EQ(lines.size(), 180u);
    for (int i = 0; i < 180; ++i) EXPECT_EQ(lines[size_t(i)], i);
    // The new scroll applies from line 120; the sprite table was read before line 0.
    expectColours({{0, 112, 1}, {0, 120, 0}, {7, 120, 0}, {200, 0, 2}, {250, 0, 0}});
    memory.lineCallback = nullptr;
    compose();
    expectColours({{0, 0, 0}, {250, 0, 2}});
}

TEST_F(ReferenceComposer, TilesAndSpritesInFrontByLevelAndPriority) {
    fillTile(memory.sheet, 2, 5);
    fillTile(memory.sheet, 3, 9);
    // Level 0 is in front of all but a layer-0 tile without priority against a sprite with it.
    struct Case {
        int tileLayer, tilePriority, spriteLevel, spritePriority, spriteShows;
    };
    const Case cases[] = {{1, 0, 2, 0, 0}, {1, 1, 2, 1, 0}, {2, 0, 2, 1, 0}, {2, 0, 2, 0, 1},
                          {2, 1, 2, 0, 1}, {2, 1, 2, 1, 1}, {3, 0, 2, 0, 1}, {3, 1, 2, 0, 1},
                          {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}};
    for (const Case& c : cases) {
        memory.maps.fill(0);
        memory.layers.fill(0);
        fillMap(c.tileLayer, cellTile(2, 0) | (c.tilePriority ? CellPriority : 0));
        memory.layers[size_t(c.tileLayer)] = LayerEnable;
        placeSprite(0, 3, 40, 40,
                    spriteLevel(c.spriteLevel) | (c.spritePriority ? SpritePriority : 0));
        compose();
        expectColours({{44, 44, c.spriteShows ? 9 : 5}});
    }
    // Among sprites the smaller key is in front, whatever the table order, and shows the
    // one behind through its transparent pixels.
    memory.layers.fill(0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) setTilePixel(memory.sheet, 6, x, y, x < 4 ? 6 : 0);
    placeSprite(0, 3, 62, 50, spriteLevel(1));  // x field 94
    placeSprite(1, 6, 60, 50, spriteLevel(1));  // x field 92
    compose();
    expectColours({{60, 50, 6}, {62, 50, 6}, {65, 50, 9}, {69, 50, 9}});
}

TEST_F(ReferenceComposer, BlendArithmeticIsExact) {
    struct Case {
        int mode, amount;
        uint32_t source, base, expected;
        bool sourceShown = true;  // otherwise layer 0 is transparent: the base is dimmed
    };
    const Case cases[] = {
        {BlendMix, 64, rgb(200, 100, 0), rgb(0, 100, 200), rgb(100, 99, 98)},
        {BlendAdd, 127, rgb(255, 255, 255), rgb(200, 0, 0), rgb(255, 253, 253)},
        {BlendMultiply, 127, rgb(255, 128, 0), rgb(255, 255, 255), rgb(252, 126, 0)},
        {BlendMix, 127, rgb(255, 255, 255), rgb(0, 0, 0), rgb(253, 253, 253)},
        {5, 100, rgb(255, 0, 0), rgb(1, 2, 3), rgb(1, 2, 3)},
        {BlendMix, 90, 0, rgb(255, 255, 255), rgb(253, 253, 253), false},
        {BlendAdd, 90, 0, rgb(255, 255, 255), rgb(255, 255, 255), false},
        {BlendMultiply, 90, 0, rgb(255, 255, 255), rgb(252, 252, 252), false},
    };
    fillTile(memory.sheet, 2, 1);
    fillMap(1, cellTile(2, 2));
    memory.layers[1] = LayerEnable;
    for (const Case& c : cases) {
        fillMap(0, c.sourceShown ? cellTile(2, 1) : 0);
        memory.palette[17] = c.source;
        memory.palette[33] = c.base;
        memory.layers[0] = LayerEnable | layerBlend(c.mode, c.amount);
        compose();
        EXPECT_EQ(test.pixel(3, 3), c.expected) << "mode " << c.mode << " amount " << c.amount;
    }
    // Level-0 sprites belong to the blend source, the others to the base.
    fillMap(0, 0);
    memory.palette[33] = rgb(0, 0, 0);
    memory.palette[49] = rgb(254, 254, 254);
    placeSprite(0, 2, 0, 0, spriteLevel(0) | spriteGroup(3));
    placeSprite(1, 2, 100, 0, spriteLevel(1) | spriteGroup(3));
    for (int amount : {127, 0}) {
        memory.layers[0] = LayerEnable | layerBlend(BlendMix, amount);
        compose();
        EXPECT_EQ(test.pixel(3, 3), amount ? rgb(252, 252, 252) : 0u);  // 254 * 127 >> 7
        EXPECT_EQ(test.pixel(103, 3), rgb(252, 252, 252));              // the base dimmed by a = 0
    }
}

// A wide sprite flips as a whole, sprites are cut at the edges without wrapping, groups 8 to 15
// reach the palette's top half, a scrolled layer wraps, and a disabled layer 0 blends nothing.
TEST_F(ReferenceComposer, FlipsScrollsClipsAndGroups) {
    setTilePixel(memory.sheet, 55, 0, 0, 1);
    setTilePixel(memory.sheet, 56, 0, 0, 2);
    placeSprite(0, 55, 40, 40, 0, SpriteFlipX | spriteSize(2, 1));
    compose();
    expectColours({{55, 40, 1}, {47, 40, 2}, {40, 40, 0}, {48, 40, 0}});

    resetSprites(memory);
    for (int y = 0; y < 8; ++y) setTilePixel(memory.sheet, 3, 0, y, y + 1);
    placeSprite(0, 3, 0, -4, 0);    // rows 4 to 7 on lines 0 to 3
    placeSprite(1, 3, 316, 20, 0);  // columns 316 to 319 only
    placeSprite(2, 3, -4, 40, 0);   // nothing of it at the right edge
    placeSprite(3, 3, 100, 60, spriteGroup(12));
    compose();
    expectColours({{0, 0, 5}, {0, 3, 8}, {0, 4, 0}, {316, 20, 1}, {0, 20, 0}, {3, 20, 0}});
    expectColours({{316, 40, 0}, {319, 40, 0}, {100, 60, 12 * 16 + 1}});

    resetSprites(memory);
    memory.maps[size_t(mapIndex(3, 0, 0))] = cellTile(3, 0);
    memory.layers[3] = LayerEnable | layerScroll(0, 500);  // map line 0 at screen line 12
    compose();
    expectColours({{0, 11, 0}, {0, 12, 1}, {0, 19, 8}, {0, 20, 0}});

    memory.palette[1] = rgb(255, 255, 255);
    memory.layers[0] = layerBlend(BlendMix, 0);
    compose();
    EXPECT_EQ(test.pixel(0, 12), rgb(255, 255, 255));
}

TEST(SpriteCoordinates, KeepTheirPlaceOrParkPastTheEdge) {
    struct Case {
        int coordinate, limit;
        uint32_t field;
    };
    const Case cases[] = {{0, 320, 32},    {-32, 320, 0},   {-33, 320, 352},
                          {320, 320, 352}, {321, 320, 352}, {1000, 320, 352},
                          {100, 180, 132}, {200, 180, 212}, {-32768, 320, 352}};
    for (const Case& c : cases)
        EXPECT_EQ(encodeSpriteCoordinate(c.coordinate, c.limit), c.field) << c.coordinate;
}

}  // namespace
