#include "course/content/built_in_course.h"

#include "course/content/course_reader.h"

#include <cstddef>
#include <cstdlib>

// The bytes of lessons.txt, which the build writes into a source of its own: the program
// carries its course with it, needing no file beside it that could go missing.
extern const char builtInCourseText[];
extern const size_t builtInCourseTextSize;

const Course& builtInCourse() {
    static const Course course = [] {
        Course read =
            readCourse(std::string(builtInCourseText, builtInCourseTextSize), "", nullptr);
        // A fault in the program's own course is the build's: its tests check every lesson.
        if (!read.errors.empty() || read.lessons.size() != size_t(LessonCount)) std::abort();
        return read;
    }();
    return course;
}
