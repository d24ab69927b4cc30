// The fast composer, on both kernel sets, against the per-pixel reference composer on
// thousands of random scenes: every picture must match bit for bit.
#include "engine/composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#ifndef COMPOSER_DIFFERENTIAL_SCENES
#define COMPOSER_DIFFERENTIAL_SCENES 3000
#endif

namespace {

struct Random {
    uint64_t state;
    uint32_t next() {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return uint32_t(state >> 32);
    }
    int below(int limit) { return int(next() % uint32_t(limit)); }
    bool chance(int percent) { return below(100) < percent; }
};

// A write the line callback makes before `line`: layer word, map row, colour, sheet row, sprite.
struct Change {
    int kind, line;
    size_t at;
    uint32_t value;
};

struct TestScene {
    std::unique_ptr<VideoMemory> memory = std::make_unique<VideoMemory>();
    std::vector<Change> changes;
    size_t calls = 0;
};

void applyChanges(VideoMemory& m, int32_t line, void* data) {
    auto& scene = *static_cast<TestScene*>(data);
    ++scene.calls;
    for (const Change& c : scene.changes) {
        if (c.line != line) continue;
        for (size_t i = 0; i < 64; ++i) {
            if (c.kind == 1) m.maps[(c.at * 64 + i) % m.maps.size()] = TileCell(c.value + i);
            if (c.kind == 3) m.sheet[(c.at * 64 + i) % SheetBytes] = uint8_t(c.value >> (i % 25));
        }
        if (c.kind == 0) m.layers[c.at % LayerCount] = c.value;
        if (c.kind == 2) m.palette[c.at % PaletteSize] = c.value;
        if (c.kind == 4) m.sprites[c.at % SpriteCount].placement = c.value;
    }
}

// Tiles of every density: blank, solid, sparse like glyphs, and with blank rows.
void fillTile(Random& random, CharacterSheet& sheet, int tile) {
    int kind = random.below(5);
    for (int y = 0; y < 8; ++y) {
        bool blankRow = kind == 3 && random.chance(50);
        auto pixel = [&] {
            if (kind < 2) return kind * (1 + random.below(15));
            if (kind == 2) return random.chance(30) ? 1 + random.below(15) : 0;
            return blankRow ? 0 : random.below(16);
        };
        for (int x = 0; x < 8; x += 2) {
            int left = pixel();
            sheet[size_t(sheetOffset(tile, x, y))] = uint8_t(left << 4 | pixel());
        }
    }
}

// Maps of random cells, of a few cells repeated (panels), or of one cell sprinkled (text).
void fillMap(Random& random, VideoMemory& memory, int layer) {
    int kind = random.below(3);
    TileCell choices[4];
    for (TileCell& cell : choices) cell = TileCell(random.next());
    for (int i = 0; i < MapCellCount; ++i) {
        TileCell cell = TileCell(random.next());
        if (kind == 1) cell = choices[random.below(4)];
        if (kind == 2 && random.chance(95)) cell = choices[0];
        memory.maps[size_t(layer * MapCellCount + i)] = cell;
    }
}

uint32_t randomLayerWord(Random& random) {
    return (random.next() & ~LayerEnable) | (random.chance(75) ? LayerEnable : 0);
}

// A sprite in or near the frame with every other bit random; few x values make equal keys
// common, and tiles at the sheet's right edge and last rows make blocks that leave it.
SpriteEntry randomSprite(Random& random, int width, int height, bool visible) {
    int x = random.chance(20) ? random.below(512) - 32 : random.below(width + 48) - 40;
    int y = random.chance(10) ? random.below(512) - 32 : random.below(height + 48) - 40;
    if (random.chance(30)) x = 8 * random.below(4);
    int tile = random.below(TileCount);
    if (random.chance(25)) tile = (tile & ~15) | (13 + random.below(3));
    if (random.chance(15)) tile = 960 + random.below(64);
    uint32_t attributes =
        (random.next() & 0xF800FE00u) | spriteTile(tile) | uint32_t((y + 32) & 0x1FF);
    return {attributes | (visible ? SpriteVisible : 0),
            (random.next() & 0xFFFFFE00u) | uint32_t((x + 32) & 0x1FF)};
}

// A scene refills some tiles and one map, every sixteenth scene everything (filling is costly).
void buildRandomScene(Random& random, TestScene& scene, int number, int width, int height) {
    VideoMemory& memory = *scene.memory;
    bool fresh = number % 16 == 0;
    initVideoMemory(memory);
    memory.width = width;
    memory.height = height;
    memory.composing = 0;
    for (int i = 0; i < (fresh ? TileCount : 64); ++i)
        fillTile(random, memory.sheet, fresh ? i : random.below(TileCount));
    for (int layer = 0; layer < LayerCount; ++layer)
        if (fresh || layer == number % LayerCount) fillMap(random, memory, layer);
    for (uint32_t& entry : memory.palette)
        entry = random.next() & (random.chance(90) ? 0x00FFFFFF : ~0u);
    for (LayerWord& word : memory.layers) word = randomLayerWord(random);
    // Layer 0 blends in about half the scenes, at times with no layer behind it enabled.
    if (random.chance(50)) {
        int amount = random.chance(20) ? 127 * random.below(2) : random.below(128);
        memory.layers[0] = (memory.layers[0] & ~(7u << 28 | 127u << 9)) | LayerEnable |
                           layerBlend(1 + random.below(7), amount);
        if (random.chance(15))
            for (int layer = 1; layer < LayerCount; ++layer)
                memory.layers[size_t(layer)] &= ~LayerEnable;
    }
    const int visibleCounts[] = {0, 64, 256};
    int visible = visibleCounts[random.below(3)];
    for (int i = 0; i < SpriteCount; ++i)
        memory.sprites[size_t(i)] = randomSprite(random, width, height, i < visible);
    for (int i = SpriteCount - 1; i > 0; --i)  // spread the visible ones over the table
        std::swap(memory.sprites[size_t(i)], memory.sprites[size_t(random.below(i + 1))]);
    scene.changes.clear();
    memory.lineCallback = random.chance(60) ? applyChanges : nullptr;
    memory.lineCallbackData = &scene;
    for (int i = memory.lineCallback ? 1 + random.below(12) : 0; i > 0; --i) {
        int kind = random.below(5);
        int line = random.below(height + 1);
        size_t at = random.next();
        scene.changes.push_back({kind, line, at, kind ? random.next() : randomLayerWord(random)});
    }
}

// Composes a copy of the scene, so that the callback's changes start afresh every time.
std::vector<uint32_t> composeCopy(TestScene& scene, int32_t (*composer)(VideoMemory&)) {
    auto copy = std::make_unique<VideoMemory>(*scene.memory);
    std::vector<uint32_t> pixels(size_t(copy->width) * size_t(copy->height), 0xDEADBEEFu);
    copy->pixels = pixels.data();
    scene.calls = 0;
    EXPECT_EQ(composer(*copy), 1);
    EXPECT_EQ(copy->composing, 0);
    EXPECT_EQ(scene.calls, copy->lineCallback ? size_t(copy->height) : 0u);
    return pixels;
}

class ComposerDifferential : public ::testing::TestWithParam<ComposerKernels> {};

// Thousands of small frames (which keep the reference quick), some whole frames, and frames
// wider than the composer's line runs, which are drawn a run at a time.
TEST_P(ComposerDifferential, RandomScenesMatchTheReference) {
    if (GetParam() == ComposerKernels::Simd && !composerHasSimdKernels())
        GTEST_SKIP() << "this build has no SIMD kernels";
    struct Sizes {
        int count, minWidth, widths, heights;  // no widths: 1 to 40 or 330; no heights: 180
    };
    const Sizes kinds[] = {{COMPOSER_DIFFERENTIAL_SCENES, 1, 0, 12},
                           {COMPOSER_DIFFERENTIAL_SCENES / 100 + 2, ScreenWidth, 1, 0},
                           {COMPOSER_DIFFERENTIAL_SCENES / 100 + 2, 513, 600, 8}};
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        const Sizes& kind = kinds[seed - 1];
        Random random{seed};
        TestScene scene;
        for (int i = 0; i < kind.count; ++i) {
            int width = kind.widths ? kind.minWidth + random.below(kind.widths)
                                    : 1 + random.below(random.chance(50) ? 40 : 330);
            int height = kind.heights ? 1 + random.below(kind.heights) : ScreenHeight;
            buildRandomScene(random, scene, i, width, height);
            std::vector<uint32_t> expected = composeCopy(scene, composeFrameReference);
            std::vector<uint32_t> actual = composeCopy(
                scene, [](VideoMemory& memory) { return composeFrameWith(memory, GetParam()); });
            auto differs = std::mismatch(expected.begin(), expected.end(), actual.begin()).first;
            auto at = int(differs - expected.begin());
            ASSERT_TRUE(differs == expected.end())
                << "scene " << i << " of seed " << seed << ", pixel (" << at % width << ", "
                << at / width << "): expected " << std::hex << *differs << ", got " << actual[at];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ComposerDifferential,
                         ::testing::Values(ComposerKernels::Portable, ComposerKernels::Simd),
                         [](const auto& kernels) {
                             return kernels.param == ComposerKernels::Simd ? "Simd" : "Portable";
                         });

// Both composers share sortSprites: its order is a plain selection sort's, unstable ties too.
TEST(SortSprites, GivesTheOrderOfAPlainSelectionSort) {
    Random random{4};
    for (int round = 0; round < 400; ++round) {
        int count = round < 4 ? round : 1 + random.below(SpriteCount);
        // Few keys in half the rounds, so ties abound; the placement bits above the key are noise.
        int keys = 1 + random.below(round % 2 ? 4 : 4096);
        std::vector<SpriteEntry> list(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            list[size_t(i)] = {uint32_t(i),
                               (random.next() & 0xFFFFF000u) | uint32_t(random.below(keys))};
        std::vector<SpriteEntry> expected = list;
        auto key = [](const SpriteEntry& s) { return spriteOrderKeyOf(s.placement); };
        for (auto i = expected.begin(); i != expected.end(); ++i)
            std::iter_swap(i, std::min_element(i, expected.end(),
                                               [&](auto& a, auto& b) { return key(a) < key(b); }));
        sortSprites(list.data(), count);
        for (size_t i = 0; i < list.size(); ++i)  // the attributes tell the entries apart
            ASSERT_EQ(list[i].attributes, expected[i].attributes) << "round " << round;
    }
}

}  // namespace
