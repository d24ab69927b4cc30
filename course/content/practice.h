// The menu's eleventh row, "Practice: Weak Keys": ten lines drawn from the lessons the
// learner has finished, each entry weighted by how often its characters' keys are missed,
// after an intro that names and lights the weakest keys. Its runs go into the history like
// any lesson's; it has no best time.
#pragma once

#include "course/content/built_in_course.h"
#include "course/keyboard/keyboard_model.h"

#include <vector>

constexpr const char* PracticeTitle = "Practice: Weak Keys";
constexpr const char* PracticeSubtitle = "Aimed at the keys you miss";
constexpr int WeakKeysNamed = 5;
constexpr int EvenLessons = 6;  // without a history, lessons 1 to 6, evenly

// What the practice aims at, as the history tells it.
struct PracticeAim {
    bool fromHistory;  // false: no history or no lesson finished; lessons 1 to 6 evenly
    bool finished[LessonCount];
    double keyRate[CharacterKeys];  // the miss rate of every character key
    int weakKeys[WeakKeysNamed];    // the weakest keys, weakest first
    int weakKeyCount;
};

// The practice as it will be played: its intro, and the pool its lines are drawn from (the
// built-in course's entries).
struct PracticeLesson {
    Intro intro;
    std::vector<const char*> words;
    std::vector<double> weights;
};

// Builds the practice for `aim` from the lessons of `course` (the program's own, of ten
// lessons), naming and lighting keys as `keyboard` labels them. The course must live as long
// as the practice.
void makePractice(const PracticeAim& aim, const KeyboardModel& keyboard, PracticeLesson& practice,
                  const Course& course = builtInCourse());
