// The practice row: lines that favour the weakest keys, the even practice without a history,
// and an intro that fits the text box.
#include "course/content/practice.h"
#include "course/lesson/practice_setup.h"
#include "course/records/history.h"
#include "tests/support/intro_check.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// entries, over many seeds.
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
    const Course& course = builtInCourse();
    for (int lesson = 0; lesson < 3; ++lesson)
        for (const std::string& entry : course.lessons[size_t(lesson)].entries) pool.insert(entry);
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
        for (size_t i = 0; i < course.lessons[size_t(lesson)].entries.size(); ++i)
            lessonWeight[lesson] += practice->weights[entry++];
    EXPECT_EQ(entry, practice->words.size());
    for (auto [lesson, weight] : lessonWeight) EXPECT_NEAR(weight, 1.0, 1e-9) << lesson;
}

// The generated intros keep inside the text box, release every key they light and wait once.
TEST(Practice, TheIntroFitsTheBoxAndReleasesWhatItLights) {
    auto figures = std::make_unique<ProgressFigures>();
    auto practice = std::make_unique<PracticeLesson>();
    const KeyboardModel keyboard = usKeyboard();
    for (const std::string weak : {"", "fj ;e", "abcdefg"}) {
        figuresWithMisses(*figures, weak);
        if (weak == "abcdefg") figures->status = HistoryStatus::Empty;
        PracticeAim aim;
        aimPractice(*figures, finishedLessons(1), keyboard, aim);
        makePractice(aim, keyboard, *practice);
        SCOPED_TRACE(weak);
        expectIntroFits(practice->intro, keyboard);
        EXPECT_EQ(std::count_if(practice->intro.begin(), practice->intro.end(),
                                [](const IntroStep& s) { return s.kind == StepKind::Wait; }),
                  1);
        EXPECT_EQ(aim.weakKeyCount, int(std::min<size_t>(weak.size(), 5)) * (weak != "abcdefg"));
    }
}

}  // namespace
