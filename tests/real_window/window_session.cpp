#include "tests/real_window/window_session.h"

#include "tests/real_window/polling.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// Where the screens put their texts, in picture pixels.
constexpr int MenuTitleX = 32, MenuTitleY = 32;  // the selected row, inside the bar
constexpr int MenuTimeX = 64, MenuTimeY = 40;
constexpr int LessonTitleX = 40, LessonTitleY = 4;
constexpr int TextX = 16;  // intro and exercise text, rows at 128, 144 and 160
constexpr int HeadingY = 128, LineY = 144, TypedY = 160;
constexpr int ResultsX = 72;  // statistics at 96, 112 and 128, 21 cells each
constexpr int ResultsWidth = 21;
// The keyboard panel's map cell (0, 0) is at screen (40, 20); the label layer lies 3
// pixels up and left of it.
constexpr int PanelX = 40, PanelY = 20, LabelShift = 3;
// The top-right cell of a key face tells up from pressed; the label, 3 pixels up and left
// of its own cell, covers that cell from its sixth pixel row down.
constexpr int KeyFaceUpTile = 2, KeyFacePressedTile = 5, KeyFaceClearRows = 5;
constexpr int CapsLampTile = 6;
constexpr const char* ExerciseHeading = "Type these words:";

// A US keyboard: the two characters of each character key and the X keysym of the key.
struct UsKey {
    char lower;
    char upper;
    const char* keysym;
};
constexpr UsKey UsPunctuation[] = {
    {'`', '~', "grave"},      {'1', '!', "1"},           {'2', '@', "2"},
    {'3', '#', "3"},          {'4', '$', "4"},           {'5', '%', "5"},
    {'6', '^', "6"},          {'7', '&', "7"},           {'8', '*', "8"},
    {'9', '(', "9"},          {'0', ')', "0"},           {'-', '_', "minus"},
    {'=', '+', "equal"},      {'[', '{', "bracketleft"}, {']', '}', "bracketright"},
    {'\\', '|', "backslash"}, {';', ':', "semicolon"},   {'\'', '"', "apostrophe"},
    {',', '<', "comma"},      {'.', '>', "period"},      {'/', '?', "slash"},
};

// The key that types `c`, whether Shift is needed, and the key's other character. False
// when no key types `c`.
bool usKeyFor(char c, std::string& keysym, bool& shift, char& other) {
    if (c >= 'a' && c <= 'z') {
        keysym = std::string(1, c);
        shift = false;
        other = char(c - 'a' + 'A');
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        keysym = std::string(1, char(c - 'A' + 'a'));
        shift = true;
        other = char(c - 'A' + 'a');
        return true;
    }
    if (c == ' ') {
        keysym = "space";
        shift = false;
        other = 'x';
        return true;
    }
    for (const UsKey& key : UsPunctuation) {
        if (c == key.lower || c == key.upper) {
            keysym = key.keysym;
            shift = c == key.upper;
            other = shift ? key.lower : key.upper;
            return true;
        }
    }
    return false;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

std::string lessonPrefix(int number) {
    return "Lesson " + std::to_string(number) + ":";
}

}  // namespace

bool openWindowSession(WindowSession& session, int width, int height, const std::string& folder,
                       const std::string& assetsFolder, std::string& error) {
    session.folder = folder;
    if (!loadArt(assetsFolder, session.art)) {
        error = "cannot load the art from " + assetsFolder;
        return false;
    }
    session.styles.lesson = lessonText(session.art);
    session.styles.results = mainText(session.art, 2);
    session.styles.selectedRow = mainText(session.art, 0);
    return startXSession(session.x, width, height, folder, error);
}

WineSession::~WineSession() {
    stopWineSession(*this);
}

bool startWineSession(WindowSession& session, std::string& error) {
    const std::string& prefix = session.program.winePrefix;
    if (prefix.empty()) return true;
    stopWineSession(session.wine);
    // The server outlives the program by a minute, long enough for a test to start the
    // program again; it ends by itself after a test that could not stop it. A new prefix
    // takes Wine a while to make.
    session.wine.logPath = session.folder + "/wine-session.log";
    if (!runWineRun(prefix, {"--start", "60"}, {displayVariable(session.x)}, session.wine.logPath,
                    600)) {
        error =
            "the Wine session did not start in " + prefix + ": " + readFile(session.wine.logPath);
        return false;
    }
    session.wine.prefix = prefix;
    return true;
}

void stopWineSession(WineSession& wine) {
    if (wine.prefix.empty()) return;
    runWineRun(wine.prefix, {"--stop"}, {}, wine.logPath, 60);
    wine.prefix.clear();
}

bool launchProgram(WindowSession& session) {
    stopProcess(session.process);
    SpawnOptions options;
    options.environment = session.program.environment;
    options.environment.push_back(displayVariable(session.x));
    options.outputPath = session.folder + "/program-" + std::to_string(++session.launches) + ".log";
    return spawnProcess(session.process, session.program.command, options);
}

bool programEnded(WindowSession& session) {
    return hasExited(session.process);
}

std::string programOutput(const WindowSession& session) {
    return readOutput(session.process);
}

Picture look(WindowSession& session) {
    session.lastShot = takeScreenshot(session.x);
    return pictureOf(session.lastShot);
}

bool waitToSee(WindowSession& session, const std::function<bool(const Picture&)>& seen,
               double seconds) {
    return pollUntil(
               [&] {
                   if (seen(look(session))) return true;
                   return programEnded(session);
               },
               seconds, 10) &&
           !programEnded(session);
}

bool screenCovered(const Screenshot& shot) {
    if (shot.pixels.empty()) return false;
    for (uint32_t pixel : shot.pixels) {
        if ((pixel & 0xFFFFFF) == RootColour) return false;
    }
    return true;
}

std::string selectedLessonTitle(const Picture& picture, const ScreenStyles& styles) {
    return readText(picture, MenuTitleX, MenuTitleY, 35, styles.selectedRow);
}

std::string selectedBestTime(const Picture& picture, const ScreenStyles& styles) {
    return readText(picture, MenuTimeX, MenuTimeY, 20, styles.selectedRow);
}

std::string lessonScreenTitle(const Picture& picture, const ScreenStyles& styles) {
    return readText(picture, LessonTitleX, LessonTitleY, 35, styles.selectedRow);
}

std::string exerciseHeading(const Picture& picture, const ScreenStyles& styles) {
    return readText(picture, TextX, HeadingY, 36, styles.lesson);
}

std::string lineToType(const Picture& picture, const ScreenStyles& styles) {
    return readText(picture, TextX, LineY, 36, styles.lesson);
}

TypedRow typedRow(const Picture& picture, const ScreenStyles& styles) {
    TypedRow row;
    const std::string cells = readText(picture, TextX, TypedY, 37, styles.lesson);
    const size_t cursor = cells.find(CursorCell);
    if (cursor == std::string::npos) {
        row.text = cells;
        return row;
    }
    row.text = cells.substr(0, cursor);
    row.cursor = int(cursor);
    return row;
}

LessonResults readResults(const Picture& picture, const ScreenStyles& styles) {
    LessonResults results;
    const std::string speed = readText(picture, ResultsX, 96, ResultsWidth, styles.results);
    const std::string errors = readText(picture, ResultsX, 112, ResultsWidth, styles.results);
    const std::string time = readText(picture, ResultsX, 128, ResultsWidth, styles.results);
    results.text = speed + "\n" + errors + "\n" + time;
    int minutes = 0;
    int seconds = 0;
    results.shown =
        std::sscanf(speed.c_str(), "Words Per Minute:%d", &results.wordsPerMinute) == 1 &&
        std::sscanf(errors.c_str(), "Errors: %d", &results.errors) == 1 &&
        std::sscanf(time.c_str(), "Time: %d:%d", &minutes, &seconds) == 2;
    results.seconds = minutes * 60 + seconds;
    return results;
}

KeyOnScreen keyOnScreen(int column, int row, int width) {
    return {PanelX + 8 * column, PanelY + 8 * row, PanelX - LabelShift + 8 * (column + width - 1),
            PanelY - LabelShift + 8 * (row + 1), width};
}

bool keyShownPressed(const Picture& picture, const Art& art, const KeyOnScreen& key) {
    return cellShowsTile(picture, key.x + 8 * (key.width - 1), key.y, art, KeyFacePressedTile, 0,
                         KeyFaceClearRows);
}

bool keyShownUp(const Picture& picture, const Art& art, const KeyOnScreen& key) {
    return cellShowsTile(picture, key.x + 8 * (key.width - 1), key.y, art, KeyFaceUpTile, 0,
                         KeyFaceClearRows);
}

char keyLabel(const Picture& picture, const ScreenStyles& styles, const KeyOnScreen& key,
              bool pressed) {
    return readCell(picture, key.labelX, key.labelY + (pressed ? 1 : 0), styles.selectedRow);
}

bool capsLampLit(const Picture& picture, const Art& art) {
    return cellShowsTile(picture, PanelX, PanelY + 32, art, CapsLampTile, 1);
}

bool capsLampDark(const Picture& picture, const Art& art) {
    return cellShowsTile(picture, PanelX, PanelY + 32, art, CapsLampTile, 0);
}

std::vector<std::string> keystrokesFor(const std::string& text) {
    std::vector<std::string> keys;
    for (char c : text) {
        std::string keysym;
        bool shift = false;
        char other = 0;
        if (!usKeyFor(c, keysym, shift, other)) return {};
        keys.push_back(shift ? "shift+" + keysym : keysym);
    }
    return keys;
}

char otherCharacterOnKey(char c) {
    std::string keysym;
    bool shift = false;
    char other = 0;
    return usKeyFor(c, keysym, shift, other) ? other : 'x';
}

bool leaveTitle(WindowSession& session) {
    if (!waitToSee(
            session, [&](const Picture&) { return screenCovered(session.lastShot); },
            session.program.startSeconds)) {
        return false;
    }
    // A key that comes before the window has the keyboard focus is lost: press again now
    // and then (the menu ignores the space bar).
    auto lastPress = std::chrono::steady_clock::time_point();
    return waitToSee(session, [&](const Picture& picture) {
        if (startsWith(selectedLessonTitle(picture, session.styles), lessonPrefix(1))) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPress > std::chrono::seconds(2)) {
            pressKeys(session.x, {"space"});
            lastPress = now;
        }
        return false;
    });
}

bool chooseLesson(WindowSession& session, int number) {
    const std::vector<std::string> downs(size_t(number - 1), "Down");
    if (!pressKeys(session.x, downs, 30)) return false;
    return waitToSee(session, [&](const Picture& picture) {
        return startsWith(selectedLessonTitle(picture, session.styles), lessonPrefix(number));
    });
}

bool reachExercise(WindowSession& session, int number) {
    if (!pressKeys(session.x, {"Return"})) return false;
    if (!waitToSee(session, [&](const Picture& picture) {
            return startsWith(lessonScreenTitle(picture, session.styles), lessonPrefix(number));
        })) {
        return false;
    }
    // The intro waits for a key now and then; Enter answers it and types nothing later on.
    auto lastPress = std::chrono::steady_clock::now();
    return waitToSee(
        session,
        [&](const Picture& picture) {
            if (exerciseHeading(picture, session.styles) == ExerciseHeading) return true;
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPress > std::chrono::milliseconds(250)) {
                pressKeys(session.x, {"Return"});
                lastPress = now;
            }
            return false;
        },
        120);
}

bool typeLine(WindowSession& session, const std::string& line, int wrongBefore, bool lastLine,
              std::string& problem) {
    if (line.size() < 2) {
        problem = "a line too short to type in two steps: \"" + line + "\"";
        return false;
    }
    const std::string allButLast = line.substr(0, line.size() - 1);
    std::string withMistake = allButLast;
    if (wrongBefore >= 0 && size_t(wrongBefore) < allButLast.size()) {
        withMistake.insert(size_t(wrongBefore), 1, otherCharacterOnKey(line[size_t(wrongBefore)]));
    }
    const std::vector<std::string> keys = keystrokesFor(withMistake);
    const std::vector<std::string> lastKey = keystrokesFor(line.substr(line.size() - 1));
    if (keys.empty() || lastKey.empty()) {
        problem = "no US key types a character of \"" + line + "\"";
        return false;
    }
    if (!pressKeys(session.x, keys)) {
        problem = "xdotool failed";
        return false;
    }
    TypedRow row;
    const bool allButLastTaken = waitToSee(session, [&](const Picture& picture) {
        row = typedRow(picture, session.styles);
        return row.text == allButLast && row.cursor == int(allButLast.size());
    });
    if (!allButLastTaken) {
        problem = "after typing \"" + withMistake + "\" the screen shows \"" + row.text +
                  "\" with the cursor at " + std::to_string(row.cursor);
        return false;
    }
    if (!pressKeys(session.x, lastKey)) {
        problem = "xdotool failed";
        return false;
    }
    const bool lineDone = waitToSee(session, [&](const Picture& picture) {
        if (lastLine) return readResults(picture, session.styles).shown;
        row = typedRow(picture, session.styles);
        return row.text.empty() && row.cursor == 0 && !lineToType(picture, session.styles).empty();
    });
    if (!lineDone) {
        problem =
            lastLine ? "no results after the last line" : "no fresh line after \"" + line + "\"";
        return false;
    }
    return true;
}

bool typeExercise(WindowSession& session, TypedExercise& typed, std::string& problem) {
    typed = {};
    for (int line = 0; line < 10; ++line) {
        const std::string text = lineToType(look(session), session.styles);
        const int wrongBefore = line % 3 == 1 ? int(text.size() / 2) : -1;
        if (!typeLine(session, text, wrongBefore, line == 9, problem)) {
            problem = "line " + std::to_string(line) + ": " + problem;
            return false;
        }
        typed.characters += int(text.size());
        typed.mistakes += wrongBefore >= 0 ? 1 : 0;
    }
    return true;
}

std::string bestTimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "Best Time: %d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t bestTimeRecord(const std::vector<uint8_t>& bytes, int row) {
    const size_t at = size_t(row) * 4;
    if (at + 4 > bytes.size()) return 0;
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}
