#include "course/records/settings.h"

#include "course/records/data_folder.h"
#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Held by every read-merge-write of the data folder's files (the best times' lock).
constexpr const char* LockFileName = "quenmoreTimes.lock";
constexpr int32_t FarthestWindowPosition = 100000;  // pixels from the desktop's origin
constexpr int32_t MostMonitors = 64;

// A whole decimal number, optionally negative, within [low, high].
bool readNumber(std::string_view text, int32_t low, int32_t high, int32_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9) return false;
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (negative) number = -number;
    if (number < low || number > high) return false;
    value = int32_t(number);
    return true;
}

// A value named by a row of a table with settingName, the row's index its enum value.
template <typename Row, typename Value>
bool readNamed(std::string_view text, const Row* rows, int count, Value& value) {
    for (int i = 0; i < count; ++i) {
        if (text != rows[i].settingName) continue;
        value = Value(i);
        return true;
    }
    return false;
}

bool readSwitch(std::string_view text, bool& value) {
    if (text != "on" && text != "off") return false;
    value = text == "on";
    return true;
}

// The values of "course", as a message names them: "auto, en-us, ... or ...".
const char* courseSettingValues() {
    static const std::string values = [] {
        std::string all = "auto";
        for (int i = 0; i < CourseBookCount; ++i)
            all +=
                std::string(i + 1 < CourseBookCount ? ", " : " or ") + CourseBooks[i].settingName;
        return all;
    }();
    return values.c_str();
}

// One key of the file: how its value is read (null, or what a good value is) and written.
struct KeyRule {
    const char* name;
    SettingKey key;
    const char* (*read)(Settings& settings, std::string_view value);
    std::string (*write)(const Settings& settings);
};

const KeyRule Rules[] = {
    {"display", DisplayKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (v == "fullscreen")
             s.display = DisplayMode::FullScreen;
         else if (v == "window")
             s.display = DisplayMode::Window;
         else
             return "fullscreen or window";
         return nullptr;
     },
     [](const Settings& s) -> std::string {
         return s.display == DisplayMode::Window ? "window" : "fullscreen";
     }},
    {"window_scale", WindowScaleKey,
     [](Settings& s, std::string_view v) -> const char* {
         int32_t scale = 0;
         if (!readNumber(v, 2, LargestWindowScale, scale)) return "a whole number from 2 to 16";
         s.windowScale = scale;
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.windowScale); }},
    {"window_x", WindowPositionKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readNumber(v, -FarthestWindowPosition, FarthestWindowPosition, s.windowX))
             return "a whole number of pixels";
         s.windowPlaced = true;
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.windowX); }},
    {"window_y", WindowPositionKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readNumber(v, -FarthestWindowPosition, FarthestWindowPosition, s.windowY))
             return "a whole number of pixels";
         s.windowPlaced = true;
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.windowY); }},
    {"monitor", MonitorKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readNumber(v, 0, MostMonitors, s.monitor)) return "0 (automatic) or 1 to 64";
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.monitor); }},
    {"colours", ColoursKey,
     [](Settings& s, std::string_view v) -> const char* {
         return readNamed(v, ColourSchemes, ColourSchemeCount, s.colours)
                    ? nullptr
                    : "standard, high-contrast or colour-blind";
     },
     [](const Settings& s) -> std::string { return ColourSchemes[size_t(s.colours)].settingName; }},
    {"sound", SoundKey,
     [](Settings& s, std::string_view v) -> const char* {
         return readNamed(v, SoundModes, SoundModeCount, s.sound) ? nullptr : "off, errors or all";
     },
     [](const Settings& s) -> std::string { return SoundModes[size_t(s.sound)].settingName; }},
    {"volume", VolumeKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readNumber(v, 0, LargestVolume, s.volume)) return "a whole number from 0 to 10";
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.volume); }},
    {"speech", SpeechKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readSwitch(v, s.speech)) return "off or on";
         s.speechChosen = true;
         return nullptr;
     },
     [](const Settings& s) -> std::string { return s.speech ? "on" : "off"; }},
    {"speech_rate", SpeechRateKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (!readNumber(v, SlowestSpeech, FastestSpeech, s.speechRate))
             return "a whole number from -10 to 10";
         return nullptr;
     },
     [](const Settings& s) { return std::to_string(s.speechRate); }},
    {"echo_keys", EchoKeysKey,
     [](Settings& s, std::string_view v) -> const char* {
         return readSwitch(v, s.echoKeys) ? nullptr : "off or on";
     },
     [](const Settings& s) -> std::string { return s.echoKeys ? "on" : "off"; }},
    {"finger_guide", FingerGuideKey,
     [](Settings& s, std::string_view v) -> const char* {
         return readSwitch(v, s.fingerGuide) ? nullptr : "on or off";
     },
     [](const Settings& s) -> std::string { return s.fingerGuide ? "on" : "off"; }},
    {"course", CourseKey,
     [](Settings& s, std::string_view v) -> const char* {
         if (v == "auto") {
             s.course = CourseChoice::Automatic;
             return nullptr;
         }
         for (int i = 0; i < CourseBookCount; ++i) {
             if (v != CourseBooks[i].settingName) continue;
             s.course = CourseChoice(i + 1);
             return nullptr;
         }
         return courseSettingValues();
     },
     [](const Settings& s) -> std::string {
         const int book = int(s.course) - 1;
         return book >= 0 && book < CourseBookCount ? CourseBooks[book].settingName : "auto";
     }},
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The lines of a text, without their line ends.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The rule of a "key = value" line, with its value; null for any other line.
const KeyRule* ruleOf(std::string_view line, std::string_view& key, std::string_view& value) {
    line = trimmed(line);
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string_view::npos) return nullptr;
    key = trimmed(line.substr(0, equals));
    value = trimmed(line.substr(equals + 1));
    for (const KeyRule& rule : Rules)
        if (key == rule.name) return &rule;
    return nullptr;
}

// Whether the bytes are UTF-8 (every value the file holds is ASCII, but a comment need not
// be), with no control characters but tabs.
bool plainText(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        const uint8_t c = uint8_t(line[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\r') return false;
            continue;
        }
        const size_t more = c >= 0xC2 && c < 0xE0   ? 1
                            : c >= 0xE0 && c < 0xF0 ? 2
                            : c >= 0xF0 && c < 0xF5 ? 3
                                                    : 0;
        if (more == 0 || i + more >= line.size()) return false;
        for (size_t m = 1; m <= more; ++m)
            if ((uint8_t(line[i + m]) & 0xC0) != 0x80) return false;
        i += more;
    }
    return true;
}

bool readFile(const std::string& path, std::string& text, std::string& why) {
    text.clear();
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) {
        const std::string found = platform::describeFile(path);
        if (found.ends_with(" bytes"))
            why = "it cannot be read";
        else if (found != "nothing")
            why = "it is " + found + ", not a file";
        return false;
    }
    char chunk[4096];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
           text.size() <= LongestSettingsFile)
        text.append(chunk, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) why = "it cannot be read";
    if (text.size() > LongestSettingsFile) why = "it is longer than 64 KB";
    return why.empty();
}

}  // namespace

void readSettingsText(std::string_view text, Settings& settings, std::string& problems) {
    int number = 0;
    for (std::string_view line : linesOf(text)) {
        ++number;
        const std::string_view content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        std::string why;
        std::string_view key, value;
        const bool plain = plainText(line);
        const KeyRule* rule = plain ? ruleOf(line, key, value) : nullptr;
        if (!plain) {
            why = "it is not plain UTF-8 text";
        } else if (content.find('=') == std::string_view::npos) {
            why = "it is no \"key = value\" line";
        } else if (rule == nullptr) {
            why = "there is no key \"" + std::string(key) + "\"";
        } else {
            Settings changed = settings;
            const char* expected = rule->read(changed, value);
            if (expected == nullptr) {
                settings = changed;
                continue;
            }
            why = std::string(rule->name) + " is " + expected + ", not \"" + std::string(value) +
                  "\"";
        }
        problems += "line " + std::to_string(number) + ": " + why + "\n";
    }
}

std::string settingsTextWith(std::string_view old, const Settings& settings, uint32_t keys) {
    std::string text;
    bool written[std::size(Rules)] = {};
    for (std::string_view line : linesOf(old)) {
        std::string_view key, value;
        const KeyRule* rule = ruleOf(line, key, value);
        if (rule != nullptr && (rule->key & keys) != 0) {
            bool& done = written[size_t(rule - Rules)];
            if (done) continue;
            done = true;
            text += std::string(rule->name) + " = " + rule->write(settings) + "\n";
            continue;
        }
        text.append(line);
        text += '\n';
    }
    if (old.empty()) text = "# Quenmore's settings: one \"key = value\" a line (see the README).\n";
    for (size_t i = 0; i < std::size(Rules); ++i) {
        if ((Rules[i].key & keys) == 0 || written[i]) continue;
        text += std::string(Rules[i].name) + " = " + Rules[i].write(settings) + "\n";
    }
    return text;
}

DisplayChoice displayChoiceOf(const Settings& settings) {
    return {settings.display == DisplayMode::Window,
            settings.windowScale,
            settings.windowPlaced,
            settings.windowX,
            settings.windowY,
            settings.monitor};
}

void takeDisplayChoice(Settings& settings, const DisplayChoice& choice) {
    settings.display = choice.windowed ? DisplayMode::Window : DisplayMode::FullScreen;
    settings.windowScale = choice.scale;
    settings.windowPlaced = choice.placed;
    settings.windowX = choice.x;
    settings.windowY = choice.y;
    settings.monitor = choice.monitor;
}

void loadSettings(Settings& settings) {
    std::string folder, path, text, why;
    if (!dataFolderFile(SettingsFileName, folder, path)) return;
    if (!readFile(path, text, why)) {
        if (!why.empty())
            std::fprintf(stderr, "Quenmore: %s is not used: %s\n", path.c_str(), why.c_str());
        return;
    }
    std::string problems;
    readSettingsText(text, settings, problems);
    for (std::string_view line : linesOf(problems))
        std::fprintf(stderr, "Quenmore: %s %.*s; the line is ignored\n", path.c_str(),
                     int(line.size()), line.data());
}

bool saveSettings(const Settings& settings, uint32_t keys, std::string* reason) {
    std::string unused;
    std::string& why = reason != nullptr ? *reason : unused;
    std::string folder, path, lockPath, old, unreadable;
    if (!dataFolderFile(SettingsFileName, folder, path)) {
        why = folder.empty() ? "no data folder" : "the path is too long";
        return false;
    }
    errno = 0;
    if (!platform::createFolders(folder)) {
        why = errno != 0 ? std::strerror(errno) : "the folder cannot be made";
        return false;
    }
    platform::FileLock lock{};
    const bool locked =
        dataFolderFile(LockFileName, folder, lockPath) && platform::lockFile(lockPath, lock);
    // What the file holds now, another copy's changes included; a file that cannot be read
    // (not a regular file, too long) is not replaced.
    const bool read = readFile(path, old, unreadable);
    bool saved = false;
    if (read || unreadable.empty()) {
        const std::string text = settingsTextWith(old, settings, keys);
        saved = platform::writeFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()),
                                              text.size(), why);
    } else {
        why = unreadable;
    }
    if (locked) platform::unlockFile(lock);
    return saved;
}
