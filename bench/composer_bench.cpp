// Composer speed: the production composer (with its fastest kernels, and with the portable
// ones) and the per-pixel reference on the four scenes, and the memory floor of writing a
// framebuffer from the palette.
#include "bench/scenes.h"
#include "engine/composer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct BenchVideo {
    std::unique_ptr<VideoMemory> memory = std::make_unique<VideoMemory>();
    explicit BenchVideo(Scene scene) {
        initVideoMemory(*memory);
        allocateFramebuffer(*memory);
        buildScene(*memory, scene);
    }
    ~BenchVideo() { releaseFramebuffer(*memory); }
};

void composeScene(benchmark::State& state, int32_t (*composer)(VideoMemory&), Scene scene) {
    BenchVideo video(scene);
    for (auto _ : state) {
        composer(*video.memory);
        benchmark::DoNotOptimize(video.memory->pixels);
        benchmark::ClobberMemory();
    }
}

int32_t composePortable(VideoMemory& memory) {
    return composeFrameWith(memory, ComposerKernels::Portable);
}

void BM_PaletteFloor(benchmark::State& state) {
    BenchVideo video(Scene::Menu);
    std::vector<uint8_t> indexes(ScreenWidth * ScreenHeight);
    for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = uint8_t(i * 7 + i / 320);
    for (auto _ : state) {
        uint32_t* pixels = video.memory->pixels;
        const uint32_t* palette = video.memory->palette.data();
        for (size_t i = 0; i < indexes.size(); ++i) pixels[i] = palette[indexes[i]];
        benchmark::DoNotOptimize(pixels);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK_CAPTURE(composeScene, menu, composeFrame, Scene::Menu)->Name("BM_Compose/menu");
BENCHMARK_CAPTURE(composeScene, lesson, composeFrame, Scene::Lesson)->Name("BM_Compose/lesson");
BENCHMARK_CAPTURE(composeScene, title, composeFrame, Scene::Title)->Name("BM_Compose/title");
BENCHMARK_CAPTURE(composeScene, worst, composeFrame, Scene::Worst)->Name("BM_Compose/worst");
BENCHMARK_CAPTURE(composeScene, menu, composeFrameReference, Scene::Menu)
    ->Name("BM_ComposeReference/menu");
BENCHMARK_CAPTURE(composeScene, lesson, composeFrameReference, Scene::Lesson)
    ->Name("BM_ComposeReference/lesson");
BENCHMARK_CAPTURE(composeScene, title, composeFrameReference, Scene::Title)
    ->Name("BM_ComposeReference/title");
BENCHMARK_CAPTURE(composeScene, worst, composeFrameReference, Scene::Worst)
    ->Name("BM_ComposeReference/worst");
BENCHMARK_CAPTURE(composeScene, menu, composePortable, Scene::Menu)
    ->Name("BM_ComposePortable/menu");
BENCHMARK_CAPTURE(composeScene, lesson, composePortable, Scene::Lesson)
    ->Name("BM_ComposePortable/lesson");
BENCHMARK_CAPTURE(composeScene, title, composePortable, Scene::Title)
    ->Name("BM_ComposePortable/title");
BENCHMARK_CAPTURE(composeScene, worst, composePortable, Scene::Worst)
    ->Name("BM_ComposePortable/worst");
BENCHMARK(BM_PaletteFloor);

BENCHMARK_MAIN();
