// A learner at a real screen: an X session, the program under test running in it, and what
// the learner reads from the screenshots and types on the keyboard. Reading goes through the
// glyphs of the character set only, never through the program's memory.
#pragma once

#include "tests/real_window/program_under_test.h"
#include "tests/real_window/screen_reader.h"
#include "tests/real_window/x_session.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The kinds of text on Quenmore's screens.
struct ScreenStyles {
    TextStyle lesson;       // intro and typing text, with the cursor
    TextStyle results;      // the results' statistics
    TextStyle selectedRow;  // the selected menu row, the lesson screen's title, key labels
};

// The Wine session a Windows program runs in: Wine's server and services for its prefix,
// started for the X session's display and ended, with everything still running in it,
// when the record goes out of scope.
struct WineSession {
    std::string prefix;  // empty while none runs
    std::string logPath;

    WineSession() = default;
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;
};

struct WindowSession {
    XSession x;
    WineSession wine;  // ended before the X server goes
    Art art;
    ScreenStyles styles;
    ProgramUnderTest program;
    ChildProcess process;
    std::string folder;  // logs and screenshots
    int launches = 0;
    Screenshot lastShot;
};

// Starts the X session (width x height) and loads the art from `assetsFolder`.
bool openWindowSession(WindowSession& session, int width, int height, const std::string& folder,
                       const std::string& assetsFolder, std::string& error);
// Starts the Wine session of a Windows program (session.program.winePrefix) for the X
// display, making the prefix when it is missing; does nothing for a native program. False
// with a reason on failure.
bool startWineSession(WindowSession& session, std::string& error);
// Ends the Wine session, if one runs, and everything in it.
void stopWineSession(WineSession& wine);
// Starts the program (again, after it has ended). Its output goes to the session's folder.
bool launchProgram(WindowSession& session);
// True once the program has ended.
bool programEnded(WindowSession& session);
// The program's output so far (its stderr and stdout).
std::string programOutput(const WindowSession& session);
// Takes a screenshot (kept as lastShot) and returns the picture on it.
Picture look(WindowSession& session);
// Looks until `seen` holds for the picture (true), the time is up or the program has ended
// (false).
bool waitToSee(WindowSession& session, const std::function<bool(const Picture&)>& seen,
               double seconds = 30);
// True while the program's window covers the whole screen (no pixel of the root shows).
bool screenCovered(const Screenshot& shot);

// ---- What the learner reads --------------------------------------------------------------
std::string selectedLessonTitle(const Picture& picture, const ScreenStyles& styles);
std::string selectedBestTime(const Picture& picture, const ScreenStyles& styles);
std::string lessonScreenTitle(const Picture& picture, const ScreenStyles& styles);
std::string exerciseHeading(const Picture& picture, const ScreenStyles& styles);
std::string lineToType(const Picture& picture, const ScreenStyles& styles);

struct TypedRow {
    std::string text;  // the characters typed so far in this line
    int cursor = -1;   // the cursor's cell, counted from the first character; -1 when none
};
TypedRow typedRow(const Picture& picture, const ScreenStyles& styles);

struct LessonResults {
    bool shown = false;  // all three statistics are on the screen
    int wordsPerMinute = 0;
    int errors = 0;
    int seconds = 0;
    std::string text;  // the three lines as read
};
LessonResults readResults(const Picture& picture, const ScreenStyles& styles);

// ---- On-screen keyboard ------------------------------------------------------------------
// A key of the on-screen keyboard as the learner sees it: its face's top-left corner and
// its label cell on the screen.
struct KeyOnScreen {
    int x, y;            // top-left corner of the face
    int labelX, labelY;  // the label cell while the key is up; it drops 1 pixel when pressed
    int width;           // in cells
};
KeyOnScreen keyOnScreen(int column, int row, int width);
bool keyShownPressed(const Picture& picture, const Art& art, const KeyOnScreen& key);
bool keyShownUp(const Picture& picture, const Art& art, const KeyOnScreen& key);
// The key's label as shown where it sits while the key is up, or pressed.
char keyLabel(const Picture& picture, const ScreenStyles& styles, const KeyOnScreen& key,
              bool pressed);
// The Caps Lock lamp lit (true) or dark (false); either must show.
bool capsLampLit(const Picture& picture, const Art& art);
bool capsLampDark(const Picture& picture, const Art& art);

// ---- What the learner types --------------------------------------------------------------
// The X key presses that type `text` on a US keyboard: "a", "shift+a", "space", "shift+1".
// Empty when a character has no key.
std::vector<std::string> keystrokesFor(const std::string& text);
// The other character of the key that types `c` ("a" for "A", "1" for "!"); 'x' for the
// space bar.
char otherCharacterOnKey(char c);

// ---- A learner's way through the screens -------------------------------------------------
// Waits for the title, presses the space bar and waits for the menu.
bool leaveTitle(WindowSession& session);
// Moves the menu's selection down to lesson `number` (1 to 10).
bool chooseLesson(WindowSession& session, int number);
// Starts the selected lesson `number` and goes through its intro, pressing Enter whenever
// the intro waits, until the exercise asks for the first line.
bool reachExercise(WindowSession& session, int number);
// Types one line of the exercise with a wrong key before character `wrongBefore` (none when
// negative), and waits until the program has taken every key: the next line is up, or, for
// the last line, the results are shown.
bool typeLine(WindowSession& session, const std::string& line, int wrongBefore, bool lastLine,
              std::string& problem);

struct TypedExercise {
    int characters = 0;  // in the ten lines
    int mistakes = 0;    // wrong keys pressed
};
// Types the ten lines of the exercise, each read off the screen, with one wrong key in every
// third line (the other character of the key that was due, as when Shift is forgotten or
// held too long), until the results are shown.
bool typeExercise(WindowSession& session, TypedExercise& typed, std::string& problem);
// What the menu shows for a best time of `seconds`: "Best Time: 1:05".
std::string bestTimeText(int seconds);

// ---- The best-times file -----------------------------------------------------------------
// The bytes of a file; empty when there is none.
std::vector<uint8_t> fileBytes(const std::string& path);
// The record of lesson row `row` (0 to 9): a little-endian 32-bit number.
uint32_t bestTimeRecord(const std::vector<uint8_t>& bytes, int row);
