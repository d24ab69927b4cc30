#include "course/lesson/word_lines.h"

#include <algorithm>
#include <cstring>

void fillWordLines(WordLines& lines, const char* const* words, int32_t count,
                   const std::function<int32_t()>& pick) {
    for (char* line : lines) line[0] = '\0';
    if (words == nullptr || count <= 0) return;

    // An empty entry would add nothing to a line, which then never filled: entries are not
    // empty in the lessons, and one in any other list is passed over.
    size_t shortest = 100;
    for (int32_t i = 0; i < count; ++i) {
        const size_t length = std::strlen(words[i]);
        if (length > 0) shortest = std::min(shortest, length);
    }
    // While more than `threshold` characters of the budget remain, the shortest entry still
    // fits (with its space), so each line ends exactly when nothing more could fit.
    const size_t threshold = shortest + 1;
    if (threshold >= size_t(LineBudget)) return;

    for (char* line : lines) {
        size_t length = 0;
        size_t remaining = LineBudget;
        while (remaining > threshold) {
            const char* entry = words[pick()];
            const size_t entryLength = std::strlen(entry);
            if (entryLength == 0 || entryLength + 1 >= remaining) continue;
            if (length > 0) {
                line[length++] = ' ';
                remaining -= 1;
            }
            std::memcpy(line + length, entry, entryLength);
            length += entryLength;
            remaining -= entryLength;
        }
        line[length] = '\0';
    }
}

void makeWordLines(WordLines& lines, const char* const* words, int32_t wordCount,
                   std::mt19937& random) {
    std::uniform_int_distribution<int32_t> pick(0, wordCount > 0 ? wordCount - 1 : 0);
    fillWordLines(lines, words, wordCount, [&] { return pick(random); });
}

void makeWeightedWordLines(WordLines& lines, const char* const* words, const double* weights,
                           int32_t count, std::mt19937& random) {
    if (weights == nullptr || count <= 0) {
        fillWordLines(lines, nullptr, 0, [] { return 0; });
        return;
    }
    // As in a lesson, with entries drawn by weight.
    std::discrete_distribution<int32_t> pick(weights, weights + count);
    fillWordLines(lines, words, count, [&] { return pick(random); });
}
