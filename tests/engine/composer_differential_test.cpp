// The fast composer, on both kernel sets, against the per-pixel reference composer on
// thousands of random scenes: every picture must match bit for bit.
#include "bench/scenes.h"
#include "engine/composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

// A register write made by the line callback when it is called for `line`.
struct Change {
    enum Kind { Layer, MapCell, MapRow, PaletteEntry, SheetByte, SheetRow, Sprite } kind;
    int line;
    int index;
    uint32_t value;
};

struct Script {
    std::vector<Change> changes;
    std::vector<int> calls;
};

void runScript(VideoMemory& memory, int32_t line, void* data) {
    auto& script = *static_cast<Script*>(data);
    script.calls.push_back(line);
    for (const Change& change : script.changes) {
        if (change.line != line) continue;
        auto at = size_t(change.index);
        switch (change.kind) {
        case Change::Layer: memory.layers[at % LayerCount] = change.value; break;
        case Change::MapCell: memory.maps[at % memory.maps.size()] = TileCell(change.value); break;
        case Change::MapRow:
            for (size_t i = 0; i < MapSide; ++i) {
                memory.maps[(at * MapSide + i) % memory.maps.size()] = TileCell(change.value + i);
            }
            break;
        case Change::PaletteEntry: memory.palette[at % PaletteSize] = change.value; break;
        case Change::SheetByte: memory.sheet[at % SheetBytes] = uint8_t(change.value); break;
        case Change::SheetRow:
            for (size_t i = 0; i < SheetRowBytes; ++i) {
                memory.sheet[(at * SheetRowBytes + i) % SheetBytes] =
                    uint8_t(change.value >> (i % 25));
            }
            break;
        case Change::Sprite: memory.sprites[at % SpriteCount].placement = change.value; break;
        }
    }
}

// Tiles of every density: blank, solid, sparse like glyphs, and with blank rows.
void fillTile(Random& random, CharacterSheet& sheet, int tile) {
    int kind = random.below(5);
    for (int y = 0; y < 8; ++y) {
        bool blankRow = kind == 3 && random.chance(50);
        for (int x = 0; x < 8; x += 2) {
            auto pixel = [&] {
                switch (kind) {
                case 0: return 0;
                case 1: return 1 + random.below(15);
                case 2: return random.chance(30) ? 1 + random.below(15) : 0;
                default: return blankRow ? 0 : random.below(16);
                }
            };
            int left = pixel();
            sheet[size_t(sheetOffset(tile, x, y))] = uint8_t(left << 4 | pixel());
        }
    }
}

// Maps of random cells; of a few cells repeated, as screens draw panels; or of one
// background cell with a few others sprinkled over it, as screens draw text.
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
    uint32_t word = random.next() & ~LayerEnable;
    if (random.chance(75)) word |= LayerEnable;
    return word;
}

// A sprite at a screen position in or near a frame of the given size, with every other bit
// random: sizes, flips, levels, groups, unused bits. Small x sets make equal keys common, and
// tiles at the sheet's right edge and in its last rows make blocks that cross or leave it.
SpriteEntry randomSprite(Random& random, int width, int height, bool visible) {
    int x = random.chance(20) ? random.below(512) - 32 : random.below(width + 48) - 40;
    int y = random.chance(10) ? random.below(512) - 32 : random.below(height + 48) - 40;
    if (random.chance(30)) x = 8 * random.below(4);
    int tile = random.below(TileCount);
    if (random.chance(25)) tile = (tile & ~15) | (13 + random.below(3));
    if (random.chance(15)) tile = 960 + random.below(64);
    uint32_t attributes =
        (random.next() & 0xF800FE00u) | spriteTile(tile) | (uint32_t(y + 32) & 0x1FF);
    SpriteEntry sprite;
    sprite.attributes = attributes | (visible ? SpriteVisible : 0);
    sprite.placement = (random.next() & 0xFFFFFE00u) | uint32_t((x + 32) & 0x1FF);
    return sprite;
}

struct TestScene {
    std::unique_ptr<VideoMemory> memory = std::make_unique<VideoMemory>();
    Script script;
};

// Sheet and maps are costly to fill, so a scene keeps most of the previous one's and
// refills a part: some tiles and a map every time, everything every sixteenth scene.
void buildRandomScene(Random& random, TestScene& scene, int number, int width, int height) {
    VideoMemory& memory = *scene.memory;
    bool fresh = number % 16 == 0;
    initVideoMemory(memory);
    memory.width = width;
    memory.height = height;
    memory.composing = 0;
    for (int i = 0; i < (fresh ? TileCount : 64); ++i) {
        fillTile(random, memory.sheet, fresh ? i : random.below(TileCount));
    }
    for (int layer = 0; layer < LayerCount; ++layer) {
        if (fresh || layer == number % LayerCount) fillMap(random, memory, layer);
    }
    for (uint32_t& entry : memory.palette) {
        entry = random.next() & (random.chance(90) ? 0x00FFFFFF : ~0u);
    }

    for (LayerWord& word : memory.layers) word = randomLayerWord(random);
    // Layer 0 blends in about half the scenes, at times with no layer behind it enabled.
    if (random.chance(50)) {
        memory.layers[0] |= LayerEnable | uint32_t(1 + random.below(7)) << 28;
        int amount = random.chance(20) ? 127 * random.below(2) : random.below(128);
        memory.layers[0] = (memory.layers[0] & ~(127u << 9)) | uint32_t(amount) << 9;
        if (random.chance(15)) {
            for (int layer = 1; layer < LayerCount; ++layer)
                memory.layers[size_t(layer)] &= ~LayerEnable;
        }
    }

    const int visibleCounts[] = {0, 64, 256};
    int visible = visibleCounts[random.below(3)];
    for (int i = 0; i < SpriteCount; ++i) {
        memory.sprites[size_t(i)] = randomSprite(random, width, height, i < visible);
    }
    // Shuffle so that visible sprites are spread over the table.
    for (int i = SpriteCount - 1; i > 0; --i) {
        std::swap(memory.sprites[size_t(i)], memory.sprites[size_t(random.below(i + 1))]);
    }

    scene.script.changes.clear();
    if (random.chance(60)) {
        int count = 1 + random.below(12);
        for (int i = 0; i < count; ++i) {
            Change change;
            change.kind = Change::Kind(random.below(7));
            change.line = random.below(height + 1);
            change.index = int(random.next() & 0x7FFFFFFF);
            change.value = change.kind == Change::Layer ? randomLayerWord(random) : random.next();
            scene.script.changes.push_back(change);
        }
        memory.lineCallback = runScript;
        memory.lineCallbackData = &scene.script;
    }
}

// Composes a copy of the scene, so that the callback's changes start afresh every time.
std::vector<uint32_t> composeCopy(TestScene& scene, int32_t (*composer)(VideoMemory&)) {
    auto copy = std::make_unique<VideoMemory>(*scene.memory);
    std::vector<uint32_t> pixels(size_t(copy->width) * size_t(copy->height), 0xDEADBEEFu);
    copy->pixels = pixels.data();
    scene.script.calls.clear();
    EXPECT_EQ(composer(*copy), 1);
    EXPECT_EQ(copy->composing, 0);
    EXPECT_EQ(scene.script.calls.size(), copy->lineCallback ? size_t(copy->height) : 0u);
    return pixels;
}

// Where two pictures first differ, for the failure message.
std::string firstDifference(const std::vector<uint32_t>& expected,
                            const std::vector<uint32_t>& actual, int width) {
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            char text[96];
            snprintf(text, sizeof text, "pixel (%d, %d): expected %08X, got %08X",
                     int(i % size_t(width)), int(i / size_t(width)), expected[i], actual[i]);
            return text;
        }
    }
    return "none";
}

class ComposerDifferential : public ::testing::TestWithParam<ComposerKernels> {
  protected:
    void SetUp() override {
        if (GetParam() == ComposerKernels::Simd && !composerHasSimdKernels()) {
            GTEST_SKIP() << "this build has no SIMD kernels";
        }
    }
    static int32_t composer(VideoMemory& memory) { return composeFrameWith(memory, GetParam()); }
    // Composes `count` scenes of the sizes `size` picks and compares each with the reference.
    template <class Size> void compareScenes(uint64_t seed, int count, Size size) {
        Random random{seed};
        TestScene scene;
        for (int i = 0; i < count; ++i) {
            int width = 0;
            int height = 0;
            size(random, width, height);
            buildRandomScene(random, scene, i, width, height);
            std::vector<uint32_t> expected = composeCopy(scene, composeFrameReference);
            std::vector<uint32_t> actual = composeCopy(scene, composer);
            ASSERT_TRUE(expected == actual)
                << "scene " << i << " of seed " << seed << " (" << width << "x" << height
                << "): " << firstDifference(expected, actual, width);
        }
    }
};

// Small frames keep the reference quick, so that thousands of scenes fit in seconds; sprites
// and scrolls are placed relative to the frame, so every edge case still comes up.
TEST_P(ComposerDifferential, SmallFramesMatchTheReference) {
    compareScenes(1, COMPOSER_DIFFERENTIAL_SCENES, [](Random& random, int& width, int& height) {
        width = 1 + random.below(random.chance(50) ? 40 : 330);
        height = 1 + random.below(12);
    });
}

TEST_P(ComposerDifferential, WholeFramesMatchTheReference) {
    compareScenes(2, COMPOSER_DIFFERENTIAL_SCENES / 100 + 2, [](Random&, int& width, int& height) {
        width = ScreenWidth;
        height = ScreenHeight;
    });
}

// Frames wider than the composer's line runs are drawn a run at a time.
TEST_P(ComposerDifferential, FramesWiderThanALineRunMatchTheReference) {
    compareScenes(3, COMPOSER_DIFFERENTIAL_SCENES / 100 + 2,
                  [](Random& random, int& width, int& height) {
                      width = 513 + random.below(600);
                      height = 1 + random.below(8);
                  });
}

// The scenes the benchmark measures, so that its figures are for right pictures. The lesson
// scene's callback counts frames, so it is left out: the random scenes cover callbacks.
TEST_P(ComposerDifferential, BenchmarkScenesMatchTheReference) {
    for (Scene kind : {Scene::Menu, Scene::Lesson, Scene::Title, Scene::Worst}) {
        TestScene scene;
        initVideoMemory(*scene.memory);
        scene.memory->width = ScreenWidth;
        scene.memory->height = ScreenHeight;
        buildScene(*scene.memory, kind);
        scene.memory->lineCallback = nullptr;
        std::vector<uint32_t> expected = composeCopy(scene, composeFrameReference);
        std::vector<uint32_t> actual = composeCopy(scene, composer);
        ASSERT_TRUE(expected == actual)
            << sceneName(kind) << ": " << firstDifference(expected, actual, ScreenWidth);
    }
}

// sortSprites must give exactly the order of the plain selection sort with swaps below,
// unstable ties included, since that order decides which of two equal-key sprites is in front.
void plainSelectionSort(SpriteEntry* list, int count) {
    for (int i = 0; i + 1 < count; ++i) {
        int smallest = i;
        for (int j = i; j < count; ++j) {
            if (spriteOrderKey(list[j].placement) < spriteOrderKey(list[smallest].placement)) {
                smallest = j;
            }
        }
        std::swap(list[i], list[smallest]);
    }
}

TEST(SortSprites, GivesTheOrderOfAPlainSelectionSort) {
    Random random{4};
    for (int round = 0; round < 400; ++round) {
        int count = round < 4 ? round : 1 + random.below(SpriteCount);
        // Few distinct keys in most rounds, so that ties are everywhere; the entry's index
        // in the attributes tells entries apart, the bits above the key must not count.
        int keys = 1 + random.below(round % 2 ? 4 : 4096);
        SpriteEntry list[SpriteCount];
        for (int i = 0; i < count; ++i) {
            list[i] = {uint32_t(i), (random.next() & 0xFFFFF000u) | uint32_t(random.below(keys))};
        }
        SpriteEntry expected[SpriteCount];
        std::copy(list, list + count, expected);
        plainSelectionSort(expected, count);
        sortSprites(list, count);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(list[i].attributes, expected[i].attributes)
                << "round " << round << ", position " << i << " of " << count;
            ASSERT_EQ(list[i].placement, expected[i].placement);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ComposerDifferential,
                         ::testing::Values(ComposerKernels::Portable, ComposerKernels::Simd),
                         [](const ::testing::TestParamInfo<ComposerKernels>& param) {
                             return param.param == ComposerKernels::Simd ? std::string("Simd")
                                                                         : std::string("Portable");
                         });

}  // namespace
