#include "course/records/course_folder.h"

#include "course/content/course_books.h"
#include "course/content/course_reader.h"
#include "course/records/data_folder.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr const char* Readme =
    "Quenmore's courses\n"
    "\n"
    "Every .txt file in this folder is a course of its own in Quenmore's menu, where Left and\n"
    "Right step between the courses. A plain text (a file whose first line is not \"course:\")\n"
    "is a lesson of its words. A course file reads like this:\n"
    "\n"
    "course: My Course\n"
    "lesson: Home Row\n"
    "say Rest your fingers on the home row, the index fingers on f and j.\n"
    "light f j\n"
    "wait\n"
    "release f j\n"
    "clear\n"
    "words: dad sad lad fall flask\n"
    "phrase: a sad lad falls\n"
    "\n"
    "\"course:\" comes once, first; \"lesson:\" begins each of 1 to 50 lessons; \"words:\" lists\n"
    "entries separated by spaces, \"phrase:\" one entry with spaces. The intro, before the\n"
    "exercise: \"say\" a text for the text box (broken into rows by Quenmore), \"light\" and\n"
    "\"release\" keys (named by the character they type, or left-shift, right-shift, caps-lock,\n"
    "space), \"wait\" for a key, \"pause\" for frames (60 a second), \"clear\" the box. Lines "
    "that\n"
    "begin with # are comments. Files are UTF-8, at most 1 MB. A lesson with a fault is left\n"
    "out; the menu names the first fault of a file and its line.\n"
    "\n"
    "A course for any keyboard: \"positions: us\" after \"course:\" names the keys by what a US\n"
    "keyboard types on them, and \"{x}\" in a \"say\" text stands for what the learner's\n"
    "keyboard types where a US one types x.\n";

bool isCourseFile(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return lower.size() > 4 && lower.ends_with(".txt") && lower != "readme.txt";
}

// The bytes of a course file, at most one more than a course may have; false with the fault
// when it cannot be read.
bool readCourseFile(const std::string& path, std::string& bytes, std::string& fault) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) {
        const std::string found = platform::describeFile(path);
        fault =
            found.ends_with(" bytes") ? "cannot be read" : "is not a regular file (" + found + ")";
        return false;
    }
    bytes.resize(LargestCourseFile + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) fault = "cannot be read";
    return !failed;
}

// The folder of the courses; made, with its README.txt, when it is not there yet. False when
// there is no data folder or the folder cannot be made.
bool coursesFolder(std::string& path) {
    std::string dataFolder;
    std::string readme;
    if (!dataFolderFile(CoursesFolderName, dataFolder, path)) return false;
    if (platform::describeFile(path) == "a folder") return true;
    if (!platform::createFolders(path)) {
        std::fprintf(stderr, "Quenmore: the folder for courses, %s, cannot be made\n",
                     path.c_str());
        return false;
    }
    std::string reason;
    readme = path + platform::pathSeparator() + CoursesReadmeName;
    if (!platform::writeFileAtomically(readme, reinterpret_cast<const uint8_t*>(Readme),
                                       std::char_traits<char>::length(Readme), reason)) {
        std::fprintf(stderr, "Quenmore: %s cannot be written: %s\n", readme.c_str(),
                     reason.c_str());
    }
    return true;
}

}  // namespace

std::vector<Course> loadLearnersCourses(const KeyboardModel& keyboard) {
    std::vector<Course> courses;
    std::string folder;
    std::vector<std::string> names;
    if (!coursesFolder(folder) || !platform::listFolder(folder, names)) return courses;
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return !isCourseFile(name); }),
                names.end());
    std::sort(names.begin(), names.end());
    for (size_t i = size_t(MostCourseFiles); i < names.size(); ++i) {
        std::fprintf(stderr, "Quenmore: %s%c%s is left out: the menu shows %d course files\n",
                     folder.c_str(), platform::pathSeparator(), names[i].c_str(), MostCourseFiles);
    }
    names.resize(std::min(names.size(), size_t(MostCourseFiles)));
    for (const std::string& name : names) {
        const std::string path = folder + platform::pathSeparator() + name;
        std::string bytes;
        std::string fault;
        Course course = readCourseFile(path, bytes, fault) ? readCourse(bytes, name, &keyboard)
                                                           : readCourse("", name, &keyboard);
        if (!fault.empty()) course.errors = {{0, fault}};
        const bool taken = isCourseBookName(course.name) ||
                           std::any_of(courses.begin(), courses.end(), [&](const Course& other) {
                               return other.name == course.name;
                           });
        if (taken && fault.empty()) {
            course.lessons.clear();
            course.errors.insert(course.errors.begin(),
                                 {0, "another course in the menu has the name \"" + course.name +
                                         "\": rename this one"});
        }
        for (const CourseError& error : course.errors)
            std::fprintf(stderr, "Quenmore: %s\n",
                         describeError(folder + platform::pathSeparator() + name, error).c_str());
        courses.push_back(std::move(course));
    }
    return courses;
}
