// The menu's eleventh row, "Practice: Weak Keys": ten lines drawn from the lessons the
// learner has finished, each entry weighted by how often its characters' keys are missed,
// after an intro that names and lights the weakest keys. Its runs go into the history like
// any lesson's; it has no best time.
#pragma once

#include "course/content/lesson_catalogue.h"
#include "course/lesson/lesson_screen.h"
#include "course/records/history.h"
#include "course/screens/lesson_menu.h"

#include <random>
#include <vector>

constexpr int PracticeRow = LessonCount;  // the row after lesson 10
constexpr const char* PracticeTitle = "Practice: Weak Keys";
constexpr const char* PracticeSubtitle = "Aimed at the keys you miss";
constexpr int WeakKeysNamed = 5;
constexpr int PracticeScriptLines = 32;
constexpr int PracticeScriptWidth = 48;
constexpr int EvenLessons = 6;  // without a history, lessons 1 to 6, evenly

// Miss rates of the on-screen keyboard's character keys (0 to 47, the space bar last) over
// the figures' runs: the wrong presses among all presses made while one of the key's two
// characters was expected. Keys never expected have rate 0.
struct KeyMissRates {
    double rate[CharacterKeys];
    uint32_t pressed[CharacterKeys];  // presses judged while the key was expected
    uint32_t missed[CharacterKeys];
    uint8_t typedInstead[CharacterKeys];  // the character most often typed instead, or 0
};

// The practice as it will be played: its intro, and the pool its lines are drawn from.
struct PracticeLesson {
    char commands[PracticeScriptLines][PracticeScriptWidth];
    const char* script[ScriptSlots];
    std::vector<const char*> words;
    std::vector<double> weights;
    int weakKeys[WeakKeysNamed];
    int weakKeyCount;
    bool fromHistory;  // false: no history, lessons 1 to 6 evenly
};

void keyMissRates(const ProgressFigures& figures, const LessonScreen& keyboard,
                  KeyMissRates& rates);
// Up to `count` key indexes with misses, the highest rate first (more misses first on a tie);
// returns how many.
int weakestKeys(const KeyMissRates& rates, int count, int* keys);
// How a key is named on screen: its character, or "Space".
const char* keyName(const LessonScreen& keyboard, int key, char (&name)[8]);
// Builds the practice from the history of all lessons; `finished` tells which lessons count.
void makePractice(const ProgressFigures& all, const bool (&finished)[LessonCount],
                  PracticeLesson& practice);
// The ten lines, by the same rules as a lesson's, but picking entry i with a probability in
// proportion to weights[i].
void makeWeightedWordLines(LessonScreen& screen, const char* const* words, const double* weights,
                           int32_t count, std::mt19937& random);
// Adds the practice row after the lessons' rows.
void addPracticeRow(LessonMenu& menu);
// Fills the lesson screen for a practice run: keyboard, maps, the intro and the lines.
void setUpPractice(VideoState& video, LessonScreen& screen, PracticeLesson& practice);
// Reads the history of all lessons and builds the practice: a lesson counts as finished
// when it has a best time or a run in the history.
void preparePractice(const LessonMenu& menu, PracticeLesson& practice);
