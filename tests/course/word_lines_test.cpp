// Word lines: whole entries of a word list within a line's budget, drawn from the seed, and
// the lessons' own entries.
#include "course/content/lesson_catalogue.h"
#include "course/lesson/lesson_screen.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

Lines makeLines(const std::vector<const char*>& words, uint32_t seed) {
    WordLines lines;
    std::mt19937 random(seed);
    makeWordLines(lines, words.data(), int32_t(words.size()), random);
    EXPECT_EQ(random == std::mt19937(seed), lines[0][0] == 0);  // no draw for nothing
    return Lines(lines, lines + LineCount);
}

TEST(WordLines, FillTheBudgetWithWholeEntriesDrawnFromTheSeed) {
    const std::vector<const char*> homeRow = {"a", "sad", "lass", "fall", "ad", "flask"};
    // The shortest entry has one character: a line stops with 1 or 2 of 36 left. (That a line
    // is whole entries within its budget, whatever the entries, is the word-line fuzzer's.)
    for (uint32_t seed = 1; seed <= 40; ++seed)
        for (const std::string& line : makeLines(homeRow, seed))
            EXPECT_TRUE(line.size() == 34 || line.size() == 35) << line;
    EXPECT_EQ(makeLines({"", "abc", ""}, 7), Lines(10, "abc abc abc abc abc abc abc abc abc"));
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGH", "a"}, 7)[0].size(), 34u);  // alone
    EXPECT_EQ(makeLines({"abcdefghijklmnopqrstuvwxyzABCDEFGHI"}, 5), Lines(10, ""));  // 35: never
    Lesson lesson({"e"});  // set-up seeds the lines from the host's calendar seconds each time
    for (int64_t second : {1700000000, 1700000001}) {
        lesson.clock.calendarSeconds = second;
        setUpLessonScreen(lesson.test.video(), *lesson.screen, homeRow.data(), 6, "", nullptr);
        EXPECT_EQ(Lines(lesson.screen->lines, lesson.screen->lines + LineCount),
                  makeLines(homeRow, uint32_t(second)));
    }
}

// Every byte the program reads from the catalogue, pinned at once: titles, word entries and
// intro commands in order. A change to any lesson must change this number on purpose.
TEST(LessonCatalogue, BytesArePinnedByOneDigest) {
    uint64_t digest = 14695981039346656037u;  // 64-bit FNV-1a
    const auto add = [&digest](const char* text) {
        for (const char* c = text; *c != '\0'; ++c)
            digest = (digest ^ uint8_t(*c)) * 1099511628211u;
        digest = (digest ^ 0xFFu) * 1099511628211u;  // the end of each string counts too
    };
    for (const LessonRecord& lesson : lessonCatalogue) {
        add(lesson.title);
        for (int slot = 0; slot < lesson.wordCount; ++slot) add(lesson.words[slot]);
        add("");
        for (int c = 0; c < ScriptSlots && lesson.script[c] != nullptr; ++c) add(lesson.script[c]);
        add("");
    }
    EXPECT_EQ(digest, 11232203020610407195u);
}

// Every entry is typed with the keys of a US keyboard, and every one can stand in a line but
// the one of lesson 10 that is longer than a line can hold.
TEST(LessonCatalogue, EveryEntryIsTypeableAndAllButOneCanBePlaced) {
    std::vector<std::string> unplaceable;
    for (const LessonRecord& lesson : lessonCatalogue) {
        for (int slot = 0; slot < lesson.wordCount; ++slot) {
            const std::string entry = lesson.words[slot];
            Keystroke stroke{};
            for (char c : entry) EXPECT_TRUE(keystrokeFor(c, stroke)) << entry;
            if (entry.size() > size_t(LongestPlaceableEntry)) unplaceable.push_back(entry);
        }
    }
    EXPECT_EQ(unplaceable,
              std::vector<std::string>{"int bytes = fwrite(&data, sizeof(data), 1, fp);"});
}

}  // namespace
