#include "course/lesson_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

namespace {

bool isPrintable(char c) {
    return c >= 32 && c <= 126;
}

// Characters that have a key: every printable one, and the control codes that name the
// left Shift (7), right Shift (11) and Caps Lock (12) keys.
bool hasKey(char c) {
    return isPrintable(c) || c == 7 || c == 11 || c == 12;
}

bool twoDigits(const std::string& command, size_t at, int& value) {
    if (command.size() < at + 2 || !isdigit(command[at]) || !isdigit(command[at + 1])) {
        return false;
    }
    value = (command[at] - '0') * 10 + (command[at + 1] - '0');
    return true;
}

// Text rows and columns of the lesson screen's text box.
bool insideTextBox(int column, int row, int cells) {
    return row >= 16 && row <= 19 && column >= 2 && cells >= 1 && column + cells - 1 <= 41;
}

// Empty when the script would run safely and leave no key highlighted; otherwise what is
// wrong and where.
std::string scriptProblem(const char* const (&script)[ScriptSlots]) {
    std::set<char> highlighted;
    int end = -1;
    for (int i = 0; i < ScriptSlots && end < 0; ++i) {
        if (script[i] == nullptr) return "null command before the end at " + std::to_string(i);
        const std::string command = script[i];
        const std::string where = " at " + std::to_string(i) + ": " + command;
        int column = 0;
        int row = 0;
        int count = 0;
        switch (command.empty() ? '\0' : command[0]) {
        case 't': {
            const std::string text = command.size() > 5 ? command.substr(5) : "";
            if (!twoDigits(command, 1, column) || !twoDigits(command, 3, row) ||
                !insideTextBox(column, row, int(text.size()))) {
                return "text outside the box" + where;
            }
            if (!std::all_of(text.begin(), text.end(), isPrintable)) return "unprintable" + where;
            if (text == "When you're ready," && !highlighted.empty()) {
                return "keys still highlighted" + where;
            }
            break;
        }
        case 'c':
            if (command.size() != 7 || !twoDigits(command, 1, column) ||
                !twoDigits(command, 3, row) || !twoDigits(command, 5, count) ||
                !insideTextBox(column, row, count)) {
                return "clear outside the box" + where;
            }
            break;
        case 'h':
            if (command.size() != 3 || !hasKey(command[1]) ||
                (command[2] != '0' && command[2] != '1')) {
                return "bad highlight" + where;
            }
            if (command[2] == '1' && !highlighted.insert(command[1]).second) {
                return "highlighted twice" + where;
            }
            if (command[2] == '0' && highlighted.erase(command[1]) == 0) {
                return "released without a highlight" + where;
            }
            break;
        case 'p':
            if (command.size() != 4 || !twoDigits(command, 1, count) || !isdigit(command[3])) {
                return "bad pause" + where;
            }
            break;
        case 'w':
            if (command.size() != 1) return "bad wait" + where;
            break;
        case 'e':
            if (command.size() != 1) return "bad end" + where;
            end = i;
            break;
        default: return "unknown command" + where;
        }
    }
    if (end < 0) return "no end";
    if (!highlighted.empty()) return "keys still highlighted at the end";
    for (int i = end + 1; i < ScriptSlots; ++i) {
        if (script[i] != nullptr) return "command after the end at " + std::to_string(i);
    }
    return "";
}

struct LessonFacts {
    const char* title;
    int words;
    int commands;
};

constexpr LessonFacts Facts[LessonCount] = {
    {"Lesson 1: Home Row Left", 13, 44},        {"Lesson 2: Upper Row Left", 30, 45},
    {"Lesson 3: Home Row Right", 30, 51},       {"Lesson 4: Upper Row Right", 35, 47},
    {"Lesson 5: Bottom Row Left", 40, 39},      {"Lesson 6: Bottom Row Right", 45, 36},
    {"Lesson 7: Shift and Caps Lock", 40, 50},  {"Lesson 8: Numbers & Punctuation", 25, 69},
    {"Lesson 9: Sentence Punctuation", 26, 41}, {"Lesson 10: Code Punctuation", 33, 80},
};

int commandCount(const LessonRecord& lesson) {
    int count = 0;
    while (count < ScriptSlots && lesson.script[count] != nullptr) ++count;
    return count;
}

TEST(LessonCatalogue, TitlesAndSizesOfTheTenLessons) {
    for (int i = 0; i < LessonCount; ++i) {
        const LessonRecord& lesson = lessonCatalogue[i];
        EXPECT_STREQ(lesson.title, Facts[i].title);
        EXPECT_EQ(lesson.wordCount, Facts[i].words) << Facts[i].title;
        EXPECT_EQ(commandCount(lesson), Facts[i].commands) << Facts[i].title;
        for (int slot = lesson.wordCount; slot < WordSlots; ++slot) {
            EXPECT_EQ(lesson.words[slot], nullptr) << Facts[i].title << " slot " << slot;
        }
    }
}

// Every character of an entry must be one the keyboard can type: the printable ones, which
// all have keys. Only lesson 10's long call is too long for a line, and it stays so.
TEST(LessonCatalogue, WordEntriesAreTypeableAndFitALine) {
    for (int i = 0; i < LessonCount; ++i) {
        const LessonRecord& lesson = lessonCatalogue[i];
        for (int slot = 0; slot < lesson.wordCount; ++slot) {
            const char* entry = lesson.words[slot];
            ASSERT_NE(entry, nullptr) << Facts[i].title << " slot " << slot;
            const size_t length = std::strlen(entry);
            EXPECT_GT(length, 0u) << Facts[i].title << " slot " << slot;
            EXPECT_TRUE(std::all_of(entry, entry + length, isPrintable)) << entry;
            if (i == 9 && slot == 17) {
                EXPECT_EQ(length, 47u) << entry;
            } else {
                EXPECT_LE(length, size_t(LongestPlaceableEntry)) << entry;
            }
        }
    }
}

TEST(LessonCatalogue, EveryScriptRunsSafelyAndReleasesItsKeys) {
    for (int i = 0; i < LessonCount; ++i) {
        const LessonRecord& lesson = lessonCatalogue[i];
        EXPECT_EQ(scriptProblem(lesson.script), "") << Facts[i].title;
        const int count = commandCount(lesson);
        ASSERT_GE(count, 2);
        EXPECT_STREQ(lesson.script[count - 2], "p060") << Facts[i].title;
    }
}

// The script check above must itself catch the faults it is there for.
TEST(LessonCatalogue, ScriptCheckRejectsBrokenScripts) {
    struct Case {
        const char* why;
        const char* commands[4];
    };
    const Case cases[] = {
        {"no end", {"w", "p060"}},
        {"key without a key", {"h\r1", "h\r0", "e"}},
        {"highlight left on", {"hf1", "e"}},
        {"text past column 41", {"t0216This line is far too long for the text box", "e"}},
        {"text below row 19", {"t0220hello", "e"}},
        {"clear past column 41", {"c031640", "e"}},
        {"command after the end", {"e", "w"}},
        {"unknown command", {"x", "e"}},
    };
    for (const Case& broken : cases) {
        const char* script[ScriptSlots] = {};
        std::copy(std::begin(broken.commands), std::end(broken.commands), script);
        EXPECT_NE(scriptProblem(script), "") << broken.why;
    }
}

TEST(LessonCatalogue, LessonsWithSpecialEntries) {
    const LessonRecord& first = lessonCatalogue[0];
    const auto fadSlots =
        std::count_if(first.words, first.words + first.wordCount,
                      [](const char* entry) { return !std::strcmp(entry, "fad"); });
    EXPECT_EQ(fadSlots, 2);

    const LessonRecord& sentences = lessonCatalogue[8];
    size_t shortest = SIZE_MAX;
    for (int slot = 0; slot < sentences.wordCount; ++slot) {
        shortest = std::min(shortest, std::strlen(sentences.words[slot]));
    }
    EXPECT_EQ(shortest, 20u);

    // Control codes name the Shift and Caps Lock keys; a backslash in an entry stays one.
    const LessonRecord& shift = lessonCatalogue[6];
    EXPECT_TRUE(std::any_of(shift.script, shift.script + ScriptSlots,
                            [](const char* c) { return c && !std::strcmp(c, "h\f1"); }));
    EXPECT_STREQ(lessonCatalogue[9].words[24], "printf(\"Hello World!\\n\");");
}

TEST(LessonMenuRows, OneRowPerLessonWithoutTimes) {
    LessonMenu menu{};
    buildMenuRows(menu);
    ASSERT_EQ(menu.entryCount, LessonCount);
    for (int i = 0; i < LessonCount; ++i) {
        EXPECT_EQ(menu.entries[i].title, lessonCatalogue[i].title);
        EXPECT_EQ(menu.entries[i].bestTime, -1);
        EXPECT_EQ(menu.entries[i].lesson, &lessonCatalogue[i]);
    }
    EXPECT_EQ(menu.selectedIndex, 0);
}

TEST(LessonMenuRows, RebuildingReplacesTheRowsAndKeepsTheVideo) {
    LessonMenu menu{};
    VideoState* video = reinterpret_cast<VideoState*>(&menu);  // only compared, never used
    menu.video = video;
    buildMenuRows(menu);
    menu.entries[3].bestTime = 75;
    menu.entries[3].lesson = nullptr;
    menu.selectedIndex = 7;
    buildMenuRows(menu);
    EXPECT_EQ(menu.entries[3].bestTime, -1);
    EXPECT_EQ(menu.entries[3].lesson, &lessonCatalogue[3]);
    EXPECT_EQ(menu.selectedIndex, 0);
    EXPECT_EQ(menu.video, video);
}

}  // namespace
