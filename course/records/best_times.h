// The best-times file: "quenmoreTimes.bin" in the per-user data folder, one little-endian
// 32-bit record per built-in lesson. Bit 31 set: bits 0-30 hold the best time in seconds;
// clear: no time.
#pragma once

#include "course/content/built_in_course.h"

#include <array>
#include <cstdint>
#include <string>

constexpr const char* BestTimesFileName = "quenmoreTimes.bin";

// The ten lessons' best times in whole seconds, lesson 1 first; -1 for no time.
using BestTimes = std::array<int32_t, LessonCount>;

// Full path of the best-times file; false when the data folder is unknown or too long.
bool bestTimesPath(std::string& path);
// Fills `times` from the file; lessons the file does not cover keep their value.
void loadBestTimes(BestTimes& times);
// Writes every lesson's record, merged with the file as it now is: under a lock shared by
// every copy of the program, each lesson keeps the better of its time and the stored one, and
// `times` holds the merged times afterwards. The old file stays intact unless the new one is
// complete. False when nothing could be written, with the reason in `reason` when given.
bool saveBestTimes(BestTimes& times, std::string* reason = nullptr);
// The longest time a lesson can be recorded with: a day. A record of 0 seconds or of more
// cannot come from a lesson run (a damaged file) and would block or garble the row.
constexpr int32_t LongestBestTime = 24 * 60 * 60;
// True for a time that can be recorded: above 0 and at most LongestBestTime.
bool saneBestTime(int32_t seconds);
// Record conversions: sane times become time | 0x80000000, anything else 0; a record with
// bit 31 clear, or with a time that is not sane, reads as -1.
uint32_t encodeBestTime(int32_t bestTime);
int32_t decodeBestTime(uint32_t record);
