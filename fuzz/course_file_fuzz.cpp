// The course reader: any bytes as a course file, read for a US keyboard, as the program's
// own course is read, and shown on a US keyboard as a course by position is. Invariants: faults at
// lines of the file, in order; at most 50 lessons, each with entries whose every character the
// fonts draw (and, for the learner's keyboard, a key types, in entries a line can hold); intros
// inside the text box that release what they light.
#include "course/common/screen_layout.h"
#include "course/common/screen_text.h"
#include "course/content/course_reader.h"
#include "course/content/intro_writer.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <string>

namespace {

void check(const Course& course, size_t lines, const KeyboardModel* keyboard) {
    FUZZ_CHECK(course.lessons.size() <= size_t(MostLessons));
    FUZZ_CHECK(
        std::is_sorted(course.errors.begin(), course.errors.end(),
                       [](const CourseError& a, const CourseError& b) { return a.line < b.line; }));
    for (const CourseError& error : course.errors)
        FUZZ_CHECK(error.line >= 0 && size_t(error.line) <= lines && !error.message.empty());
    for (const CourseLesson& lesson : course.lessons) {
        FUZZ_CHECK(!lesson.title.empty() && lesson.title.size() <= size_t(LongestLessonTitle));
        FUZZ_CHECK(!lesson.entries.empty());
        for (const std::string& entry : lesson.entries) {
            FUZZ_CHECK(!entry.empty() && entry.front() != ' ' && entry.back() != ' ');
            FUZZ_CHECK(keyboard == nullptr || entry.size() <= size_t(LongestEntry));
            for (char c : entry) {
                FUZZ_CHECK(hasGlyph(uint8_t(c)));
                FUZZ_CHECK(keyboard == nullptr || canType(*keyboard, uint8_t(c)));
            }
        }
        int lit[256] = {};
        for (const IntroStep& step : lesson.intro) {
            switch (step.kind) {
            case StepKind::Print:
                FUZZ_CHECK(!step.text.empty() && step.text.size() <= size_t(IntroWidth));
                [[fallthrough]];
            case StepKind::Clear:
                FUZZ_CHECK(step.row >= IntroFirstRow && step.row < IntroFirstRow + IntroRows);
                break;
            case StepKind::Light: lit[step.key] = 1; break;
            case StepKind::Release:
                FUZZ_CHECK(lit[step.key] == 1);
                lit[step.key] = 0;
                break;
            case StepKind::Pause:
                FUZZ_CHECK(step.frames >= 0 && step.frames <= LongestPause);
                break;
            case StepKind::Wait: break;
            }
        }
        FUZZ_CHECK(std::count(std::begin(lit), std::end(lit), 1) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyboardModel keyboard = [] {
        KeyboardModel us{};
        buildKeyboard(us);
        return us;
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t lines = size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    check(readCourse(bytes, "fuzz.txt", &keyboard), lines, &keyboard);
    check(readCourse(bytes, "fuzz.txt", nullptr), lines, nullptr);
    // A course by position shown on the learner's keyboard, as the program's own are.
    check(readCourse(bytes, "fuzz.txt", nullptr, &keyboard), lines, nullptr);
    return 0;
}
