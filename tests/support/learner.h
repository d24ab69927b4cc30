// A scripted learner for whole-journey tests: it reads the lesson screen from video memory as
// a person reads the picture (the line to type, the cursor, the headings) and answers with
// key events through the virtual host, one character a frame.
#pragma once

#include "course/lesson_screen.h"
#include "tests/support/virtual_host.h"

#include <string>

enum class LearnerPhase { Menu, Lesson, Exercise, Results, BackInMenu };

struct LearnerPlan {
    int menuDownPresses = 0;      // rows to move down before Enter (Escape once back there)
    int wrongKeyEvery = 0;        // a wrong key before every n-th character (0: never)
    // Escape or a window close 30 frames into one phase (Lesson: fade-in and intro).
    bool interrupts = false;
    LearnerPhase interruptIn = LearnerPhase::Lesson;
    bool interruptWithClose = false;
};

struct Learner {
    VirtualHost& host;
    LearnerPlan plan;
    LessonScreen keyboard{};  // only the key table is used
    LearnerPhase phase = LearnerPhase::Menu;
    int errorsMade = 0;
    int charactersTyped = 0;
    bool shiftHeld = false;
    bool enterPressed = false;
    bool escapePressed = false;
    bool interrupted = false;
    int phaseFrames = 0;
    std::string resultsText;  // the three statistics lines as shown, joined by "|"

    Learner(VirtualHost& virtualHost, LearnerPlan learnerPlan);
    // Looks at one composed frame and queues the learner's answer for the next one.
    void onFrame(const VideoMemory& memory);
};

// Map 0 row `row` from `column`, read back from lesson-font text cells (tile 96 + character)
// up to the first cell that is not one.
std::string readLessonText(const VideoMemory& memory, int column, int row);
// Map 0 row `row` read back from results cells (tile = character, group 2).
std::string readResultsText(const VideoMemory& memory, int column, int row, int length);
// The menu list's (map 1) row `row`, whatever the cells' group, without trailing spaces.
std::string readMenuText(const VideoMemory& memory, int column, int row, int length);
