// The built-in lessons: every word entry can be typed and placed, every intro script is one
// the intro runs safely and leaves no key highlighted.
#include "course/lesson_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>

namespace {

bool isPrintable(char c) {
    return c >= 32 && c <= 126;
}

// The number in command[at, at + 2), or -1 when those are not two digits.
int twoDigits(const std::string& command, size_t at) {
    if (command.size() < at + 2 || !isdigit(command[at]) || !isdigit(command[at + 1])) return -1;
    return (command[at] - '0') * 10 + (command[at + 1] - '0');
}

// Text rows and columns of the lesson screen's text box.
bool insideTextBox(const std::string& command, int cells) {
    const int column = twoDigits(command, 1);
    const int row = twoDigits(command, 3);
    return row >= 16 && row <= 19 && column >= 2 && cells >= 1 && column + cells - 1 <= 41;
}

// Empty when the script runs safely and leaves no key highlighted; otherwise what is wrong
// and where.
std::string scriptProblem(const char* const (&script)[ScriptSlots]) {
    std::set<char> highlighted;
    int end = -1;
    for (int i = 0; i < ScriptSlots && end < 0; ++i) {
        if (script[i] == nullptr) return "null command before the end at " + std::to_string(i);
        const std::string command = script[i];
        const std::string where = " at " + std::to_string(i) + ": " + command;
        const std::string text = command.size() > 5 ? command.substr(5) : "";
        bool ok = true;
        switch (command.empty() ? '\0' : command[0]) {
        case 't':
            ok = insideTextBox(command, int(text.size())) &&
                 std::all_of(text.begin(), text.end(), isPrintable) &&
                 (text != "When you're ready," || highlighted.empty());
            break;
        case 'c': ok = command.size() == 7 && insideTextBox(command, twoDigits(command, 5)); break;
        case 'h': {
            // Printable characters and the control codes of the left Shift (7), right Shift
            // (11) and Caps Lock (12) keys have keys.
            const char c = command.size() == 3 ? command[1] : '\0';
            ok = (isPrintable(c) || c == 7 || c == 11 || c == 12) &&
                 (command[2] == '1' ? highlighted.insert(c).second
                                    : command[2] == '0' && highlighted.erase(c) == 1);
            break;
        }
        case 'p':
            ok = command.size() == 4 && twoDigits(command, 1) >= 0 && isdigit(command[3]);
            break;
        case 'w': ok = command.size() == 1; break;
        case 'e':
            ok = command.size() == 1;
            end = i;
            break;
        default: ok = false;
        }
        if (!ok) return "bad command" + where;
    }
    if (end < 0) return "no end";
    if (!highlighted.empty()) return "keys still highlighted at the end";
    for (int i = end + 1; i < ScriptSlots; ++i) {
        if (script[i] != nullptr) return "command after the end at " + std::to_string(i);
    }
    return "";
}

TEST(LessonCatalogue, EveryScriptRunsSafelyAndReleasesItsKeys) {
    for (const LessonRecord& lesson : lessonCatalogue) {
        EXPECT_EQ(scriptProblem(lesson.script), "") << lesson.title;
        int count = 0;
        while (count < ScriptSlots && lesson.script[count] != nullptr) ++count;
        ASSERT_GE(count, 2);
        EXPECT_STREQ(lesson.script[count - 2], "p060") << lesson.title;
    }
}

// Every character of an entry must be one the keyboard can type: the printable ones, which
// all have keys. Only lesson 10's long call is too long for a line, and it stays so.
TEST(LessonCatalogue, WordEntriesAreTypeableAndFitALine) {
    for (int i = 0; i < LessonCount; ++i) {
        const LessonRecord& lesson = lessonCatalogue[i];
        for (int slot = 0; slot < WordSlots; ++slot) {
            const char* entry = lesson.words[slot];
            if (slot >= lesson.wordCount) {
                EXPECT_EQ(entry, nullptr) << lesson.title << " slot " << slot;
                continue;
            }
            ASSERT_NE(entry, nullptr) << lesson.title << " slot " << slot;
            const size_t length = std::strlen(entry);
            EXPECT_GT(length, 0u) << lesson.title << " slot " << slot;
            EXPECT_TRUE(std::all_of(entry, entry + length, isPrintable)) << entry;
            EXPECT_LE(length, i == 9 && slot == 17 ? 47u : size_t(LongestPlaceableEntry)) << entry;
        }
    }
    EXPECT_EQ(std::strlen(lessonCatalogue[9].words[17]), 47u);
    // Lesson 1 holds "fad" twice; the sentences of lesson 9 are 20 characters or more.
    const LessonRecord& first = lessonCatalogue[0];
    EXPECT_EQ(std::count_if(first.words, first.words + first.wordCount,
                            [](const char* entry) { return !std::strcmp(entry, "fad"); }),
              2);
    const LessonRecord& sentences = lessonCatalogue[8];
    for (int slot = 0; slot < sentences.wordCount; ++slot) {
        EXPECT_GE(std::strlen(sentences.words[slot]), 20u) << sentences.words[slot];
    }
}

}  // namespace
