// The practice row: lines that favour the weakest keys, the even practice without a history,
// and an intro that is a valid script naming the keys as the learner's layout labels them.
#include "course/content/practice.h"
#include "course/lesson/practice_setup.h"
#include "course/records/history.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

KeyboardModel usKeyboard() {
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    return keyboard;
}

// The first `count` lessons with a best time, no others.
BestTimes finishedLessons(int count) {
    BestTimes times;
    for (int i = 0; i < LessonCount; ++i) times[size_t(i)] = i < count ? 60 : -1;
    return times;
}

ProgressFigures& figuresWithMisses(ProgressFigures& figures, const std::string& weak) {
    figures = ProgressFigures{};
    figures.status = HistoryStatus::Ready;
    figures.runCount = 20;
    for (int c = 'a'; c <= 'z'; ++c) figures.expected[c] = 100;
    figures.expected[int(' ')] = 300;
    for (char c : weak) {
        figures.missed[uint8_t(c)] = 30;
        figures.typedInstead[uint8_t(c)][int('x')] = 30;
    }
    return figures;
}

double share(const PracticeLesson& practice, const std::string& characters, bool weighted) {
    WordLines lines;
    std::vector<double> even(practice.words.size(), 1.0);
    int64_t hits = 0, all = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        makeWeightedWordLines(lines, practice.words.data(),
                              weighted ? practice.weights.data() : even.data(),
                              int32_t(practice.words.size()), random);
        for (const char* line : lines) {
            for (const char* c = line; *c != '\0'; ++c) {
                all += *c != ' ';
                hits += characters.find(*c) != std::string::npos;
            }
        }
    }
    return double(hits) / double(all);
}

// The weak keys' characters come up far more often than in lines drawn evenly from the same
// entries, over many seeds (the lines are filled as a lesson's are, by the same function).
TEST(Practice, WeakKeyLinesFavourTheWeakKeys) {
    auto figures = std::make_unique<ProgressFigures>();
    auto practice = std::make_unique<PracticeLesson>();
    const KeyboardModel keyboard = usKeyboard();
    PracticeAim aim;
    aimPractice(figuresWithMisses(*figures, "jk"), finishedLessons(3), keyboard, aim);
    makePractice(aim, keyboard, *practice);
    ASSERT_TRUE(aim.fromHistory);
    EXPECT_EQ(aim.weakKeyCount, 2);
    std::set<std::string> pool;
    for (int lesson = 0; lesson < 3; ++lesson)
        for (int i = 0; i < lessonCatalogue[lesson].wordCount; ++i)
            pool.insert(lessonCatalogue[lesson].words[i]);
    EXPECT_EQ(std::set<std::string>(practice->words.begin(), practice->words.end()), pool);
    EXPECT_GT(share(*practice, "jk", true), 1.5 * share(*practice, "jk", false));

    // Without a history: lessons 1 to 6, each as likely as the others.
    figures->status = HistoryStatus::Empty;
    aimPractice(*figures, finishedLessons(3), keyboard, aim);
    makePractice(aim, keyboard, *practice);
    EXPECT_FALSE(aim.fromHistory);
    std::map<int, double> lessonWeight;
    size_t entry = 0;
    for (int lesson = 0; lesson < EvenLessons; ++lesson)
        for (int i = 0; i < lessonCatalogue[lesson].wordCount; ++i)
            lessonWeight[lesson] += practice->weights[entry++];
    EXPECT_EQ(entry, practice->words.size());
    for (auto [lesson, weight] : lessonWeight) EXPECT_NEAR(weight, 1.0, 1e-9) << lesson;
}

// The generated intros are scripts the interpreter runs as it runs a lesson's: known
// commands with their operands, texts inside the text box, every lit key released, an end.
TEST(Practice, TheIntroIsAValidScript) {
    auto figures = std::make_unique<ProgressFigures>();
    auto practice = std::make_unique<PracticeLesson>();
    const KeyboardModel keyboard = usKeyboard();
    for (const std::string weak : {"", "fj ;e", "abcdefg"}) {
        figuresWithMisses(*figures, weak);
        if (weak == "abcdefg") figures->status = HistoryStatus::Empty;
        PracticeAim aim;
        aimPractice(*figures, finishedLessons(1), keyboard, aim);
        makePractice(aim, keyboard, *practice);
        std::set<char> lit;
        int count = 0;
        while (practice->script[count] != nullptr) ++count;
        ASSERT_GT(count, 1);
        EXPECT_STREQ(practice->script[count - 1], "e");
        for (int i = 0; i < count - 1; ++i) {
            const std::string command = practice->script[i];
            SCOPED_TRACE(command);
            switch (command[0]) {
            case 't': {
                ASSERT_GT(command.size(), 5u);
                const int column = std::stoi(command.substr(1, 2)),
                          row = std::stoi(command.substr(3, 2));
                EXPECT_TRUE(row >= 16 && row <= 19);
                EXPECT_LE(column + int(command.size()) - 5, 40);
                break;
            }
            case 'c': EXPECT_EQ(command.size(), 7u); break;
            case 'w': EXPECT_EQ(command.size(), 1u); break;
            case 'h':
                ASSERT_EQ(command.size(), 3u);
                EXPECT_NE(keyboard.keyByChar[uint8_t(command[1])], NoKey);
                if (command[2] == '1') {
                    EXPECT_TRUE(lit.insert(command[1]).second);
                } else {
                    EXPECT_EQ(lit.erase(command[1]), 1u);
                }
                break;
            default: ADD_FAILURE();
            }
        }
        EXPECT_TRUE(lit.empty());
        EXPECT_EQ(aim.weakKeyCount, int(std::min<size_t>(weak.size(), 5)) * (weak != "abcdefg"));
    }
}

}  // namespace
