// The lesson menu: ten rows with their best times and the practice row, a sliding selection,
// lessons started from inside its loop, the progress screen behind Tab.
#pragma once

#include "course/common/screen_exit.h"
#include "course/content/built_in_course.h"
#include "course/lesson/lesson_screen.h"
#include "course/records/best_times.h"
#include "course/records/history.h"
#include "course/records/settings.h"
#include "course/screens/progress_screen.h"

#include <memory>
#include <vector>

// One row of the lesson menu.
struct LessonEntry {
    const char* title;           // borrowed from the lesson
    int32_t bestTime;            // whole seconds; -1 when no time is recorded
    const CourseLesson* lesson;  // null: the row cannot be started
};

struct LessonMenu {
    std::unique_ptr<LessonEntry[]> entries;
    int32_t entryCount;
    VideoState* video;
    int32_t selectedIndex;
    Settings* settings;  // what the Options screen changes; null: O opens nothing
    // The program's own course for the learner's keyboard (course_books.h), which the menu
    // shows first, and the choice it was made for; `usLessons` when it is the US lessons as
    // they always were, whose best times the best-times file keeps (the history keeps the
    // others').
    Course builtIn;
    bool usLessons;
    CourseChoice builtInChoice;
    // The courses after the built-in one (the learner's files) and the one shown: 0 the
    // built-in course, whose best times are `builtInTimes` while another is shown; i the
    // course courses[i - 1].
    std::vector<Course> courses;
    int32_t course;
    BestTimes builtInTimes;
};

// Replaces the menu's rows with one per built-in lesson and the practice row, every best
// time -1, the first row selected.
void buildMenuRows(LessonMenu& menu);
// Makes the menu's built-in course the one the settings choose (the layout's, by default)
// for the learner's keyboard, with its best times; shows it when it is shown.
void chooseBuiltInCourse(LessonMenu& menu);

// The pages of the learner's courses (menu_courses.cpp): read from the data folder for the
// learner's keyboard; the page of course `course` shown (its rows, their best times, the first
// row selected); the course's name and its file's first fault at the top, while there is more
// than one course; a step to the course before or after, false at either end.
void loadMenuCourses(LessonMenu& menu);
void showCourse(LessonMenu& menu, int32_t course);
void drawCourseHeader(LessonMenu& menu);
bool stepCourse(LessonMenu& menu, int step);
// The course whose page is shown; null for the built-in one.
const Course* shownCourse(const LessonMenu& menu);
// Says the selected row (its title, best time and place among the rows), and with `whole`
// the course's name before it and the menu's keys after it (menu_speech.cpp).
void sayMenuRow(LessonMenu& menu, bool whole);
// The lesson key under which the selected row's runs are kept.
LessonKey selectedLessonKey(const LessonMenu& menu);
// The progress screen's pages for the course shown: its lessons, in its rows' order, then all
// lessons.
std::vector<ProgressPage> courseProgressPages(const LessonMenu& menu);
// The lessons' rows' best times, and the other way round.
BestTimes menuBestTimes(const LessonMenu& menu);
void setMenuBestTimes(LessonMenu& menu, const BestTimes& times);

// Points the menu at the video state (and at the learner's settings, when given), builds its
// rows, loads the best times and draws it.
void setUpLessonMenu(VideoState& video, LessonMenu& menu, Settings* settings = nullptr);
// Rebuilds the whole menu picture around the selected row.
void drawLessonMenu(LessonMenu& menu);
// The menu loop, until the program is to end: after Escape and a fade to black, at once
// after a window close or the system's request.
void runLessonMenu(LessonMenu& menu);
// Plays the selected row's lesson (or the practice); a finished run is added to the history,
// a better time kept and saved, and then its results shown with what the save said. Back in
// the menu afterwards (Done), or Quit when the program is to end.
ScreenExit startSelectedLesson(LessonMenu& menu, LessonScreen& screen);
