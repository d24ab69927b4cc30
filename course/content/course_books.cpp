#include "course/content/course_books.h"

#include "course/content/built_in_course.h"
#include "course/content/course_reader.h"
#include "course/content/lesson_places.h"
#include "engine/host.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

// The bytes of the course books in books/, which the build writes into sources of their own.
extern const char byPositionCourseText[];
extern const size_t byPositionCourseTextSize;
extern const char germanCourseText[];
extern const size_t germanCourseTextSize;
extern const char frenchCourseText[];
extern const size_t frenchCourseTextSize;
extern const char dvorakCourseText[];
extern const size_t dvorakCourseTextSize;
extern const char colemakCourseText[];
extern const size_t colemakCourseTextSize;

const CourseBookInfo CourseBooks[CourseBookCount] = {
    {"en-us", "English", "qwertyuiop|asdfghjkl|zxcvbnm", byPositionCourseText,
     byPositionCourseTextSize},
    {"de", "Deutsch", "qwertzuiop|asdfghjkl|yxcvbnm", germanCourseText, germanCourseTextSize},
    {"fr",
     "Fran\xE7"
     "ais",
     "azertyuiop|qsdfghjklm|wxcvbn", frenchCourseText, frenchCourseTextSize},
    {"en-dvorak", "English, Dvorak", "',.pyfgcrl|aoeuidhtns|;qjkxbmwvz", dvorakCourseText,
     dvorakCourseTextSize},
    {"en-colemak", "English, Colemak", "qwfpgjluy;|arstdhneio|zxcvbkm", colemakCourseText,
     colemakCourseTextSize},
};

namespace {

// The names systems give the layouts, and the setting names of their books: X's (a variant of
// German or French is still theirs, if its letters are) and Windows' identifiers (German,
// Austrian German, French, US Dvorak).
constexpr struct {
    const char* name;
    const char* book;
    bool variants;
} KnownNames[] = {
    {"us", "en-us", false},
    {"de", "de", true},
    {"at", "de", true},
    {"fr", "fr", true},
    {"us(dvorak)", "en-dvorak", false},
    {"us(colemak)", "en-colemak", false},
    {"00000409", "en-us", false},
    {"00000407", "de", false},
    {"00000C07", "de", false},
    {"0000040C", "fr", false},
    {"00010409", "en-dvorak", false},
};

constexpr int RowFirstKeys[3] = {13, 26, 37};  // the first keys of the upper, home, lower rows

bool hasLetters(const KeyboardModel& keyboard, CourseBook book) {
    const char* letters = CourseBooks[int(book)].letters;
    for (int row = 0; row < 3; ++row) {
        for (int k = RowFirstKeys[row]; *letters != '|' && *letters != '\0'; ++k, ++letters)
            if (keyboard.keys[k].lowerChar != uint8_t(*letters)) return false;
        if (*letters == '|') ++letters;
    }
    return true;
}

const Course& readOnce(const char* text, size_t size, bool& read, Course& course) {
    if (!read) {
        course = readCourse(std::string(text, size), "", nullptr);
        // A fault in the program's own course is the build's: its tests check every lesson.
        if (!course.errors.empty() || course.lessons.size() != size_t(LessonCount)) std::abort();
        read = true;
    }
    return course;
}

// Of each lesson's entries, those `keeps` accepts (the lesson's own characters and the
// keyboard's); a lesson left without any takes the entries kept for the lesson before it,
// and the first the characters of its keys that can be typed.
template <class Keeps>
void keepEntries(Course& course, const KeyboardModel& keyboard, Keeps keeps) {
    for (size_t l = 0; l < course.lessons.size(); ++l) {
        std::vector<std::string> kept;
        for (const std::string& entry : course.lessons[l].entries)
            if (keeps(int(l), entry)) kept.push_back(entry);
        if (kept.empty() && l > 0) kept = course.lessons[l - 1].entries;
        if (kept.empty()) {
            const CharacterSet characters = lessonCharacters(keyboard, 0);
            for (int c = '!'; c < 256; ++c)
                if (characters[size_t(c)] && canType(keyboard, uint8_t(c)))
                    kept.push_back(std::string(2, char(c)));
        }
        if (kept.empty()) kept.push_back(" ");
        course.lessons[l].entries = std::move(kept);
    }
}

}  // namespace

const Course& courseBookAsWritten(CourseBook book, bool byPosition) {
    static bool read[CourseBookCount] = {};
    static Course books[CourseBookCount];
    const int b = int(book) < CourseBookCount ? int(book) : 0;
    if (b == 0 && !byPosition) return builtInCourse();
    return readOnce(CourseBooks[b].text, CourseBooks[b].textSize, read[b], books[b]);
}

bool isCourseBookName(const std::string& name) {
    if (name == courseBookAsWritten(CourseBook::English, true).name) return true;
    for (int b = 0; b < CourseBookCount; ++b)
        if (name == courseBookAsWritten(CourseBook(b)).name) return true;
    return false;
}

CourseBook courseBookForLayout(const std::string& layoutName, bool nameKnown,
                               const KeyboardModel& keyboard) {
    const std::string layout = layoutName.substr(0, layoutName.find('('));
    for (const auto& known : KnownNames) {
        if (!nameKnown || (layoutName != known.name && !(known.variants && layout == known.name)))
            continue;
        for (int b = 0; b < CourseBookCount; ++b) {
            if (std::strcmp(CourseBooks[b].settingName, known.book) != 0) continue;
            return b == 0 || hasLetters(keyboard, CourseBook(b)) ? CourseBook(b)
                                                                 : CourseBook::English;
        }
        return CourseBook::English;
    }
    for (int b = 0; b < CourseBookCount; ++b)
        if (hasLetters(keyboard, CourseBook(b))) return CourseBook(b);
    return CourseBook::English;
}

CourseBook chosenBook(CourseChoice choice, const std::string& layoutName, bool nameKnown,
                      const KeyboardModel& keyboard) {
    if (choice == CourseChoice::Automatic || int(choice) > CourseBookCount)
        return courseBookForLayout(layoutName, nameKnown, keyboard);
    return CourseBook(int(choice) - 1);
}

CourseBook learnersBook(CourseChoice choice, const KeyboardModel& keyboard) {
    std::string layout;
    const bool named = host.layoutName(layout);
    return chosenBook(choice, layout, named, keyboard);
}

PlayedCourse playedCourse(CourseBook book, const KeyboardModel& keyboard) {
    PlayedCourse played{{}, false};
    if (book == CourseBook::English && typesAsUs(keyboard)) {
        played.course = builtInCourse();
        played.usLessons = true;
        return played;
    }
    if (book != CourseBook::English) {
        played.course = courseBookAsWritten(book);
        // On another layout than its own, the keys the learner's keyboard lacks are not lit.
        for (CourseLesson& lesson : played.course.lessons) {
            std::erase_if(lesson.intro, [&keyboard](const IntroStep& step) {
                const bool key = step.kind == StepKind::Light || step.kind == StepKind::Release;
                return key && keyboard.keyByChar[step.key] == NoKey;
            });
        }
        keepEntries(played.course, keyboard, [&keyboard](int, const std::string& entry) {
            for (char c : entry)
                if (!canType(keyboard, uint8_t(c))) return false;
            return true;
        });
        return played;
    }
    // Read anew for this keyboard, so that its intros name and light the learner's keys.
    played.course = readCourse(std::string(CourseBooks[0].text, CourseBooks[0].textSize), "",
                               nullptr, &keyboard);
    if (played.course.lessons.size() != size_t(LessonCount))
        played.course = courseBookAsWritten(CourseBook::English, true);
    CharacterSet characters[LessonCount];
    for (int l = 0; l < LessonCount; ++l) characters[l] = lessonCharacters(keyboard, l);
    keepEntries(played.course, keyboard, [&characters](int lesson, const std::string& entry) {
        return lesson < LessonCount && madeOf(entry, characters[lesson]);
    });
    return played;
}
