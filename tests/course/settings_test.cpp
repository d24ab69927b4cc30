// The settings file: what each line sets or why it is ignored, a save that rewrites only its
// own keys, and files that are no settings file.
#include "course/records/settings.h"
#include "tests/support/hosted_test.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

Settings read(const std::string& text, std::string& problems) {
    Settings settings;
    problems.clear();
    readSettingsText(text, settings, problems);
    return settings;
}

TEST(SettingsText, EveryGoodLineSetsAndEveryOtherIsNamedAndIgnored) {
    std::string problems;
    const Settings all =
        read("# my choices\n  display = window \nwindow_scale=3\r\nwindow_x = -40\nwindow_y = 120\n"
             "monitor = 2\ncolours = high-contrast\nsound = errors\nvolume = 0\nfinger_guide = on\n"
             "course = en-us\n\n",
             problems);
    EXPECT_TRUE(all.display == DisplayMode::Window && all.windowScale == 3 && all.windowPlaced &&
                all.windowX == -40 && all.windowY == 120 && all.monitor == 2 &&
                all.colours == ColourScheme::HighContrast && all.sound == SoundMode::Errors &&
                all.volume == 0 && all.fingerGuide && all.course == CourseChoice(1));
    EXPECT_EQ(problems, "");
    struct Damaged {
        const char *line, *why;  // why: what the problem report says of line 1
    };
    const Damaged damaged[] = {
        {"display = windowed", "display is fullscreen or window, not \"windowed\""},
        {"window_scale = 1", "window_scale is a whole number from 2 to 16, not \"1\""},
        {"window_scale = 17", "window_scale is a whole number from 2 to 16, not \"17\""},
        {"window_x = 12px", "window_x is a whole number of pixels, not \"12px\""},
        {"monitor = -1", "monitor is 0 (automatic) or 1 to 64, not \"-1\""},
        {"colours = blue", "colours is standard, high-contrast or colour-blind, not \"blue\""},
        {"sound = on", "sound is off, errors or all, not \"on\""},
        {"volume = 11", "volume is a whole number from 0 to 10, not \"11\""},
        {"loudness = 3", "there is no key \"loudness\""},
        {"finger_guide = yes", "finger_guide is on or off, not \"yes\""},
        {"course = klingon",
         "course is auto, en-us, de, fr, en-dvorak or en-colemak, not \"klingon\""},
        {"fullscreen", "it is no \"key = value\" line"},
        {"display = win\xFF", "it is not plain UTF-8 text"},
        {"display\x01 = window", "it is not plain UTF-8 text"},
    };
    for (const Damaged& d : damaged) {
        const Settings settings = read(std::string(d.line) + "\ncolours = colour-blind", problems);
        EXPECT_EQ(problems, "line 1: " + std::string(d.why) + "\n") << d.line;
        EXPECT_EQ(settings.display, DisplayMode::FullScreen) << d.line;    // the default stays
        EXPECT_EQ(settings.colours, ColourScheme::ColourBlind) << d.line;  // the rest is used
    }
    EXPECT_EQ(read("display = window\ndisplay = fullscreen", problems).display,
              DisplayMode::FullScreen);  // the later line wins
    EXPECT_FALSE(read("finger_guide = on\nfinger_guide = off", problems).fingerGuide);
}

// A save writes the keys it is given into the lines that hold them and keeps every other line,
// comments and keys of another version included.
TEST(SettingsText, ASaveRewritesOnlyItsOwnKeys) {
    Settings settings;
    settings.display = DisplayMode::Window;
    settings.colours = ColourScheme::ColourBlind;
    const std::string old = "# mine\ncolours = standard\nsound = all\ndisplay = fullscreen\n"
                            "display = window\nnot a setting\n";
    EXPECT_EQ(settingsTextWith(old, settings, DisplayKey),
              "# mine\ncolours = standard\nsound = all\ndisplay = window\nnot a setting\n");
    EXPECT_EQ(settingsTextWith(old, settings, ColoursKey | MonitorKey),
              "# mine\ncolours = colour-blind\nsound = all\ndisplay = fullscreen\n"
              "display = window\nnot a setting\nmonitor = 0\n");
    settings.fingerGuide = true;
    EXPECT_EQ(settingsTextWith("finger_guide = off\n", settings, FingerGuideKey),
              "finger_guide = on\n");
    settings.windowPlaced = true;
    settings.windowX = 5;
    settings.windowY = 6;
    const std::string made = settingsTextWith("", settings, WindowPositionKey);
    EXPECT_TRUE(made.starts_with("#") && made.ends_with("\nwindow_x = 5\nwindow_y = 6\n")) << made;
}

using SettingsFile = HostedTest;

// No file: the defaults. Two copies saving their own changes keep each other's. Anything but a
// regular file is not read and never replaced; a file that says nothing good stops nothing.
TEST_F(SettingsFile, MissingDamagedAndSharedFiles) {
    const std::string file = data.file(SettingsFileName);
    Settings loaded;
    loadSettings(loaded);
    EXPECT_EQ(loaded.display, DisplayMode::FullScreen);
    EXPECT_FALSE(fs::exists(file));

    Settings first, second;
    first.colours = ColourScheme::HighContrast;
    second.display = DisplayMode::Window;
    ASSERT_TRUE(saveSettings(first, ColoursKey));
    ASSERT_TRUE(saveSettings(second, DisplayKey));
    loadSettings(loaded);
    EXPECT_TRUE(loaded.colours == ColourScheme::HighContrast &&
                loaded.display == DisplayMode::Window);

    testing::internal::CaptureStderr();
    writeBytes(file, {'d', 'i', 's', 'p', 'l', 'a', 'y', '=', 'x', '\n'});
    Settings defaults;
    loadSettings(defaults);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(file + " line 1: display is fullscreen or window"), std::string::npos)
        << said;
    EXPECT_EQ(defaults.display, DisplayMode::FullScreen);

    fs::remove(file);
    fs::create_directory(file);
    testing::internal::CaptureStderr();
    loadSettings(defaults);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("is not used: it is a folder"),
              std::string::npos);
    std::string why;
    EXPECT_FALSE(saveSettings(second, DisplayKey, &why));
    EXPECT_TRUE(fs::is_directory(file)) << why;
}

}  // namespace
