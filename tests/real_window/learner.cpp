#include "tests/real_window/learner.h"

#include "engine/asset_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

Image pictureOf(const Image& shot) {
    Image picture{ScreenWidth, ScreenHeight, std::vector<uint32_t>(ScreenWidth * ScreenHeight)};
    const int scale = shot.width / ScreenWidth;
    if (scale < 1 || shot.height < ScreenHeight * scale) return picture;
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x)
            picture.pixels[size_t(y * ScreenWidth + x)] = shot.at(x * scale, y * scale);
    }
    return picture;
}

bool showsExactly(const Image& shot, const Image& picture) {
    const int scale = shot.width / ScreenWidth;
    if (scale < 1 || shot.width != ScreenWidth * scale || shot.height != ScreenHeight * scale)
        return false;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (shot.at(x, y) != picture.at(x / scale, y / scale)) return false;
        }
    }
    return true;
}

bool loadArt(const std::string& assetsFolder, Art& art) {
    if (!loadCharacterSheet(art.sheet, (assetsFolder + "/quenmore.chr").c_str())) return false;
    convertCharacterSheet(art.sheet);
    return loadPalette(art.palette, (assetsFolder + "/quenmore.pal").c_str());
}

namespace {

int tilePixel(const Art& art, int tile, int x, int y) {
    const uint8_t byte = art.sheet[size_t(sheetOffset(tile, x, y))];
    return x % 2 == 0 ? byte >> 4 : byte & 15;
}

}  // namespace

bool tileShows(const Image& picture, const Art& art, int x, int y, int tile, int group, int rows) {
    if (x < 0 || y < 0 || x + 8 > picture.width || y + 8 > picture.height) return false;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int value = tilePixel(art, tile, column, row);
            if (value != 0 &&
                picture.at(x + column, y + row) != art.palette[size_t(group * 16 + value)])
                return false;
        }
    }
    return true;
}

char readCell(const Image& picture, const Art& art, int x, int y, TextStyle style) {
    char best = UnknownCell;
    int most = -1;
    bool tied = false;
    for (int code = 32; code < 128; ++code) {
        if (code == CursorCell && style.firstTile == 0) break;
        const int tile = code == CursorCell ? 7 : style.firstTile + code;
        if (!tileShows(picture, art, x, y, tile, style.group)) continue;
        int opaque = 0;
        for (int i = 0; i < 64; ++i) opaque += tilePixel(art, tile, i % 8, i / 8) != 0;
        if (opaque == most) tied = true;
        if (opaque > most) {
            best = char(code);
            most = opaque;
            tied = false;
        }
    }
    return tied ? UnknownCell : best;
}

std::string readText(const Image& picture, const Art& art, TextPlace place) {
    std::string text;
    for (int i = 0; i < place.cells; ++i)
        text.push_back(readCell(picture, art, place.x + 8 * i, place.y, place.style));
    while (text.ends_with(' ')) text.pop_back();
    return text;
}

namespace {

// SDL must find the X server by itself, as on a desktop.
const std::vector<std::string> DesktopEnvironment = {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                                                     "SDL_RENDER_DRIVER"};

}  // namespace

ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder) {
    ProgramUnderTest program{{path}, DesktopEnvironment, dataFolder + "/quenmoreTimes.bin", "", 30};
    program.environment.push_back("XDG_DATA_HOME=" + dataFolder);
    return program;
}

ProgramUnderTest wineProgram(const std::string& exe, const std::string& prefix) {
    // Wine names the user's folder after the Unix user.
    const passwd* user = getpwuid(getuid());
    const std::string name = user != nullptr ? user->pw_name : "root";
    // Wine loads a whole Windows system and draws through a software Direct3D: give it time.
    return {{QUENMORE_WINE_RUN, prefix, exe},
            DesktopEnvironment,
            prefix + "/drive_c/users/" + name + "/AppData/Roaming/quenmoreTimes.bin",
            prefix,
            60};
}

WindowSession::~WindowSession() {
    stopProcess(process);
    if (wineStarted) {
        runCommand({QUENMORE_WINE_RUN, program.winePrefix, "--stop"}, {},
                   folder + "/wine-session.log", 60);
    }
}

bool openWindowSession(WindowSession& session, int width, int height, const std::string& folder,
                       const std::string& assetsFolder, const ProgramUnderTest& program,
                       std::string& error) {
    session.folder = folder;
    session.program = program;
    if (!loadArt(assetsFolder, session.art)) {
        error = "cannot load the art from " + assetsFolder;
        return false;
    }
    if (!startXSession(session.x, width, height, folder, error)) return false;
    if (program.winePrefix.empty()) return true;
    // Wine's server outlives the program by a minute, enough for a restart, and ends by
    // itself after a test that could not stop it. Making a new prefix takes a while.
    const std::string log = folder + "/wine-session.log";
    session.wineStarted = runCommand({QUENMORE_WINE_RUN, program.winePrefix, "--start", "60"},
                                     {"DISPLAY=" + session.x.name}, log, 600);
    if (!session.wineStarted)
        error = "no Wine session in " + program.winePrefix + ": " + readFile(log);
    return session.wineStarted;
}

bool launchProgram(WindowSession& session) {
    stopProcess(session.process);
    std::vector<std::string> environment = session.program.environment;
    environment.push_back("DISPLAY=" + session.x.name);
    return spawnProcess(session.process, session.program.command, environment,
                        session.folder + "/program-" + std::to_string(++session.launches) + ".log");
}

Image look(WindowSession& session) {
    session.lastShot = takeScreenshot(session.x);
    return pictureOf(session.lastShot);
}

bool waitToSee(WindowSession& session, const std::function<bool(const Image&)>& seen,
               double seconds) {
    return pollUntil([&] { return seen(look(session)) || hasExited(session.process); }, seconds) &&
           !hasExited(session.process);
}

bool waitForText(WindowSession& session, TextPlace place, const std::string& text, bool startOnly) {
    return waitToSee(session, [&](const Image& picture) {
        const std::string read = readText(picture, session.art, place);
        return startOnly ? read.starts_with(text) : read == text;
    });
}

bool screenCovered(const Image& shot) {
    return !shot.pixels.empty() &&
           std::find(shot.pixels.begin(), shot.pixels.end(), RootColour) == shot.pixels.end();
}

LessonResults readResults(const WindowSession& session, const Image& picture) {
    LessonResults results;
    std::string lines[3];
    for (int i = 0; i < 3; ++i)
        lines[i] = readText(picture, session.art, {72, 96 + 16 * i, 21, ResultsStyle});
    results.text = lines[0] + "\n" + lines[1] + "\n" + lines[2];
    int minutes = 0;
    results.shown =
        std::sscanf(lines[0].c_str(), "Words Per Minute:%d", &results.wordsPerMinute) == 1 &&
        std::sscanf(lines[1].c_str(), "Errors: %d", &results.errors) == 1 &&
        std::sscanf(lines[2].c_str(), "Time: %d:%d", &minutes, &results.seconds) == 2;
    results.seconds += minutes * 60;
    return results;
}

namespace {

// The punctuation keys of a US keyboard: their characters without and with Shift, and names.
constexpr std::string_view Unshifted = "`1234567890-=[]\\;',./", Shifted = "~!@#$%^&*()_+{}|:\"<>?";
constexpr const char* PunctuationKeys[] = {
    "grave",     "1",         "2",          "3",           "4",
    "5",         "6",         "7",          "8",           "9",
    "0",         "minus",     "equal",      "bracketleft", "bracketright",
    "backslash", "semicolon", "apostrophe", "comma",       "period",
    "slash"};

// The key press that types `c` (empty when none), and the other character of its key.
std::string keyFor(char c, char& other) {
    const size_t lower = Unshifted.find(c), upper = Shifted.find(c);
    other = 'x';
    if (std::isalpha(static_cast<unsigned char>(c))) {
        other = char(c ^ 0x20);
        return std::isupper(static_cast<unsigned char>(c)) ? "shift+" + std::string(1, other)
                                                           : std::string(1, c);
    }
    if (c == ' ') return "space";
    if (lower != std::string_view::npos) other = Shifted[lower];
    if (upper != std::string_view::npos) other = Unshifted[upper];
    if (lower != std::string_view::npos) return PunctuationKeys[lower];
    if (upper != std::string_view::npos) return std::string("shift+") + PunctuationKeys[upper];
    return "";
}

// Waits for `seen`, pressing `key` every `periodMs` meanwhile.
bool pressUntil(WindowSession& session, const std::string& key, int periodMs,
                const std::function<bool(const Image&)>& seen, double seconds = 30) {
    auto last = std::chrono::steady_clock::time_point();
    return waitToSee(
        session,
        [&](const Image& picture) {
            if (seen(picture)) return true;
            if (std::chrono::steady_clock::now() - last > std::chrono::milliseconds(periodMs)) {
                pressKeys(session.x, {key});
                last = std::chrono::steady_clock::now();
            }
            return false;
        },
        seconds);
}

std::string lessonPrefix(int number) {
    return "Lesson " + std::to_string(number) + ":";
}

}  // namespace

std::vector<std::string> keystrokesFor(const std::string& text) {
    std::vector<std::string> keys;
    char other = 0;
    for (char c : text) keys.push_back(keyFor(c, other));
    if (std::find(keys.begin(), keys.end(), "") != keys.end()) return {};
    return keys;
}

bool leaveTitle(WindowSession& session) {
    // A key pressed before the window has the focus is lost: press again now and then (the
    // menu ignores the space bar).
    return waitToSee(
               session, [&](const Image&) { return screenCovered(session.lastShot); },
               session.program.startSeconds) &&
           pressUntil(session, "space", 2000, [&](const Image& picture) {
               return readText(picture, session.art, MenuTitle).starts_with(lessonPrefix(1));
           });
}

bool chooseLesson(WindowSession& session, int number) {
    return pressKeys(session.x, std::vector<std::string>(size_t(number - 1), "Down"), 30) &&
           waitForText(session, MenuTitle, lessonPrefix(number), true);
}

bool reachExercise(WindowSession& session, int number) {
    // The intro waits for a key now and then; Enter answers it and types nothing later on.
    bool titled = false;
    return pressUntil(
               session, "Return", 250,
               [&](const Image& picture) {
                   titled = titled || readText(picture, session.art, LessonTitle)
                                          .starts_with(lessonPrefix(number));
                   return readText(picture, session.art, Heading) == "Type these words:";
               },
               120) &&
           titled;
}

bool typeExercise(WindowSession& session, int& mistakes, int& characters, std::string& problem) {
    mistakes = characters = 0;
    for (int line = 0; line < 10; ++line) {
        const std::string text = readText(look(session), session.art, LineToType);
        const std::string lineName = "line " + std::to_string(line) + " \"" + text + "\"";
        if (text.size() < 3 || keystrokesFor(text).empty()) {
            problem = lineName + " cannot be typed";
            return false;
        }
        // All but the last key first, so that the typed row can be checked before the line ends.
        std::vector<std::string> keys;
        char other = 0;
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            const std::string key = keyFor(text[i], other);
            if (line % 3 == 1 && i == text.size() / 2) {
                keys.push_back(keyFor(other, other));
                ++mistakes;
            }
            keys.push_back(key);
        }
        characters += int(text.size());
        const std::vector<std::string> last = keystrokesFor(text.substr(text.size() - 1));
        const std::string typed = text.substr(0, text.size() - 1) + CursorCell;
        if (!pressKeys(session.x, keys) || !waitForText(session, TypedLine, typed)) {
            problem = "after " + lineName + " but its last key the screen shows \"" +
                      readText(look(session), session.art, TypedLine) + "\"";
            return false;
        }
        const bool done =
            pressKeys(session.x, last) && waitToSee(session, [&](const Image& picture) {
                if (line == 9) return readResults(session, picture).shown;
                return readText(picture, session.art, TypedLine) == std::string(1, CursorCell) &&
                       !readText(picture, session.art, LineToType).empty();
            });
        if (!done) {
            problem =
                line == 9 ? "no results after the last line" : "no fresh line after " + lineName;
            return false;
        }
    }
    return true;
}

std::string bestTimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    return text;
}
