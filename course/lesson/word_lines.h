// The ten lines of a run, filled with whole entries of a word list drawn at random.
#pragma once

#include "course/content/course_reader.h"

#include <cstdint>
#include <functional>
#include <random>

constexpr int LineCount = 10;
constexpr int LineBudget = 36;  // a line never uses all of it: at most 35 characters
constexpr int LineStride = 37;
// The longest entry that can stand in a line: it needs its length and one more of the budget.
constexpr int LongestPlaceableEntry = LineBudget - 2;
static_assert(LongestPlaceableEntry == LongestEntry, "a course's entries must fit the lines");

using WordLines = char[LineCount][LineStride];

// Fills the ten lines from `words`, drawing each entry's index with `pick`, until nothing
// more could fit on a line; an entry that does not fit is drawn again, an empty one passed over.
void fillWordLines(WordLines& lines, const char* const* words, int32_t count,
                   const std::function<int32_t()>& pick);
// Fills the ten lines with entries drawn from `words` by `random` (a uniform choice of entry
// index per pick; empty entries are passed over). An empty list, or one none of whose
// entries fits, leaves ten empty lines and draws nothing.
void makeWordLines(WordLines& lines, const char* const* words, int32_t wordCount,
                   std::mt19937& random);
// The ten lines by the same rules, picking entry i with a probability in proportion to
// weights[i].
void makeWeightedWordLines(WordLines& lines, const char* const* words, const double* weights,
                           int32_t count, std::mt19937& random);
