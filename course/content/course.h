// A course as the program plays it: its lessons, each with its word entries and its intro as
// steps laid out for the lesson's text box, and what was wrong in the file it came from. Texts
// are 8-bit Latin-1, one tile per character, as every screen writes them.
#pragma once

#include "course/common/character_names.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int MostLessons = 50;  // a course has 1 to 50 lessons

// What one step of an intro does; the lesson run plays them in order, frame by frame.
enum class StepKind : uint8_t {
    Print,    // writes `text` on text box row `row`, one character a frame
    Clear,    // blanks text box row `row`
    Light,    // shows the key of `key` pressed
    Release,  // shows it up again
    Wait,     // waits for a key press
    Pause,    // waits `frames` frames
};

struct IntroStep {
    StepKind kind;
    uint8_t key;     // Light, Release: the character whose key is meant, or a Shift or Caps code
    int16_t row;     // Print, Clear: a row of map 0
    int16_t frames;  // Pause
    std::string text;
};
using Intro = std::vector<IntroStep>;

struct CourseLesson {
    std::string title;
    std::vector<std::string> entries;  // the word list, in order; an entry may hold spaces
    Intro intro;
    int line;  // the lesson's first line in its file
};

// A fault of the file, at a line of it (0: the file as a whole).
struct CourseError {
    int line;
    std::string message;
};

struct Course {
    std::string name;
    Language language = Language::English;  // what its texts are written in, and said in
    std::string fileName;               // the file it was read from; empty for the built-in course
    std::vector<CourseLesson> lessons;  // the lessons without a fault, in the file's order
    std::vector<CourseError> errors;    // every fault, in the file's order
};

// "NAME, line N: MESSAGE" (or without the line for the whole file), as the menu and stderr
// tell it.
std::string describeError(const std::string& fileName, const CourseError& error);
