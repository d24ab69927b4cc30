#include "course/records/run_figures.h"

void tallyPress(KeyTally& tally, uint8_t expected, uint8_t typed) {
    if (expected >= TalliedCharacters) return;
    if (typed == expected) {
        tally.expected[expected] += 1;
        return;
    }
    tally.missed[expected] += 1;
    if (typed < TalliedCharacters && tally.typedInstead[expected][typed] < UINT16_MAX)
        tally.typedInstead[expected][typed] += 1;
}

int32_t wordsPerMinute(int32_t characters, int32_t seconds) {
    if (seconds <= 0 || characters < 0) return 0;
    return int32_t(60u * uint32_t(characters) / (5u * uint32_t(seconds)));
}

int32_t accuracyPermille(int64_t characters, int64_t errors) {
    if (characters < 0 || errors < 0 || characters + errors == 0) return 1000;
    return int32_t(characters * 1000 / (characters + errors));
}
