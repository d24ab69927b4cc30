// The figures of one finished run, as the results screen shows them and the history keeps
// them, and the two rates worked out from them: words per minute and accuracy.
#pragma once

#include <cstdint>

constexpr int TalliedCharacters = 128;  // the characters tallied: codes 0 to 127

// What one finished run typed, character by character.
struct KeyTally {
    uint32_t expected[TalliedCharacters];  // times the character was typed right
    uint32_t missed[TalliedCharacters];    // wrong presses while it was expected
    uint16_t typedInstead[TalliedCharacters][TalliedCharacters];  // [expected][typed], saturating
};

struct RunSummary {
    bool finished;  // the exercise was typed to its end; false: abandoned, nothing to keep
    int32_t seconds;
    int32_t characters;  // typed right
    int32_t errors;
    int32_t wordsPerMinute;
    KeyTally keys;
};

// Counts one judged press of `typed` while `expected` was the character to type.
void tallyPress(KeyTally& tally, uint8_t expected, uint8_t typed);
// A word is five characters, spaces included; a run of under one second shows 0.
int32_t wordsPerMinute(int32_t characters, int32_t seconds);
// Accuracy in tenths of a percent: characters / (characters + errors); 1000 without either,
// and for counts this program could not have written (negative ones).
int32_t accuracyPermille(int64_t characters, int64_t errors);
