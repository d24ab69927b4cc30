// The fixture of the real-window tests, native and under Wine: the program in a private X
// session with a fresh folder, read from screenshots by matching 8x8 cells against the glyphs
// of the asset files (never through the program's memory) and driven with the keys of a US
// keyboard. Caps Lock is off before and after; a failing test leaves its last screenshot in
// the build folder and prints the program's output.
#pragma once

#include "course/common/screen_text.h"
#include "course/screens/title_screen.h"
#include "engine/asset_files.h"
#include "engine/display.h"
#include "testing/virtual_host.h"
#include "testing/x_session.h"
#include "tests/support/learner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_video.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <pwd.h>
#include <unistd.h>

struct ProgramUnderTest {
    std::vector<std::string> command;
    std::vector<std::string> environment;  // changes, as for spawnProcess
    std::string bestTimesFile;
    std::string winePrefix;  // a Windows program's: its Wine session must know the display
};

// SDL must find the X server by itself, as on a desktop.
inline const std::vector<std::string> DesktopEnvironment = {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                                                            "SDL_RENDER_DRIVER"};

inline ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder) {
    ProgramUnderTest program{{path}, DesktopEnvironment, dataFolder + "/quenmoreTimes.bin", ""};
    program.environment.push_back("XDG_DATA_HOME=" + dataFolder);
    return program;
}

inline ProgramUnderTest wineProgram(const std::string& exe, const std::string& prefix) {
    const passwd* user = getpwuid(getuid());  // Wine names the user's folder after the Unix user
    const std::string roaming = prefix + "/drive_c/users/" +
                                (user != nullptr ? user->pw_name : "root") + "/AppData/Roaming";
    return {{QUENMORE_WINE_RUN, prefix, exe},
            DesktopEnvironment,
            roaming + "/quenmoreTimes.bin",
            prefix};
}

// The 320x180 picture as the screen shows it, read at the centre of each art pixel's place in
// the letterbox; whether a screen a whole multiple of it shows it pixel-exactly.
inline Image pictureOf(const Image& shot) {
    Image picture{ScreenWidth, ScreenHeight, std::vector<uint32_t>(ScreenWidth * ScreenHeight)};
    const DisplayRect r = letterboxRect(shot.width, shot.height, ScreenWidth, ScreenHeight);
    for (int y = 0; r.w > 0 && y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            picture.pixels[size_t(y * ScreenWidth + x)] =
                shot.at(r.x + (2 * x + 1) * r.w / (2 * ScreenWidth),
                        r.y + (2 * y + 1) * r.h / (2 * ScreenHeight));
        }
    }
    return picture;
}

inline bool showsExactly(const Image& shot, const Image& picture) {
    const int scale = shot.width / ScreenWidth;
    if (scale < 1 || shot.width != ScreenWidth * scale || shot.height != ScreenHeight * scale)
        return false;
    for (int i = 0; i < shot.width * shot.height; ++i) {
        const int x = i % shot.width, y = i / shot.width;
        if (shot.at(x, y) != picture.at(x / scale, y / scale)) return false;
    }
    return true;
}

// The xdotool keys that type `text`: those of a US keyboard (none when a character has no
// key), or `byKeysym` the keysyms, for which X picks the key and the Shift or AltGr that the
// layout needs (an ASCII character's keysym is its code). A character that the layout types
// only with a dead key is typed with it and the space bar: `dead` lists them as
// "^ dead_circumflex".
inline std::vector<std::string> keysFor(const std::string& text, bool byKeysym,
                                        const std::vector<std::string>& dead) {
    std::vector<std::string> keys;
    Keystroke stroke{};
    for (char c : text) {
        const auto deadKey =
            std::find_if(dead.begin(), dead.end(), [c](const std::string& d) { return d[0] == c; });
        if (deadKey != dead.end()) {
            keys.insert(keys.end(), {deadKey->substr(2), "space"});
            continue;
        }
        if (!byKeysym && !keystrokeFor(c, stroke)) return {};
        char code[16];
        std::snprintf(code, sizeof code, "%s0x%x", !byKeysym && stroke.shift ? "shift+" : "",
                      byKeysym ? unsigned(uint8_t(c)) : unsigned(stroke.key));
        keys.push_back(c == ' ' ? "space" : code);
    }
    return keys;
}

class RealWindowTest : public ::testing::Test {
  protected:
    TempFolder folder{"quenmore-real-window"};
    ProgramUnderTest program;
    XSession x;
    ChildProcess process;  // ended before the X session
    CharacterSheet sheet{};
    Palette palette{};
    bool wineStarted = false;
    Image lastShot;
    std::vector<std::string> keyboardLayout;  // setxkbmap's arguments; none: the server's US
    bool typeByKeysym = false;                // for keysFor
    std::vector<std::string> deadKeys;
    bool inWindow = false;  // the program shows a window, not the whole screen: look at it alone
    // How the menu's course names its lessons ("Lesson 1:", "Lektion 1:", "Le\xE7on 1 :"), and
    // whether it is the US lessons, whose best times the best-times file keeps.
    std::string lessonWord = "Lesson ";
    std::string lessonColon = ":";
    bool usLessons = true;
    std::string lineCharacters;  // the characters the lines may hold; empty: any

    ~RealWindowTest() override {
        stopProcess(process);
        if (wineStarted)
            runCommand({QUENMORE_WINE_RUN, program.winePrefix, "--stop"}, {}, logs("wine"), 60);
    }

    std::string logs(const std::string& name) const { return folder.file(name + ".log"); }

    // A screen of width x height and, for a Windows program, its Wine session for that
    // display (the prefix made when missing); Caps Lock off; the program started.
    void start(const ProgramUnderTest& programUnderTest, int width, int height) {
        ASSERT_NO_FATAL_FAILURE(startSession(programUnderTest, width, height));
        launch();
    }

    // The same, but for starting the program: that is left to launch().
    void startSession(const ProgramUnderTest& programUnderTest, int width, int height) {
        program = programUnderTest;
        ASSERT_TRUE(loadCharacterSheet(sheet, QUENMORE_SOURCE_DIR "/assets/quenmore.chr"));
        convertCharacterSheet(sheet);
        ASSERT_TRUE(loadPalette(palette, QUENMORE_SOURCE_DIR "/assets/quenmore.pal"));
        std::string error;
        ASSERT_TRUE(startXSession(x, width, height, folder.path.string(), error)) << error;
        if (!program.winePrefix.empty()) {
            // Wine's server outlives the program by a minute, enough for a restart, and ends
            // by itself after a test that could not stop it.
            wineStarted = runCommand({QUENMORE_WINE_RUN, program.winePrefix, "--start", "60"},
                                     {"DISPLAY=" + x.name}, logs("wine"), 600);
            ASSERT_TRUE(wineStarted) << readFile(logs("wine"));
        }
        ASSERT_TRUE(setCapsLock(x, false));
        if (!keyboardLayout.empty()) {
            std::vector<std::string> command = {"setxkbmap", "-display", x.name};
            command.insert(command.end(), keyboardLayout.begin(), keyboardLayout.end());
            ASSERT_TRUE(runCommand(command, {}, logs("setxkbmap"))) << readFile(logs("setxkbmap"));
        }
    }

    void launch() {
        std::vector<std::string> environment = program.environment;
        environment.push_back("DISPLAY=" + x.name);
        spawnProcess(process, program.command, environment, logs("program"));
    }

#ifdef QUENMORE_PROGRAM
    // On a screen of width x height, the native program, or the quenmore.exe that
    // QUENMORE_WINE_PROGRAM names, under Wine in a fresh prefix.
    static const char* wineExe() {
        const char* exe = std::getenv("QUENMORE_WINE_PROGRAM");
        return exe != nullptr && exe[0] != '\0' ? exe : nullptr;
    }
    void startAt(int width, int height) {
        const std::string data = folder.file("data");
        start(wineExe() ? wineProgram(wineExe(), data + "/wine")
                        : nativeProgram(QUENMORE_PROGRAM, data),
              width, height);
    }
#endif

    int exitStatusWithin(double seconds) {
        return waitForExit(process, seconds) ? exitCode(process) : -1;
    }

    // How many opaque pixels `tile` has in its top `rows`, if every one of them shows at
    // (left, top) in palette group `group`; otherwise -1.
    int tileShows(const Image& picture, int left, int top, int tile, int group,
                  int rows = 8) const {
        if (left < 0 || top < 0 || left + 8 > picture.width || top + 8 > picture.height) return -1;
        int opaque = 0;
        for (int i = 0; i < rows * 8; ++i) {
            const uint8_t byte = sheet[size_t(sheetOffset(tile, i % 8, i / 8))];
            const int value = i % 2 == 0 ? byte >> 4 : byte & 15;
            if (value != 0 &&
                picture.at(left + i % 8, top + i / 8) != palette[size_t(group * 16 + value)])
                return -1;
            opaque += value != 0;
        }
        return opaque;
    }

    // Of the glyphs whose every opaque pixel shows, the one with most of them (a blank
    // matches anything, so it wins only alone); UnknownCell for none or a tie.
    char readCell(const Image& picture, int left, int top, TextStyle style) const {
        char best = UnknownCell;
        int most = -1;
        bool tied = false;
        // Each font's Latin-1 letters too, which lie elsewhere in the sheet.
        for (int code = 32; code < 256; ++code) {
            if (code > 127 && !hasGlyph(uint8_t(code))) continue;
            const bool main = style.firstTile == 0;
            const int tile = code == CursorCell ? 7
                             : code <= 127      ? style.firstTile + code
                             : main             ? mainFontTile(uint8_t(code))
                                                : lessonFontTile(uint8_t(code));
            const int opaque = tileShows(picture, left, top, tile, style.group);
            if (opaque < 0) continue;
            tied = opaque == most || (tied && opaque < most);
            if (opaque > most) best = char(code), most = opaque;
        }
        return tied ? UnknownCell : best;
    }

    std::string read(const Image& picture, TextPlace place) const {
        std::string text;
        for (int i = 0; i < place.cells; ++i)
            text.push_back(readCell(picture, place.x + 8 * i, place.y, place.style));
        while (text.ends_with(' ')) text.pop_back();
        return text;
    }

    Image look() {
        lastShot = takeScreenshot(x);
        if (!inWindow) return pictureOf(lastShot);
        const WindowInfo window = findWindow(x, "Quenmore");
        Image inside{std::max(window.width, 1), std::max(window.height, 1), {}};
        inside.pixels.resize(size_t(inside.width) * size_t(inside.height), RootColour);
        for (int y = 0; y < window.height; ++y)
            for (int x0 = 0; x0 < window.width; ++x0)
                if (window.x + x0 < lastShot.width && window.y + y < lastShot.height)
                    inside.pixels[size_t(y * inside.width + x0)] =
                        lastShot.at(window.x + x0, window.y + y);
        return pictureOf(inside);
    }

    // Looks until `seen` holds (true), or the time is up or the program has ended (false);
    // meanwhile presses `key`, if any, every `periodMs`.
    bool waitToSee(const std::function<bool(const Image&)>& seen, double seconds = 30,
                   const std::string& key = "", int periodMs = 0) {
        auto pressed = std::chrono::steady_clock::time_point();
        const auto looked = [&] {
            if (seen(look()) || hasExited(process)) return true;
            if (!key.empty() &&
                std::chrono::steady_clock::now() - pressed > std::chrono::milliseconds(periodMs)) {
                pressKeys(x, {key});
                pressed = std::chrono::steady_clock::now();
            }
            return false;
        };
        return pollUntil(looked, seconds) && !hasExited(process);
    }

    bool waitForText(TextPlace place, const std::string& text, bool startOnly = false) {
        return waitToSee([&](const Image& picture) {
            return startOnly ? read(picture, place).starts_with(text)
                             : read(picture, place) == text;
        });
    }

    bool screenCovered() {
        if (inWindow) return findWindow(x, "Quenmore").viewable;
        return !lastShot.pixels.empty() && std::find(lastShot.pixels.begin(), lastShot.pixels.end(),
                                                     RootColour) == lastShot.pixels.end();
    }

    // Waits for the title to cover the screen, then presses the space bar until the menu
    // shows: a key pressed before the window has the focus is lost, and the menu ignores it.
    bool leaveTitle() {
        return waitToSee([&](const Image&) { return screenCovered(); }, 60) &&
               waitToSee(
                   [&](const Image& picture) {
                       return read(picture, MenuTitle).starts_with(lessonTitle(1));
                   },
                   30, "space", 2000);
    }

    std::string lessonTitle(int number) const {
        return lessonWord + std::to_string(number) + lessonColon;
    }

    bool chooseLesson(int number) {
        return pressKeys(x, std::vector<std::string>(size_t(number - 1), "Down"), 30) &&
               waitForText(MenuTitle, lessonTitle(number), true);
    }

    // Starts the selected lesson; its intro waits for a key now and then, and Enter answers
    // it and types nothing later on.
    bool reachExercise() {
        return waitToSee(
            [&](const Image& picture) { return read(picture, Heading) == "Type these words:"; },
            120, "Return", 250);
    }

    LessonResults readResults(const Image& picture) const {
        return ::readResults([&](TextPlace place) { return read(picture, place); });
    }

    // Every picture the title can show once its logo is in, as the engine draws it headless:
    // the program runs on the real clock, so a screenshot may catch any. From frame 191
    // (fade-in 64, logo 127) the backdrop's 48 offsets and the prompt's blink come round in 192.
    const std::vector<Image>& titleFrames() {
        static const std::vector<Image> frames = [this] {
            constexpr uint64_t First = 64 + 127, Period = 192;
            std::vector<Image> found;
            VirtualHost clock;
            TestVideo test;
            installVirtualHost(clock);
            test.memory().sheet = sheet;
            test.memory().palette = palette;
            clock.onFrame = [&](const VideoMemory& memory) {
                if (clock.framesComposed < First || clock.framesComposed >= First + Period) return;
                const Image picture{ScreenWidth,
                                    ScreenHeight,
                                    {memory.pixels, memory.pixels + ScreenWidth * ScreenHeight}};
                if (std::find(found.begin(), found.end(), picture) == found.end())
                    found.push_back(picture);
            };
            clock.keyDown(First + Period, SDLK_SPACE, SDL_SCANCODE_SPACE);
            setUpTitleScreen(test.video());
            runTitleScreen(test.video());
            restoreHost();
            return found;
        }();
        return frames;
    }

    // A viewable window titled "Quenmore" covers the whole screen, without a pointer, and
    // shows a title frame pixel for pixel (that the golden title is one of those frames, the
    // headless journey pins).
    void expectFullScreenTitle() {
        ASSERT_TRUE(waitToSee([&](const Image&) { return screenCovered(); }, 60))
            << "the program never covered the screen";
        const std::vector<Image>& frames = titleFrames();
        EXPECT_EQ(frames.size(), 96u);  // 48 backdrop offsets, each with the prompt on and off
        EXPECT_TRUE(waitToSee([&](const Image& picture) {
            return std::find(frames.begin(), frames.end(), picture) != frames.end() &&
                   showsExactly(lastShot, picture);
        })) << "the screen never showed a title frame exactly";
        const WindowInfo window = findWindow(x, "Quenmore");
        ASSERT_NE(window.id, 0u) << "no window titled Quenmore";
        EXPECT_EQ(
            (std::vector<int>{window.viewable, window.x, window.y, window.width, window.height}),
            (std::vector<int>{true, 0, 0, x.width, x.height}));
        EXPECT_TRUE(pollUntil([&] { return pointerHidden(x); }, 10));
    }

    // Escape in the menu ends the program with status 0 (after the fade-out, whose frames the
    // headless tests follow).
    void escapeFromMenu() {
        ASSERT_TRUE(pressKeys(x, {"Escape"}));
        EXPECT_EQ(exitStatusWithin(30), 0) << describeEnd(process);
    }

    // Types the ten lines of lesson `number`'s exercise as read off the screen (each made of
    // lineCharacters, when given), with a wrong key in every third line (the other character
    // of the key that was due, as when Shift slips); the results count them, Enter leads to the
    // menu with the new best time, and the file holds ten little-endian records, as before but
    // for this lesson's: its time and bit 31 set (for the US lessons; it is as it was for
    // another course).
    void finishLesson(int number, std::string& bestTime) {
        Bytes expected = readBytes(program.bestTimesFile);  // earlier lessons' records stay
        int mistakes = 0, characters = 0;
        for (int line = 0; line < 10; ++line) {
            const std::string text = read(look(), LineToType);
            const auto keys = [this](const std::string& part) {
                return keysFor(part, typeByKeysym, deadKeys);
            };
            ASSERT_TRUE(text.size() >= 3 && !keys(text).empty()) << line << ": " << text;
            EXPECT_TRUE(lineCharacters.empty() ||
                        text.find_first_not_of(lineCharacters) == std::string::npos)
                << line << ": " << text;
            // All but the last key first, so that the typed row is checked before the line ends.
            const std::string allButLast = text.substr(0, text.size() - 1);
            std::string typed = allButLast;
            if (line % 3 == 1) typed.insert(text.size() / 2, 1, otherOnKey(text[text.size() / 2]));
            mistakes += line % 3 == 1;
            characters += int(text.size());
            ASSERT_TRUE(pressKeys(x, keys(typed)));
            ASSERT_TRUE(waitForText(TypedLine, allButLast + CursorCell))
                << "line " << line << " \"" << text << "\" shows \"" << read(look(), TypedLine);
            ASSERT_TRUE(pressKeys(x, keys(text.substr(text.size() - 1))));
            ASSERT_TRUE(waitToSee([&](const Image& picture) {
                if (line == 9) return readResults(picture).shown;
                return read(picture, TypedLine) == std::string(1, CursorCell) &&
                       !read(picture, LineToType).empty();
            })) << "neither a fresh line nor the results after line "
                << line;
        }
        const LessonResults results = readResults(look());
        EXPECT_EQ(results.errors, mistakes) << results.text;
        ASSERT_GT(results.seconds, 0) << results.text;
        EXPECT_EQ(results.wordsPerMinute, 60 * characters / (5 * results.seconds)) << results.text;
        ASSERT_TRUE(pressKeys(x, {"Return"}));
        char text[32];
        std::snprintf(text, sizeof text, "Best Time: %d:%02d", results.seconds / 60,
                      results.seconds % 60);
        bestTime = text;
        EXPECT_TRUE(waitForText(MenuBestTime, bestTime)) << "no " << bestTime;
        // Another course's best times are the history's alone.
        if (!usLessons) {
            EXPECT_EQ(readBytes(program.bestTimesFile), expected) << program.bestTimesFile;
            return;
        }
        expected.resize(40);
        for (int i = 0; i < 4; ++i)
            expected[size_t(4 * number - 4 + i)] =
                uint8_t((0x80000000u | uint32_t(results.seconds)) >> 8 * i);
        EXPECT_EQ(readBytes(program.bestTimesFile), expected) << program.bestTimesFile;
    }

    void TearDown() override {
        if (HasFailure()) {
            std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            std::replace(name.begin(), name.end(), '/', '_');
            const std::string shot = QUENMORE_FAILURE_DIR "/" + name + ".png";
            std::error_code ignored;
            std::filesystem::create_directories(QUENMORE_FAILURE_DIR, ignored);
            writePng(shot.c_str(), lastShot.pixels.data(), lastShot.width, lastShot.height);
            std::cerr << "last screenshot: " << shot << "\nprogram (" << describeEnd(process)
                      << ") wrote:\n"
                      << readFile(process.log) << "\n";
        }
        if (x.display != nullptr) setCapsLock(x, false);
    }
};
