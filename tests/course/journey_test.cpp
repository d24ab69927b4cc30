// Whole journeys through the real screens and art, and every way out. Chosen frames are
// compared with tests/golden/, which script/update-goldens writes anew (look before committing).
#include "course/common/art_tiles.h"
#include "course/records/best_times.h"
#include "course/records/settings.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/title_screen.h"
#include "engine/asset_files.h"
#include "tests/support/history_seed.h"
#include "tests/support/hosted_test.h"
#include "tools/png_file.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

// Compares a composed frame with tests/golden/NAME.png pixel for pixel, or writes it anew.
void expectGolden(const std::string& name, const std::vector<uint32_t>& frame) {
    ASSERT_FALSE(frame.empty()) << name << " never appeared";
    const std::string path = std::string(QUENMORE_SOURCE_DIR "/tests/golden/") + name + ".png";
    if (const char* update = std::getenv("QUENMORE_UPDATE_GOLDENS"); update && *update == '1') {
        EXPECT_TRUE(writePng(path.c_str(), frame.data(), ScreenWidth, ScreenHeight)) << path;
        return;
    }
    std::vector<uint32_t> golden;
    int width = 0, height = 0, differing = 0;
    ASSERT_TRUE(readPng(path.c_str(), golden, width, height)) << path;
    ASSERT_EQ(width * height, ScreenWidth * ScreenHeight);
    for (size_t i = 0; i < frame.size(); ++i) differing += ((frame[i] ^ golden[i]) & 0xFFFFFF) != 0;
    EXPECT_EQ(differing, 0) << name;
}

class JourneyTest : public HostedTest {
  protected:
    std::string bestTimesFile = data.file(BestTimesFileName);
    std::map<std::string, std::vector<uint32_t>> shots;

    void SetUp() override {
        HostedTest::SetUp();
        ASSERT_TRUE(
            loadCharacterSheet(test.memory().sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr"));
        convertCharacterSheet(test.memory().sheet);
        ASSERT_TRUE(loadPalette(test.memory().palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal"));
    }

    // Keeps the first frame for which `when` holds as shot `name`.
    void shoot(const char* name, const VideoMemory& memory, bool when) {
        if (when && shots[name].empty()) shots[name].assign(memory.pixels, memory.pixels + 57600);
    }
};

// The journey that checks golden frames on the way: script/update-goldens runs it.
using GoldenTest = JourneyTest;
TEST_F(GoldenTest, AWholeJourneyAndBestTimesAfterARestart) {
    BestTimes stored;  // lesson 2 has a time, which the menu shows and the first save keeps
    stored.fill(-1);
    stored[1] = 75;
    saveBestTimes(stored);
    clock.onFrame = [&](const VideoMemory& memory) {
        shoot("title", memory, clock.framesComposed == 64 + 224);  // logo and prompt shown
    };
    setUpTitleScreen(test.video());
    clock.keyDown(64 + 224, SDLK_SPACE, SDL_SCANCODE_SPACE);
    EXPECT_EQ(runTitleScreen(test.video()), ScreenExit::Done);
    LessonMenu menu{};
    Learner learner(clock, {.wrongKeyEvery = 30});
    const uint64_t menuShown = clock.framesComposed + 64 + 20;
    playFromMenu(menu, learner, 21, [&](const VideoMemory& memory) {
        shoot("menu", memory, clock.framesComposed == menuShown);
        shoot("intro", memory, readText(memory, {16, 152, 36, LessonStyle}) == "the letter \"d.\"");
        shoot("results", memory, readText(memory, {64, 144, 5, ResultsStyle}) == "Press");
    });
    const int seconds = learner.results.seconds;
    EXPECT_EQ(learner.phase, LearnerPhase::BackInMenu);
    EXPECT_GT(learner.errorsMade, 5);
    EXPECT_EQ(learner.results.errors, learner.errorsMade) << learner.results.text;
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
    char time[32];  // the menu shows the new time on the selected row
    std::snprintf(time, sizeof time, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    EXPECT_EQ(readText(test.memory(), MenuBestTime), time);
    Bytes expected = {uint8_t(seconds), uint8_t(seconds >> 8), 0, 0x80, 75, 0, 0, 0x80};
    expected.resize(40);  // the records of lessons 1 and 2, little-endian, bit 31 set
    EXPECT_EQ(readBytes(bestTimesFile), expected);

    // A restart reads the time back; lesson 7 then types its capitals with Shift held.
    LessonMenu restarted{};
    Learner shifting(clock, {.menuDownPresses = 6, .wrongKeyEvery = 25});
    playFromMenu(restarted, shifting, 0, [&](const VideoMemory& memory) {
        shoot("exercise-shift", memory,  // the left Shift key's face shown pressed
              shifting.phase == LearnerPhase::Exercise && shifting.charactersTyped >= 4 &&
                  cellTileOf(memory.maps[size_t(mapIndex(2, 0, 6))]) == 3);
    });
    EXPECT_EQ(restarted.entries[0].bestTime, seconds);
    EXPECT_EQ(restarted.entries[6].bestTime, shifting.results.seconds);
    for (const char* name : {"title", "menu", "intro", "results", "exercise-shift"})
        expectGolden(name, shots[name]);
    EXPECT_TRUE(clock.voice.empty()) << "speech is off: nothing is said";
}

// The finger guide in lesson 7 on a US keyboard (a capital and the other hand's Shift lit)
// and in lesson 8 on a French one.
TEST_F(GoldenTest, TheExerciseWithTheFingerGuideOnUsAndFrenchKeyboards) {
    Settings settings;
    settings.fingerGuide = true;
    const auto lit = [](const VideoMemory& memory, int column) {
        return cellTileOf(memory.maps[size_t(mapIndex(2, column, 6))]) == art::LitKeyTopLeft;
    };
    LessonMenu menu{};
    Learner capitals(clock, {.menuDownPresses = 6});
    playFromMenu(
        menu, capitals, 0,
        [&](const VideoMemory& memory) {
            shoot("exercise-finger-guide", memory,
                  capitals.phase == LearnerPhase::Exercise && capitals.charactersTyped >= 4 &&
                      (lit(memory, 0) || lit(memory, 25)));
        },
        0, &settings);
    EXPECT_EQ(capitals.phase, LearnerPhase::BackInMenu);
    EXPECT_EQ(capitals.results.errors, 0);
    clock.layout = &frenchLayout();
    Learner french(
        clock, {.menuDownPresses = 7, .interrupts = true, .interruptIn = LearnerPhase::Exercise});
    playFromMenu(
        menu, french, 0,
        [&](const VideoMemory& memory) {
            shoot("exercise-finger-guide-french", memory, french.phase == LearnerPhase::Exercise);
        },
        0, &settings);
    for (const char* name : {"exercise-finger-guide", "exercise-finger-guide-french"})
        expectGolden(name, shots[name]);
}

// The Options screen in every colour scheme and the menu in the high-contrast one, saved.
TEST_F(GoldenTest, OptionsInEveryColourScheme) {
    Settings settings;
    LessonMenu menu{};
    const uint64_t o = clock.framesComposed + 70;
    const uint64_t faded = 64 + 64 + 10;  // the menu's fade-out, the screen's fade-in, a look
    clock.onFrame = [&](const VideoMemory& memory) {
        const uint64_t frame = clock.framesComposed;
        shoot("options", memory, frame == o + faded);
        shoot("options-high-contrast", memory, frame == o + 160);
        shoot("menu-high-contrast", memory, frame == o + 170 + faded);
        shoot("options-colour-blind", memory, frame == o + 320 + faded + 20);
    };
    setUpLessonMenu(test.video(), menu, &settings);
    const auto press = [&](uint64_t frame, SDL_Keycode key, SDL_Scancode scancode, int times = 1) {
        for (int i = 0; i < times; ++i) clock.keyDown(frame, key, scancode);
    };
    press(o, SDLK_o, SDL_SCANCODE_O);
    press(o + 150, SDLK_DOWN, SDL_SCANCODE_DOWN, 3);  // to the colours
    press(o + 151, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    press(o + 170, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    press(o + 320, SDLK_o, SDL_SCANCODE_O);
    press(o + 320 + faded, SDLK_DOWN, SDL_SCANCODE_DOWN, 3);
    press(o + 320 + faded + 1, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    press(o + 320 + faded + 30, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    press(o + 320 + faded + 30 + faded, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    runLessonMenu(menu);
    clock.onFrame = nullptr;
    const Bytes saved = readBytes(data.file(SettingsFileName));
    EXPECT_EQ(settings.colours, ColourScheme::ColourBlind);
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("colours = colour-blind\n"),
              std::string::npos);
    for (const char* name :
         {"options", "options-high-contrast", "menu-high-contrast", "options-colour-blind"})
        expectGolden(name, shots[name]);
}

// The progress screen without a history and with one, and the practice's intro from it.
TEST_F(GoldenTest, ProgressPagesAndThePracticeIntro) {
    LessonMenu menu{};
    // Tab in the menu, a look once the page has faded in, Tab back, then `more`, and Escape.
    auto visit = [&](const char* name, std::function<void(uint64_t)> more = {}) {
        const uint64_t tab = clock.framesComposed + 70;
        clock.onFrame = [&, tab, name](const VideoMemory& memory) {
            shoot(name, memory, clock.framesComposed == tab + 64 + 64 + 10);
            shoot("practice-intro", memory,
                  readText(memory, {16, 152, 36, LessonStyle}) == "Press a key to begin.");
        };
        setUpLessonMenu(test.video(), menu);
        clock.keyDown(tab, SDLK_TAB, SDL_SCANCODE_TAB);
        clock.keyDown(tab + 150, SDLK_TAB, SDL_SCANCODE_TAB);
        const uint64_t back = tab + 150 + 64 + 64 + 5;
        if (more) more(back);
        clock.keyDown(back + 600, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        runLessonMenu(menu);
        clock.onFrame = nullptr;
    };
    visit("progress-empty");
    // Two dozen runs of lesson 1 getting faster, with misses on five keys, more on each.
    const char* const missed = "fjs;g";
    const char* const instead = "dkalh";
    for (int i = 0; i < 24; ++i) {
        clock.calendarSeconds += 3600;
        const int step = i % 5 + 1;
        ASSERT_TRUE(seedRun(0, 120 - 2 * i, 330, 2 * step * step, missed[i % 5], instead[i % 5]));
    }
    ASSERT_TRUE(seedRun(4, 90, 330, 3, 'v', 'b'));
    visit("progress", [&](uint64_t back) {
        for (int i = 0; i < 10; ++i) clock.keyDown(back, SDLK_DOWN, SDL_SCANCODE_DOWN);
        clock.keyDown(back + 200, SDLK_RETURN, SDL_SCANCODE_RETURN);
        clock.keyDown(back + 500, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    });
    for (const char* name : {"progress-empty", "progress", "practice-intro"})
        expectGolden(name, shots[name]);
}

// Escape and window close everywhere: the title, a close in the menu or in an intro end the
// program at once; elsewhere the lesson is abandoned (palette as it was), and a finished run's
// time is recorded before the results take input, so no way out loses it.
TEST_F(JourneyTest, EscapeAndWindowCloseInEveryPhase) {
    test.composeNarrowFrames();
    const Palette palette = test.memory().palette;
    for (bool close : {false, true}) {  // the title: the last frame shown is the 80th
        VirtualHost title;
        installVirtualHost(title);
        close ? title.quit(80) : title.keyDown(80, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        setUpTitleScreen(test.video());
        EXPECT_EQ(runTitleScreen(test.video()), ScreenExit::Quit);
        EXPECT_EQ(title.framesComposed, 80u) << close;
    }
    installVirtualHost(clock);
    LessonMenu menu{};
    const uint64_t menuStart = clock.framesComposed;
    clock.quit(menuStart + 80);  // the menu, at once: no fade to black
    setUpLessonMenu(test.video(), menu);
    runLessonMenu(menu);
    EXPECT_EQ(clock.framesComposed - menuStart, 80u);
    for (LearnerPhase phase :
         {LearnerPhase::Lesson, LearnerPhase::Exercise, LearnerPhase::Results}) {
        for (bool close : {false, true}) {
            const bool timeRecorded = phase == LearnerPhase::Results;
            std::remove(bestTimesFile.c_str());
            Learner learner(
                clock, {.interrupts = true, .interruptIn = phase, .interruptWithClose = close});
            playFromMenu(menu, learner);
            // A close in the intro ends the program; everything else goes back to the menu.
            const bool ended = phase == LearnerPhase::Lesson && close;
            EXPECT_EQ(learner.phase == LearnerPhase::BackInMenu, !ended) << int(phase) << close;
            EXPECT_EQ(menu.entries[0].bestTime > 0, timeRecorded);
            EXPECT_EQ(test.memory().palette, palette);  // whatever the lesson changed
            EXPECT_EQ(readBytes(bestTimesFile).empty(), !timeRecorded) << int(phase) << close;
        }
    }
}

// A termination request (a signal, a logout) ends the program in every phase at the next
// frame, after a finished run's time is saved.
TEST_F(JourneyTest, ATerminationRequestEndsTheProgramAfterSavingAFinishedRun) {
    test.composeNarrowFrames();
    for (LearnerPhase phase : {LearnerPhase::Menu, LearnerPhase::Lesson, LearnerPhase::Exercise,
                               LearnerPhase::Results}) {
        std::remove(bestTimesFile.c_str());
        clock.terminationFrame = UINT64_MAX;
        test.video().ending = false;
        LessonMenu menu{};
        Learner learner(clock, {});
        playFromMenu(menu, learner, 0, [&](const VideoMemory&) {
            if (learner.phase == phase && clock.terminationFrame == UINT64_MAX)
                clock.terminationFrame = clock.framesComposed + 10;
        });
        EXPECT_TRUE(test.video().ending) << int(phase);
        EXPECT_EQ(clock.framesComposed, clock.terminationFrame) << int(phase);
        EXPECT_NE(learner.phase, LearnerPhase::BackInMenu);
        EXPECT_EQ(readBytes(bestTimesFile).size(), phase == LearnerPhase::Results ? 40u : 0u);
    }
}

// A failed save is told on the results screen and stderr; the next save that works has it.
TEST_F(JourneyTest, AFailedSaveIsShownAndTheNextSaveIncludesTheTime) {
    writeBytes(data.file("blocked"), {1});
    clock.dataFolder = data.file("blocked") + "/data";  // a file where a folder must be
    LessonMenu menu{};
    std::string notice;
    Learner first(clock, {});
    testing::internal::CaptureStderr();
    playFromMenu(menu, first, 0, [&](const VideoMemory& memory) {
        const std::string line = readText(memory, {0, 160, 40, ResultsStyle});  // row 20
        if (first.phase == LearnerPhase::Results && notice.empty() && !line.empty())
            notice = line.substr(line.find_first_not_of(' '));
    });
    const std::string told = testing::internal::GetCapturedStderr();
    const int seconds = first.results.seconds;
    EXPECT_EQ(menu.entries[0].bestTime, seconds);
#ifdef _WIN32  // the system's own words for the reason: POSIX's pinned, Windows' only said
    const std::string reason;
#else
    const std::string reason = "Not a directory";
#endif
    EXPECT_TRUE(notice.starts_with("Time not saved: " + reason) && notice.size() > 16) << notice;
    EXPECT_NE(told.find("best time could not be saved in " + clock.dataFolder), std::string::npos)
        << told;
    EXPECT_NE(told.find("quenmoreTimes.bin: " + reason), std::string::npos) << told;
    clock.dataFolder = data.path.string();  // lesson 2 next, in the same run of the menu
    Learner second(clock, {});
    clock.onFrame = [&](const VideoMemory& memory) { second.onFrame(memory); };
    auto screen = std::make_unique<LessonScreen>();
    menu.selectedIndex = 1;
    EXPECT_EQ(startSelectedLesson(menu, *screen), ScreenExit::Done);
    const Bytes stored = readBytes(bestTimesFile);
    ASSERT_EQ(stored.size(), 40u);
    EXPECT_EQ(stored[0] | stored[1] << 8, seconds);
    EXPECT_EQ(stored[4] | stored[5] << 8, second.results.seconds);
}

}  // namespace
