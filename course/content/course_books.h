// The program's own courses, one for each keyboard layout it knows: the English lessons of a
// US keyboard (lessons.txt), German ones for QWERTZ, French ones for AZERTY and English ones
// for Dvorak and Colemak, all teaching the same keys by their places (lesson_places.h). A
// layout without a course of its own gets the English one by position: on its own keys, of
// the English entries those keys type. The course follows the layout the system reports, or
// the learner's choice on the Options screen.
#pragma once

#include "course/content/course.h"
#include "course/keyboard/keyboard_model.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class CourseBook : uint8_t { English, German, French, Dvorak, Colemak };
constexpr int CourseBookCount = 5;

struct CourseBookInfo {
    const char* settingName;  // in the settings file: en-us, de, fr, en-dvorak, en-colemak
    const char* label;        // on the Options screen
    // The layout's letter keys, unshifted, from the first key of the upper, home and lower
    // rows, '|' between the rows: how the layout is known by its characters.
    const char* letters;
    // The book's text; English has two: lessons.txt, built in as the US lessons
    // (built_in_course.h), and this one, its lessons by position.
    const char* text;
    size_t textSize;
};
extern const CourseBookInfo CourseBooks[CourseBookCount];

// What the settings choose: the layout's course, or a book whatever the layout (book b is
// choice b + 1).
enum class CourseChoice : uint8_t { Automatic };
constexpr int CourseChoiceCount = CourseBookCount + 1;

// The course of a layout, by the name the system gives it (the X layout with its variant,
// "de" or "us(dvorak)", or the Windows keyboard layout identifier, "00000407") and by its
// letters: a name the program knows gives its course if the letters are that layout's (a
// variant with other letters, such as a German Neo or a French Bepo, is not QWERTZ or
// AZERTY); an unknown name or none, the course whose letters the keyboard has; English when
// none has.
CourseBook courseBookForLayout(const std::string& layoutName, bool nameKnown,
                               const KeyboardModel& keyboard);
// The book a choice means on this keyboard.
CourseBook chosenBook(CourseChoice choice, const std::string& layoutName, bool nameKnown,
                      const KeyboardModel& keyboard);
// The same for the layout the system reports now (host.layoutName), whose characters
// `keyboard` holds.
CourseBook learnersBook(CourseChoice choice, const KeyboardModel& keyboard);

// A course as the learner plays it on `keyboard`.
struct PlayedCourse {
    Course course;
    // The US lessons as they always were, on a keyboard that types as a US one does: their
    // best times are kept in the best-times file; every other course's in the history.
    bool usLessons;
};
// English on a US keyboard is the ten lessons as they always were. On any other keyboard it
// is the English course by position, its intros naming and lighting the learner's keys and
// its entries those that the keys taught so far type (an earlier lesson's, for a lesson none
// of whose own entries can be typed). The others are played as written, without the entries
// the learner's layout cannot type (a lesson left with none has those of the lesson before it)
// and without lighting the keys it lacks.
PlayedCourse playedCourse(CourseBook book, const KeyboardModel& keyboard);

// The course book as written, read once (the English one by position, shown on a US
// keyboard, for `book` English and `byPosition`).
const Course& courseBookAsWritten(CourseBook book, bool byPosition = false);
// Whether a course of the program's own has this name: no learner's course may take it.
bool isCourseBookName(const std::string& name);
