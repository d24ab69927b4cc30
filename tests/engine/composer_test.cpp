// Composing rules, checked on both the production composer and the reference composer.
#include "engine/composer.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Composer = int32_t (*)(VideoMemory&);

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r << 16 | g << 8 | b;
}

class ComposerTest : public ::testing::TestWithParam<Composer> {
  protected:
    TestVideo test;
    VideoMemory& memory = test.memory();

    void SetUp() override {
        memory.sheet.fill(0);
        memory.maps.fill(0);
        for (int i = 0; i < PaletteSize; ++i) memory.palette[size_t(i)] = rgb(0, 0, uint32_t(i));
        memory.lineCallbackData = nullptr;
    }
    void compose() { ASSERT_EQ(GetParam()(memory), 1); }
    uint32_t pixel(int x, int y) const { return test.pixel(x, y); }
    uint32_t colour(int index) const { return memory.palette[size_t(index)]; }
    // Expects palette entry `index` at screen (x, y) for each {x, y, index}.
    void expectColours(std::initializer_list<std::array<int, 3>> points) {
        for (const auto& p : points)
            EXPECT_EQ(pixel(p[0], p[1]), colour(p[2])) << p[0] << "," << p[1];
    }

    void fillMap(int layer, TileCell cell) {
        for (int i = 0; i < MapCellCount; ++i) memory.maps[size_t(layer * MapCellCount + i)] = cell;
    }
    // A sprite showing tile `tile`, w x h tiles, at screen (x, y).
    void placeSprite(int index, int tile, int x, int y, uint32_t placementBits, int w = 1,
                     int h = 1) {
        memory.sprites[size_t(index)].attributes = SpriteVisible | spriteTile(tile) |
                                                   spriteSize(w, h) |
                                                   encodeSpriteCoordinate(y, ScreenHeight);
        memory.sprites[size_t(index)].placement =
            placementBits | encodeSpriteCoordinate(x, ScreenWidth);
    }
};

TEST_P(ComposerTest, BackdropEverywhereAndTheCallbackRunsOncePerLineInOrder) {
    memory.palette[0] = 0x00ABCDEF;
    std::vector<int> lines;
    memory.lineCallback = [](VideoMemory& m, int32_t line, void* data) {
        static_cast<std::vector<int>*>(data)->push_back(line);
        EXPECT_EQ(m.composing, 1);
    };
    memory.lineCallbackData = &lines;
    compose();
    EXPECT_EQ(memory.composing, 0);
    ASSERT_EQ(lines.size(), 180u);
    for (int i = 0; i < 180; ++i) EXPECT_EQ(lines[size_t(i)], i);
    EXPECT_EQ(pixel(0, 0), 0x00ABCDEFu);
    EXPECT_EQ(pixel(319, 179), 0x00ABCDEFu);

    // Without a framebuffer nothing is drawn or called.
    uint32_t* pixels = memory.pixels;
    memory.pixels = nullptr;
    memory.composing = 7;
    EXPECT_EQ(GetParam()(memory), 0);
    EXPECT_EQ(lines.size(), 180u);
    EXPECT_EQ(memory.composing, 7);
    memory.pixels = pixels;
}

TEST_P(ComposerTest, LayersWrapAndFlipWithinTheirTiles) {
    setTilePixel(memory.sheet, 1, 7, 0, 3);  // tile 1: one pixel of value 3 at (7, 0)
    memory.maps[size_t(mapIndex(0, 63, 0))] = tileCell(1, 2);
    memory.layers[0] = LayerEnable | layerScroll(511, 0);
    compose();
    // Screen column 0 shows map pixel column 511 (cell 63, x 7); column 1 wraps to map 0.
    expectColours({{0, 0, 2 * 16 + 3}, {1, 0, 0}});

    // Flipped both ways the pixel moves to (0, 7) of the cell.
    memory.maps[size_t(mapIndex(0, 63, 0))] = tileCell(1, 2) | CellFlipX | CellFlipY;
    memory.layers[0] = LayerEnable | layerScroll(504, 0);
    compose();
    expectColours({{0, 7, 2 * 16 + 3}, {7, 0, 0}});

    // Vertical scroll 500: screen line 20 shows map row 8.
    memory.maps.fill(0);
    memory.maps[size_t(mapIndex(0, 0, 1))] = tileCell(1, 1);
    memory.layers[0] = LayerEnable | layerScroll(0, 500);
    compose();
    expectColours({{7, 20, 16 + 3}, {7, 19, 0}});
}

TEST_P(ComposerTest, FrontLayerHidesTheOnesBehindAndDisabledLayersAreSkipped) {
    fillTile(memory.sheet, 2, 5);
    fillMap(1, tileCell(2, 1));
    fillMap(3, tileCell(2, 3));
    memory.layers[1] = layerScroll(0, 0);  // disabled
    memory.layers[3] = LayerEnable;
    compose();
    expectColours({{10, 10, 3 * 16 + 5}});
    memory.layers[1] = LayerEnable;
    compose();
    expectColours({{10, 10, 1 * 16 + 5}});
}

TEST_P(ComposerTest, SpritesOnlyWhereTheirBoxIsOnScreen) {
    for (int row = 0; row < 4; ++row)
        for (int t = 0; t < 4; ++t) fillTile(memory.sheet, 64 + row * 16 + t, 1);  // 32x32
    // y field 0 with height 32 covers lines -32 to -1; y field 1 shows only its last row.
    memory.sprites[0] = {SpriteVisible | spriteTile(64) | spriteSize(4, 4) | 0, 32 + 10};
    memory.sprites[1] = {SpriteVisible | spriteTile(64) | spriteSize(4, 4) | 1, 32 + 100};
    // x field 500 (column 468) is never drawn: sprites do not wrap.
    memory.sprites[2] = {SpriteVisible | spriteTile(64) | spriteSize(4, 4) | 32, 500};
    compose();
    expectColours({{10, 0, 0}, {100, 0, 1}, {131, 0, 1}, {100, 1, 0}});
    for (int x = 0; x < 40; ++x) EXPECT_EQ(pixel(x, 5), colour(0)) << x;
}

TEST_P(ComposerTest, SmallerOrderKeyIsInFrontAmongSprites) {
    // Two 16x8 level-1 sprites at x fields 100 and 90. The one at 90 (tiles 6 and 7) is
    // transparent in its last four columns.
    for (int t : {3, 4, 6}) fillTile(memory.sheet, t, t == 6 ? 6 : 2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) setTilePixel(memory.sheet, 7, x, y, 6);
    placeSprite(0, 3, 68, 50, spriteLevel(1), 2, 1);  // x field 100: screen 68 to 83
    placeSprite(1, 6, 58, 50, spriteLevel(1), 2, 1);  // x field 90: screen 58 to 73
    compose();
    // Only the one at 90; both opaque: the smaller key in front; the one at 90 transparent;
    // only the one at 100.
    expectColours({{60, 50, 6}, {68, 50, 6}, {71, 50, 2}, {78, 50, 2}});
}

TEST_P(ComposerTest, TileAgainstSpriteByLevelAndPriority) {
    fillTile(memory.sheet, 2, 5);
    fillTile(memory.sheet, 3, 9);
    struct Case {
        int tileLayer, tilePriority, spriteLevel, spritePriority;
        bool spriteShown;
    };
    const Case cases[] = {
        {1, 0, 2, 0, false},
        {1, 1, 2, 1, false},
        {2, 0, 2, 1, false},
        {2, 0, 2, 0, true},
        {2, 1, 2, 0, true},
        {2, 1, 2, 1, true},
        {3, 0, 2, 0, true},
        {3, 1, 2, 0, true},
        // Level 0 is in front of everything but a layer-0 tile without priority against a
        // sprite with it.
        {0, 0, 0, 1, false},
        {0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        memory.maps.fill(0);
        memory.layers.fill(0);
        fillMap(c.tileLayer, tileCell(2, 0) | (c.tilePriority ? CellPriority : 0));
        memory.layers[size_t(c.tileLayer)] = LayerEnable;
        placeSprite(0, 3, 40, 40,
                    spriteLevel(c.spriteLevel) | (c.spritePriority ? SpritePriority : 0));
        compose();
        EXPECT_EQ(pixel(44, 44), colour(c.spriteShown ? 9 : 5))
            << "layer " << c.tileLayer << " tile priority " << c.tilePriority << " sprite level "
            << c.spriteLevel << " priority " << c.spritePriority;
    }
}

TEST_P(ComposerTest, WideSpritesReadTheSheetAsOnePictureAndFlipWhole) {
    setSheetPixel(memory.sheet, 55, 0, 4);  // tile 5's right neighbour, column 7
    setSheetPixel(memory.sheet, 40, 0, 7);
    placeSprite(0, 5, 100, 20, spriteGroup(1), 2, 1);
    compose();
    expectColours({{100, 20, 16 + 7}, {115, 20, 16 + 4}});
    memory.sprites[0].attributes |= SpriteFlipX;
    compose();
    expectColours({{100, 20, 16 + 4}, {115, 20, 16 + 7}});
}

TEST_P(ComposerTest, BlocksCrossingTheSheetEdgeRunOnAndStopAtItsEnd) {
    // Tile 15 is the last of tile row 0; a 16-pixel-wide sprite continues at the sheet's
    // left edge one pixel row lower.
    setSheetPixel(memory.sheet, 0, 1, 3);
    placeSprite(0, 15, 50, 50, 0, 2, 1);
    compose();
    expectColours({{58, 50, 3}});
    // Tile 1008 in the last tile row with height 32 would read past the sheet: transparent.
    memory.sheet.fill(0x11);
    placeSprite(0, 1008, 50, 50, 0, 1, 4);
    compose();
    expectColours({{50, 57, 1}, {50, 58, 0}, {50, 81, 0}});
}

TEST_P(ComposerTest, BlendArithmeticIsExact) {
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
    fillMap(1, tileCell(2, 2));
    memory.layers[1] = LayerEnable;
    for (const Case& c : cases) {
        fillMap(0, c.sourceShown ? tileCell(2, 1) : 0);
        memory.palette[17] = c.source;
        memory.palette[33] = c.base;
        memory.layers[0] = LayerEnable | layerBlend(c.mode, c.amount);
        compose();
        EXPECT_EQ(pixel(3, 3), c.expected) << "mode " << c.mode << " amount " << c.amount;
    }
}

TEST_P(ComposerTest, LevelZeroSpritesBelongToTheBlendSource) {
    fillTile(memory.sheet, 2, 1);
    fillMap(1, tileCell(2, 2));
    memory.layers[1] = LayerEnable;
    memory.palette[33] = rgb(0, 0, 0);
    memory.palette[49] = rgb(254, 254, 254);
    memory.layers[0] = LayerEnable | layerBlend(BlendMix, 127);
    placeSprite(0, 2, 0, 0, spriteLevel(0) | spriteGroup(3));    // source over black base
    placeSprite(1, 2, 100, 0, spriteLevel(1) | spriteGroup(3));  // base, dimmed by a = 0
    compose();
    EXPECT_EQ(pixel(3, 3), rgb(252, 252, 252));  // 254 * 127 >> 7
    EXPECT_EQ(pixel(103, 3), rgb(252, 252, 252));
    memory.layers[0] = LayerEnable | layerBlend(BlendMix, 0);
    compose();
    EXPECT_EQ(pixel(3, 3), 0u);
    EXPECT_EQ(pixel(103, 3), rgb(252, 252, 252));
}

TEST_P(ComposerTest, CallbackChangesApplyFromTheirLineAndSpritesFromTheNextFrame) {
    setTilePixel(memory.sheet, 1, 0, 0, 1);
    for (int row = 0; row < 64; ++row) memory.maps[size_t(mapIndex(3, 0, row))] = tileCell(1, 0);
    memory.layers[3] = LayerEnable;
    fillTile(memory.sheet, 2, 2);
    placeSprite(0, 2, 200, 0, spriteLevel(0));
    memory.lineCallback = [](VideoMemory& m, int32_t line, void*) {
        if (line == 120) {
            m.layers[3] = LayerEnable | layerScroll(1, 0);
            m.sprites[0].placement = encodeSpriteCoordinate(250, 320);
        }
    };
    compose();
    // The moved sprite is still drawn where it was; the new scroll applies from line 120.
    expectColours({{0, 112, 1}, {0, 120, 0}, {7, 120, 0}, {200, 0, 2}, {250, 0, 0}});
    memory.lineCallback = nullptr;
    compose();
    expectColours({{0, 0, 0}, {250, 0, 2}});  // the new scroll stays in force
}

INSTANTIATE_TEST_SUITE_P(Composers, ComposerTest,
                         ::testing::Values(composeFrame, composeFrameReference),
                         [](const ::testing::TestParamInfo<Composer>& param) {
                             return param.param == composeFrame ? std::string("Production")
                                                                : std::string("Reference");
                         });

TEST(SortSprites, KeyIsLevelThenPriorityThenXAndTiesAreNotStable) {
    SpriteEntry ties[3] = {{1, 5}, {2, 5}, {3, 1}};  // P, Q, R with keys 5, 5, 1
    sortSprites(ties, 3);
    EXPECT_EQ(ties[0].attributes, 3u);
    EXPECT_EQ(ties[1].attributes, 2u);
    EXPECT_EQ(ties[2].attributes, 1u);
    // Keys 0x400, 0x201, 0x1FF (group bits ignored), 0x010.
    SpriteEntry list[4] = {{0, 0x0400}, {1, 0x0201}, {2, 0xF000 | 0x1FF}, {3, 0x0000 | 0x0010}};
    sortSprites(list, 4);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(list[i].attributes, 3 - i);
}

}  // namespace
