// Setting up a run of the practice row: the history read, the practice made from it for the
// learner's keyboard, and the lesson screen filled with its intro and lines.
#pragma once

#include "course/content/practice.h"
#include "course/lesson/lesson_screen.h"
#include "course/records/best_times.h"

struct ProgressFigures;

// What the history of all lessons says the practice should aim at: a lesson counts as
// finished when it has a best time, or (of the US lessons, `usLessons`) a run in the history.
void aimPractice(const ProgressFigures& all, const BestTimes& times, const KeyboardModel& keyboard,
                 PracticeAim& aim, bool usLessons = true);
// Fills the lesson screen for a practice run of the lessons of `course`, whose best times are
// `times`: keyboard, maps, the intro and the lines. The screen's intro is `practice`'s, which
// must live as long as the run, and so must the course.
void setUpPractice(VideoState& video, LessonScreen& screen, const BestTimes& times,
                   const Course& course, bool usLessons, PracticeLesson& practice);
