// The learner's choices, kept in "quenmoreSettings.ini" beside the best-times file: UTF-8
// text, one "key = value" a line, "#" comments. Every key has a default, which is the program
// as it always was; a missing file means every default. The file never stops the program
// and never touches the best times or the history.
#pragma once

#include "course/common/colour_schemes.h"
#include "course/common/sounds.h"
#include "course/content/course_books.h"
#include "engine/display.h"

#include <cstdint>
#include <string>
#include <string_view>

constexpr const char* SettingsFileName = "quenmoreSettings.ini";
constexpr size_t LongestSettingsFile = 64 * 1024;  // a longer file is no settings file

enum class DisplayMode : uint8_t { FullScreen, Window };
constexpr int LargestWindowScale = 16;

struct Settings {
    DisplayMode display = DisplayMode::FullScreen;
    int32_t windowScale = 0;    // the window's whole factor, 2 or more; 0: the largest that fits
    bool windowPlaced = false;  // window_x and window_y were given
    int32_t windowX = 0;        // the window's top-left corner on the desktop
    int32_t windowY = 0;
    int32_t monitor = 0;  // 1 for the first; 0: the one the window is on, else the first
    ColourScheme colours = ColourScheme::Standard;
    SoundMode sound = SoundMode::Off;
    int32_t volume = DefaultVolume;  // 0 to 10
    bool speech = false;             // the screens speak
    bool speechChosen = false;  // the file says speech on or off: a screen reader changes nothing
    int32_t speechRate = 0;     // -10 to 10; 0: the voice's own
    bool echoKeys = false;      // the exercise names the keys judged right too
    bool fingerGuide = false;   // the exercise lights the next key in its finger's colour
    CourseChoice course = CourseChoice::Automatic;  // the menu's first course
};
constexpr int32_t SlowestSpeech = -10, FastestSpeech = 10;

// The keys, one bit each, so that a save writes only the choices that changed: two copies of
// the program then keep each other's changes.
enum SettingKey : uint32_t {
    DisplayKey = 1u << 0,
    WindowScaleKey = 1u << 1,
    WindowPositionKey = 1u << 2,  // window_x and window_y together
    MonitorKey = 1u << 3,
    ColoursKey = 1u << 4,
    SoundKey = 1u << 5,
    VolumeKey = 1u << 6,
    SpeechKey = 1u << 7,
    SpeechRateKey = 1u << 8,
    EchoKeysKey = 1u << 9,
    FingerGuideKey = 1u << 10,
    CourseKey = 1u << 11,
};

// Reads settings from a file's text into `settings`: every line that is a known key with a
// good value sets it; every other line (a damaged one, an unknown key, a value out of range)
// is ignored, and `problems` gets one line for it ("line N: why"). Later lines win.
void readSettingsText(std::string_view text, Settings& settings, std::string& problems);
// The file's text after a save of `keys`: the lines of those keys in `old` take the new
// values (a key given twice keeps its first line), keys not in it yet are added, and every
// other line, comments and keys of other versions included, stays as it was.
std::string settingsTextWith(std::string_view old, const Settings& settings, uint32_t keys);

// The display the settings choose, and the settings of a display choice.
DisplayChoice displayChoiceOf(const Settings& settings);
void takeDisplayChoice(Settings& settings, const DisplayChoice& choice);

// Reads the settings file of the data folder; says on stderr, once a line, what was ignored.
void loadSettings(Settings& settings);
// Writes `keys` of `settings` into the file under the data folder's lock, atomically, keeping
// what other copies of the program wrote. False, with the reason, when nothing was written.
bool saveSettings(const Settings& settings, uint32_t keys, std::string* reason = nullptr);
