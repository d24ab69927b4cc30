// How often each key of the on-screen keyboard is missed, and which keys are the weakest.
#pragma once

#include "course/keyboard/keyboard_model.h"
#include "course/records/history.h"

#include <cstdint>

// Miss rates of the on-screen keyboard's character keys (0 to 47, the space bar last) over
// the figures' runs: the wrong presses among all presses made while one of the key's two
// characters was expected. Keys never expected have rate 0.
struct KeyMissRates {
    double rate[CharacterKeys];
    uint32_t pressed[CharacterKeys];  // presses judged while the key was expected
    uint32_t missed[CharacterKeys];
    uint8_t typedInstead[CharacterKeys];  // the character most often typed instead, or 0
};

// The keys are looked up in `keyboard`, as the learner's layout labels them.
void keyMissRates(const ProgressFigures& figures, const KeyboardModel& keyboard,
                  KeyMissRates& rates);
// Up to `count` key indexes with misses, the highest rate first (more misses first on a tie);
// returns how many.
int weakestKeys(const KeyMissRates& rates, int count, int* keys);
