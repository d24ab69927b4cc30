// The progress screen: the miss ramp's steps and colours, and the weakest keys named as the
// learner's layout labels them, on the screen and in the practice made from the history.
#include "course/common/colour_schemes.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/lesson/practice_setup.h"
#include "course/records/best_times.h"
#include "course/screens/progress_screen.h"
#include "engine/asset_files.h"
#include "tests/support/contrast.h"
#include "tests/support/history_seed.h"
#include "tests/support/hosted_test.h"

#include <algorithm>
#include <memory>

namespace {

using ProgressTest = HostedTest;

// The keyboard's miss ramp: steps by rate, and in every colour scheme lightness rising step
// by step, so the steps do not rest on hue alone. (Its labels' contrast is the art tests'.)
TEST(ProgressScreen, MissRampStepsRiseInLightnessInEveryScheme) {
    struct Rate {
        uint32_t pressed, missed;
        int level;
    };
    const Rate rates[] = {{0, 0, 0},    {100, 0, 0},  {100, 1, 1},  {100, 5, 1},  {100, 6, 2},
                          {100, 10, 2}, {100, 11, 3}, {100, 20, 3}, {100, 21, 4}, {3, 3, 4}};
    for (const Rate& r : rates)
        EXPECT_EQ(missLevel(r.pressed, r.missed), r.level) << r.pressed << " " << r.missed;
    for (const ColourSchemeAsset& scheme : ColourSchemes) {
        Palette palette{};
        ASSERT_TRUE(
            loadPalette(palette, (std::string(QUENMORE_SOURCE_DIR "/") + scheme.fileName).c_str()));
        for (int level = 2; level < MissLevels; ++level)
            EXPECT_GT(luminance(missShade(palette, level).face),
                      luminance(missShade(palette, level - 1).face) * 1.2)
                << scheme.label << " " << level;
    }
}

// On a French keyboard the key that types "2" shows "\xE9" alone: the weakest-keys row names
// it with the font's own glyph, as its label does, and the practice names and lights the same.
TEST_F(ProgressTest, WeakKeysAreNamedByTheLayoutsLabels) {
    clock.layout = &frenchLayout();
    ASSERT_TRUE(seedRun(3, 60, 300, 8, '2', '3'));
    auto screen = std::make_unique<ProgressScreen>();
    drawProgressScreen(test.video(), *screen, 3);
    const std::string row = "Weakest: \xE9 as 3";
    const int first = (40 - int(row.size())) / 2;
    for (size_t i = 0; i < row.size(); ++i) {
        const TileCell cell = test.memory().maps[size_t(mapIndex(0, first + int(i), 21))];
        EXPECT_EQ(cellTileOf(cell), mainFontTile(uint8_t(row[i]))) << i;
    }
    auto practice = std::make_unique<PracticeLesson>();
    auto all = std::make_unique<ProgressFigures>();
    loadProgress(AllLessons, *all);
    BestTimes times;
    times.fill(60);
    PracticeAim aim;
    aimPractice(*all, times, screen->keyboard, aim);
    makePractice(aim, screen->keyboard, *practice);
    const auto has = [&](StepKind kind, uint8_t key, const char* text) {
        return std::any_of(practice->intro.begin(), practice->intro.end(), [&](const IntroStep& s) {
            return s.kind == kind && s.key == key && s.text == text;
        });
    };
    EXPECT_TRUE(has(StepKind::Print, 0, "\xE9"));
    EXPECT_TRUE(has(StepKind::Light, 0xE9, ""));
}

}  // namespace
