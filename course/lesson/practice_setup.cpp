#include "course/lesson/practice_setup.h"

#include "course/records/history.h"
#include "course/records/key_misses.h"
#include "engine/host.h"

#include <algorithm>
#include <memory>

void aimPractice(const ProgressFigures& all, const BestTimes& times, const KeyboardModel& keyboard,
                 PracticeAim& aim, bool usLessons) {
    aim = PracticeAim{};
    for (int lesson = 0; lesson < LessonCount; ++lesson)
        aim.finished[lesson] =
            times[size_t(lesson)] >= 0 || (usLessons && all.lessonRuns[lesson] > 0);
    aim.fromHistory =
        all.status == HistoryStatus::Ready &&
        std::find(std::begin(aim.finished), std::end(aim.finished), true) != std::end(aim.finished);
    KeyMissRates rates;
    keyMissRates(all, keyboard, rates);
    std::copy(std::begin(rates.rate), std::end(rates.rate), aim.keyRate);
    aim.weakKeyCount = aim.fromHistory ? weakestKeys(rates, WeakKeysNamed, aim.weakKeys) : 0;
}

void setUpPractice(VideoState& video, LessonScreen& screen, const BestTimes& times,
                   const Course& course, bool usLessons, PracticeLesson& practice) {
    setUpLessonScreen(video, screen, nullptr, 0, PracticeTitle, &practice.intro);
    auto all = std::make_unique<ProgressFigures>();
    loadProgress(AllLessons, *all);
    PracticeAim aim;
    aimPractice(*all, times, screen.keyboard, aim, usLessons);
    makePractice(aim, screen.keyboard, practice, course);
    std::mt19937 random(uint32_t(host.calendarSeconds()));
    makeWeightedWordLines(screen.lines, practice.words.data(), practice.weights.data(),
                          int32_t(practice.words.size()), random);
}
