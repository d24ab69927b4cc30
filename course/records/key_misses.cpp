#include "course/records/key_misses.h"

#include <algorithm>

void keyMissRates(const ProgressFigures& figures, const KeyboardModel& keyboard,
                  KeyMissRates& rates) {
    rates = KeyMissRates{};
    uint32_t instead[CharacterKeys][TalliedCharacters] = {};
    for (int c = 0; c < TalliedCharacters; ++c) {
        const int key = characterKey(keyboard, uint8_t(c));
        if (key < 0) continue;
        rates.pressed[key] += figures.expected[c] + figures.missed[c];
        rates.missed[key] += figures.missed[c];
        for (int typed = 0; typed < TalliedCharacters; ++typed)
            instead[key][typed] += figures.typedInstead[c][typed];
    }
    for (int key = 0; key < CharacterKeys; ++key) {
        if (rates.pressed[key] > 0)
            rates.rate[key] = double(rates.missed[key]) / rates.pressed[key];
        uint32_t most = 0;
        for (int typed = 0; typed < TalliedCharacters; ++typed) {
            if (instead[key][typed] > most) {
                most = instead[key][typed];
                rates.typedInstead[key] = uint8_t(typed);
            }
        }
    }
}

int weakestKeys(const KeyMissRates& rates, int count, int* keys) {
    int order[CharacterKeys];
    int candidates = 0;
    for (int key = 0; key < CharacterKeys; ++key)
        if (rates.missed[key] > 0) order[candidates++] = key;
    std::stable_sort(order, order + candidates, [&rates](int a, int b) {
        if (rates.rate[a] != rates.rate[b]) return rates.rate[a] > rates.rate[b];
        return rates.missed[a] > rates.missed[b];
    });
    const int named = std::min(count, candidates);
    std::copy_n(order, named, keys);
    return named;
}
