// Composer speed: the production composer (with its fastest kernels, and with the portable
// ones) and the per-pixel reference on the six scenes, and the memory floor of writing a
// framebuffer from the palette.
#include "bench/scenes.h"
#include "engine/composer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
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

// Registered by name so that results compare over time: BM_Compose/<scene> (the production
// composer), BM_ComposeReference/<scene>, BM_ComposePortable/<scene> and BM_PaletteFloor.
int main(int argc, char** argv) {
    struct Composer {
        const char* name;
        int32_t (*compose)(VideoMemory&);
    };
    const Composer composers[] = {{"BM_Compose", composeFrame},
                                  {"BM_ComposeReference", composeFrameReference},
                                  {"BM_ComposePortable", composePortable}};
    for (const Composer& composer : composers) {
        for (Scene scene : {Scene::Menu, Scene::Lesson, Scene::Title, Scene::Worst, Scene::Progress,
                            Scene::Guide}) {
            const std::string name = std::string(composer.name) + "/" + sceneName(scene);
            benchmark::RegisterBenchmark(name.c_str(), composeScene, composer.compose, scene);
        }
    }
    benchmark::RegisterBenchmark("BM_PaletteFloor", BM_PaletteFloor);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
