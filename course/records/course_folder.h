// The learner's own courses: every ".txt" file in the folder "quenmoreCourses" of the data
// folder, beside the best-times file. The folder is made, with a README.txt that describes the
// format, the first time the menu looks for it.
#pragma once

#include "course/content/course.h"
#include "course/keyboard/keyboard_model.h"

#include <vector>

constexpr const char* CoursesFolderName = "quenmoreCourses";
constexpr const char* CoursesReadmeName = "README.txt";
constexpr int MostCourseFiles = 50;  // the first 50 files by name; the rest are said on stderr

// Reads the course files (README.txt aside) in the order of their names, each checked for
// `keyboard`, and says every fault on stderr. A file that cannot be read, or is no regular
// file, is a course with no lessons and that fault, and so is one whose course has the name
// of the built-in course or of a file before it: each is still shown, with why.
std::vector<Course> loadLearnersCourses(const KeyboardModel& keyboard);
