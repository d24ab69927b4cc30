// A scripted learner for journeys: it reads the screens from video memory as a person reads
// the picture and answers through the virtual host, one character a frame.
#pragma once

#include "course/lesson_screen.h"
#include "engine/virtual_host.h"

#include <string>

enum class LearnerPhase { Menu, Lesson, Exercise, Results, BackInMenu };

struct LearnerPlan {
    int menuDownPresses = 0;  // rows to move down before Enter (Escape once back there)
    int wrongKeyEvery = 0;    // a wrong key before every n-th character (0: never)
    bool interrupts = false;  // Escape or window close 30 frames into a phase (Lesson: intro)
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

// Text read back from map 0: lesson-font cells (tile 96 + character) up to the first other
// cell; results cells (tile = character, group 2). The menu list's (map 1) row, whatever the
// cells' group, without trailing spaces.
std::string readLessonText(const VideoMemory& memory, int column, int row);
std::string readResultsText(const VideoMemory& memory, int column, int row, int length);
std::string readMenuText(const VideoMemory& memory, int column, int row, int length);
