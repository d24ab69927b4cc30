// A learner at a real screen: the program (native, or the Windows build under Wine) in its
// own X session, read from screenshots by matching 8x8 cells against the glyphs of the asset
// files, never through the program's memory, and driven with keys as on a US keyboard.
#pragma once

#include "engine/video_memory.h"
#include "tests/real_window/x_session.h"

#include <functional>

// The program's 320x180 picture on a screen that is a whole multiple of it, and whether
// every screen pixel has the colour of the picture pixel it scales up.
Image pictureOf(const Image& shot);
bool showsExactly(const Image& shot, const Image& picture);

struct Art {
    CharacterSheet sheet{};  // converted, as the program draws from it
    Palette palette{};
};
bool loadArt(const std::string& assetsFolder, Art& art);

// Text: tile firstTile + character code in palette group `group`; lesson text also shows
// the cursor (tile 7), read as CursorCell.
struct TextStyle {
    int firstTile, group;
};
constexpr TextStyle LessonStyle{96, 1}, ResultsStyle{0, 2}, HighlightStyle{0, 0};
constexpr char CursorCell = '\x7f', UnknownCell = '?';

struct TextPlace {
    int x, y, cells;
    TextStyle style;
};
constexpr TextPlace MenuTitle{32, 32, 35, HighlightStyle};  // the selected row
constexpr TextPlace MenuBestTime{64, 40, 20, HighlightStyle};
constexpr TextPlace LessonTitle{40, 4, 35, HighlightStyle};
constexpr TextPlace Heading{16, 128, 36, LessonStyle};
constexpr TextPlace LineToType{16, 144, 36, LessonStyle};
constexpr TextPlace TypedLine{16, 160, 37, LessonStyle};

// Every opaque pixel of `tile` in palette group `group` shows at (x, y), in its top `rows`.
bool tileShows(const Image& picture, const Art& art, int x, int y, int tile, int group,
               int rows = 8);
// Of the glyphs whose every opaque pixel shows, the one with most of them (a blank matches
// anything, so it wins only alone); UnknownCell for none or a tie.
char readCell(const Image& picture, const Art& art, int x, int y, TextStyle style);
std::string readText(const Image& picture, const Art& art, TextPlace place);  // trimmed

struct ProgramUnderTest {
    std::vector<std::string> command;
    std::vector<std::string> environment;  // changes, as for spawnProcess
    std::string bestTimesFile;
    std::string winePrefix;    // a Windows program's: its Wine session must know the display
    double startSeconds = 30;  // the longest a launch may take to show its first frame
};
ProgramUnderTest nativeProgram(const std::string& path, const std::string& dataFolder);
ProgramUnderTest wineProgram(const std::string& exe, const std::string& prefix);

struct WindowSession {
    XSession x;
    Art art;
    ProgramUnderTest program;
    ChildProcess process;
    std::string folder;  // logs
    bool wineStarted = false;
    int launches = 0;
    Image lastShot;

    WindowSession() = default;
    ~WindowSession();  // the program, then Wine's session, before the X server goes
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;
};

// Starts the X session, loads the art and, for a Windows program, starts its Wine session
// for the display (making the prefix when missing). False with a reason on failure.
bool openWindowSession(WindowSession& session, int width, int height, const std::string& folder,
                       const std::string& assetsFolder, const ProgramUnderTest& program,
                       std::string& error);
bool launchProgram(WindowSession& session);
Image look(WindowSession& session);  // the picture, its screenshot kept in lastShot
// Looks until `seen` holds (true), or the time is up or the program has ended (false).
bool waitToSee(WindowSession& session, const std::function<bool(const Image&)>& seen,
               double seconds = 30);
bool waitForText(WindowSession& session, TextPlace place, const std::string& text,
                 bool startOnly = false);
bool screenCovered(const Image& shot);  // no pixel of the root window shows

struct LessonResults {
    bool shown = false;  // all three statistics read
    int wordsPerMinute = 0, errors = 0, seconds = 0;
    std::string text;
};
LessonResults readResults(const WindowSession& session, const Image& picture);

// The X key presses that type `text` ("a", "shift+a", "space"); empty when one has no key.
std::vector<std::string> keystrokesFor(const std::string& text);
// Waits for the title to cover the screen, then presses the space bar until the menu shows.
bool leaveTitle(WindowSession& session);
bool chooseLesson(WindowSession& session, int number);
// Starts the selected lesson, answering its intro with Enter until the exercise begins.
bool reachExercise(WindowSession& session, int number);
// Types the ten lines read off the screen until the results show, with one wrong key in
// every third line: the other character of the key that was due, as when Shift slips.
bool typeExercise(WindowSession& session, int& mistakes, int& characters, std::string& problem);
std::string bestTimeText(int seconds);  // "Best Time: 1:05"
