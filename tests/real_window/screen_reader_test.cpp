// The screen reader checked headless against the engine: every glyph reads back as its
// character, scaled and letterboxed screenshots give the picture back, and the texts read
// from composed frames of a whole lesson are the texts in video memory.
#include "course/lesson_menu.h"
#include "tests/real_window/screen_reader.h"
#include "tests/real_window/window_session.h"
#include "tests/real_window/x_session.h"
#include "tests/support/learner.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* Assets = QUENMORE_SOURCE_DIR "/assets";

Art loadedArt() {
    Art art;
    EXPECT_TRUE(loadArt(Assets, art));
    return art;
}

// A picture of one colour with a glyph drawn at (x, y).
Picture withGlyph(const Glyph& glyph, const Palette& palette, int x, int y) {
    Picture picture;
    picture.pixels.assign(picture.pixels.size(), RootColour);
    for (int i = 0; i < 64; ++i) {
        if (glyph.colours[i] < 0) continue;
        picture.pixels[size_t(y + i / 8) * ScreenWidth + size_t(x + i % 8)] =
            palette[size_t(glyph.colours[i])];
    }
    return picture;
}

// The screenshot an X screen of width x height shows of `picture`, scaled by nearest pixel
// (each screen pixel takes the picture pixel under its centre), with black bars.
Screenshot scaledUp(const Picture& picture, int width, int height) {
    Screenshot shot{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0)};
    const ScreenRect rect = pictureRect(width, height);
    for (int y = 0; y < rect.height; ++y) {
        const int py = int((2 * int64_t(y) + 1) * ScreenHeight / (2 * int64_t(rect.height)));
        for (int x = 0; x < rect.width; ++x) {
            const int px = int((2 * int64_t(x) + 1) * ScreenWidth / (2 * int64_t(rect.width)));
            shot.pixels[size_t(rect.y + y) * size_t(width) + size_t(rect.x + x)] =
                picture.at(px, py);
        }
    }
    return shot;
}

TEST(ScreenReaderTest, TheRootColourIsInNoPaletteEntry) {
    const Art art = loadedArt();
    for (uint32_t colour : art.palette) EXPECT_NE(colour & 0xFFFFFF, RootColour);
}

TEST(ScreenReaderTest, EveryGlyphOfEveryTextStyleReadsAsItsCharacter) {
    const Art art = loadedArt();
    const TextStyle styles[] = {lessonText(art), mainText(art, 0), mainText(art, 1),
                                mainText(art, 2)};
    for (const TextStyle& style : styles) {
        for (const Glyph& glyph : style.glyphs) {
            const Picture picture = withGlyph(glyph, style.palette, 80, 40);
            EXPECT_EQ(readCell(picture, 80, 40, style), glyph.code)
                << "tile " << glyph.tile << " in group " << glyph.group;
        }
    }
}

TEST(ScreenReaderTest, ScaledAndLetterboxedScreenshotsGiveThePictureBack) {
    Picture picture;
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    struct Screen {
        int width, height;
        ScreenRect rect;
        bool wholeScale;
    };
    const Screen screens[] = {
        {320, 180, {0, 0, 320, 180}, true},      {640, 360, {0, 0, 640, 360}, true},
        {1280, 1024, {0, 152, 1280, 720}, true}, {800, 600, {0, 75, 800, 450}, false},
        {1366, 768, {0, 0, 1365, 768}, false},   {2560, 1080, {320, 0, 1920, 1080}, false},
    };
    for (const Screen& screen : screens) {
        const ScreenRect rect = pictureRect(screen.width, screen.height);
        EXPECT_EQ(rect.x, screen.rect.x);
        EXPECT_EQ(rect.y, screen.rect.y);
        EXPECT_EQ(rect.width, screen.rect.width);
        EXPECT_EQ(rect.height, screen.rect.height);
        const Screenshot shot = scaledUp(picture, screen.width, screen.height);
        EXPECT_EQ(differingPixels(pictureOf(shot), picture), 0)
            << screen.width << "x" << screen.height;
        EXPECT_TRUE(barsAreBlack(shot));
        if (screen.wholeScale) {
            EXPECT_TRUE(showsExactly(shot, picture));
        }
    }
    Screenshot spoiled = scaledUp(picture, 640, 360);
    spoiled.pixels[641] ^= 1;  // one screen pixel of a 2x2 block
    EXPECT_FALSE(showsExactly(spoiled, picture));
}

// Runs lesson 9 (capitals and punctuation) headless with full frames and compares what the
// reader reads from the pictures with the cells in video memory.
TEST(ScreenReaderTest, TextsReadFromALessonsFramesAreTheTextsInVideoMemory) {
    const Art art = loadedArt();
    ScreenStyles styles{lessonText(art), mainText(art, 2), mainText(art, 0)};
    VirtualHost clock;  // no data folder: no best times are read or saved
    TestVideo test;
    installVirtualHost(clock);
    test.memory().sheet = art.sheet;
    test.memory().palette = art.palette;

    LearnerPlan plan;
    plan.menuDownPresses = 8;
    plan.wrongKeyEvery = 23;
    Learner learner(clock, plan);
    int linesRead = 0;
    int typedRowsRead = 0;
    int resultsRead = 0;
    bool menuRead = false;
    std::string lastLine;
    // Frames are read before the learner answers them, while the texts are in full colour.
    clock.onFrame = [&](const VideoMemory& memory) {
        Picture picture;
        std::copy(memory.pixels, memory.pixels + picture.pixels.size(), picture.pixels.begin());
        if (!menuRead && learner.phase == LearnerPhase::Menu &&
            selectedLessonTitle(picture, styles).starts_with("Lesson 9")) {
            EXPECT_EQ(selectedLessonTitle(picture, styles), "Lesson 9: Sentence Punctuation");
            EXPECT_EQ(selectedBestTime(picture, styles), "Best Time: --:--");
            menuRead = true;
        }
        if (learner.phase == LearnerPhase::Exercise &&
            readLessonText(memory, 2, 16) == "Type these words:") {
            const std::string line = readLessonText(memory, 2, 18);
            if (line != lastLine || clock.framesComposed % 7 == 0) {
                EXPECT_EQ(lineToType(picture, styles), line);
                const TypedRow row = typedRow(picture, styles);
                EXPECT_EQ(row.text, readLessonText(memory, 2, 20));
                EXPECT_EQ(row.cursor, int(row.text.size()));
                if (line != lastLine) ++linesRead;
                ++typedRowsRead;
                lastLine = line;
            }
        }
        if (!learner.enterPressed && readResultsText(memory, 9, 16, 4) == "Time") {
            EXPECT_EQ(readResults(picture, styles).text, readResultsText(memory, 9, 12, 21) + "\n" +
                                                             readResultsText(memory, 9, 14, 21) +
                                                             "\n" +
                                                             readResultsText(memory, 9, 16, 21));
            EXPECT_EQ(readResults(picture, styles).errors, learner.errorsMade);
            ++resultsRead;
        }
        learner.onFrame(memory);
    };
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu);
    for (int i = 0; i < plan.menuDownPresses; ++i) clock.keyDown(64, SDLK_DOWN, SDL_SCANCODE_DOWN);
    clock.keyDown(64 + 8 * 16 + 2, SDLK_RETURN, SDL_SCANCODE_RETURN);
    runLessonMenu(menu);
    restoreHost();
    EXPECT_TRUE(menuRead);
    EXPECT_EQ(linesRead, 10);
    EXPECT_GT(typedRowsRead, 30);
    EXPECT_EQ(resultsRead, 1);
}

}  // namespace
