#include "course/content/course_reader.h"

#include "course/common/screen_text.h"
#include "course/content/intro_writer.h"

#include <algorithm>
#include <cstdio>

namespace {

// One line of the file as Latin-1 text, or why it cannot be one.
struct DecodedLine {
    std::string text;
    std::string fault;
};

// Strict UTF-8 (no overlong forms, no surrogates); tabs count as spaces; every character must
// be one the fonts draw.
DecodedLine decodeLine(const std::string& bytes) {
    DecodedLine line;
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t lead = uint8_t(bytes[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        uint32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        bool valid = length > 0 && i + size_t(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const uint8_t next = uint8_t(bytes[i + size_t(k)]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        valid = valid && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
                !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
        if (!valid) {
            line.fault = "the line is not UTF-8 text";
            return line;
        }
        if (code == '\t') code = ' ';
        if (code > 0xFF || !hasGlyph(uint8_t(code))) {
            char fault[64];
            std::snprintf(fault, sizeof fault, "the line holds U+%04X, which the fonts do not draw",
                          unsigned(code));
            line.fault = fault;
            return line;
        }
        line.text += char(code);
        i += size_t(length);
    }
    return line;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> tokens(const std::string& text) {
    std::vector<std::string> found;
    for (size_t at = 0; at < text.size();) {
        const size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        const size_t end = std::min(text.find(' ', start), text.size());
        found.push_back(text.substr(start, end - start));
        at = end;
    }
    return found;
}

// The key a name in a light or release line means: a character, or one of the keys that
// type none.
bool keyNamed(const std::string& name, uint8_t& key) {
    const struct {
        const char* name;
        uint8_t key;
    } named[] = {{"left-shift", LeftShiftCode},
                 {"right-shift", RightShiftCode},
                 {"caps-lock", CapsLockCode},
                 {"space", ' '}};
    if (name.size() == 1) {
        key = uint8_t(name[0]);
        return true;
    }
    for (const auto& each : named) {
        if (name == each.name) {
            key = each.key;
            return true;
        }
    }
    return false;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// How an error names a key: by its name in the file.
std::string keyLabel(uint8_t key) {
    switch (key) {
    case LeftShiftCode: return "left-shift";
    case RightShiftCode: return "right-shift";
    case CapsLockCode: return "caps-lock";
    case ' ': return "space";
    default: return quoted(std::string(1, char(key)));
    }
}

// What `shown` types on the key where a US keyboard types `c`, on the same level (alone or
// with Shift); the other level where that one has nothing. 0 for no such key.
uint8_t shownAt(const KeyboardModel& shown, uint8_t c) {
    const int key = characterKey(usKeyboard(), c);
    if (key < 0 || key >= shown.keyCount) return 0;
    const KeyboardKey& us = usKeyboard().keys[key];
    const KeyboardKey& theirs = shown.keys[key];
    const bool upper = us.upperChar == c && us.lowerChar != c;
    const uint8_t first = upper ? theirs.upperChar : theirs.lowerChar;
    const uint8_t second = upper ? theirs.lowerChar : theirs.upperChar;
    return first != ' ' || key == SpaceBarKey ? first : second != ' ' ? second : UnknownCharacter;
}

class Reader {
  public:
    Reader(Course& course, const KeyboardModel* keyboard, const KeyboardModel* shownOn)
        : course_(course), keyboard_(keyboard), shownOn_(shownOn != nullptr ? shownOn : keyboard) {}

    void fault(int line, const std::string& message) {
        course_.errors.push_back({line, message});
        if (inLesson_) lessonFaulty_ = true;
    }

    void courseLine(int line, const std::string& name) {
        if (seenCourse_) return fault(line, "a course has one \"course:\" line, the first");
        seenCourse_ = true;
        courseLine_ = line;
        course_.name = name;
        if (name.empty()) fault(line, "\"course:\" needs the course's name after it");
        if (name.size() > size_t(LongestCourseName)) {
            fault(line, "the course's name is longer than " + std::to_string(LongestCourseName) +
                            " characters");
            course_.name.resize(size_t(LongestCourseName));
        }
    }

    // The language of the course's texts, for speech: before its first lesson.
    void languageLine(int line, const std::string& code) {
        if (lessonsStarted_ > 0) return fault(line, "\"language:\" comes before the first lesson");
        if (!languageOfCode(code, course_.language))
            fault(line, quoted(code) + " is no language the program speaks: en, de or fr");
    }

    void lessonLine(int line, const std::string& title) {
        endLesson();
        if (++lessonsStarted_ > MostLessons) {
            if (lessonsStarted_ == MostLessons + 1)
                fault(line, "a course has at most " + std::to_string(MostLessons) +
                                " lessons: this one and those after it are left out");
            return;
        }
        inLesson_ = true;
        lessonFaulty_ = false;
        lesson_ = CourseLesson{title, {}, {}, line};
        writer_ = IntroWriter{&lesson_.intro};
        if (title.empty()) fault(line, "\"lesson:\" needs the lesson's title after it");
        if (title.size() > size_t(LongestLessonTitle))
            fault(line,
                  "the title is longer than " + std::to_string(LongestLessonTitle) + " characters");
        for (const CourseLesson& earlier : course_.lessons)
            if (earlier.title == title) fault(line, "an earlier lesson has the same title");
    }

    void entry(int line, const std::string& text) {
        if (keyboard_ != nullptr && text.size() > size_t(LongestEntry))
            return fault(line, quoted(text) + " is longer than a line of the exercise (" +
                                   std::to_string(LongestEntry) + " characters)");
        for (char c : text) {
            if (keyboard_ != nullptr && !canType(*keyboard_, uint8_t(c)))
                return fault(line, quoted(text) + ": no key of this keyboard types " +
                                       quoted(std::string(1, c)));
        }
        lesson_.entries.push_back(text);
    }

    // A key of a course by position: the character `shown` has at the place of `key`; false
    // for a key a US keyboard does not have. A place whose character is no key of `shown`
    // (nothing there, or a character the fonts lack) is never lit: 0.
    bool atPosition(int line, uint8_t& key) {
        if (key < ' ' || key == ' ') return true;  // Shift, Caps Lock, the space bar
        if (characterKey(usKeyboard(), key) < 0) {
            fault(line, "no key of a US keyboard types " + quoted(std::string(1, char(key))));
            return false;
        }
        if (shownOn_ == nullptr) return true;
        const uint8_t shown = shownAt(*shownOn_, key);
        key = characterKey(*shownOn_, shown) == characterKey(usKeyboard(), key) ? shown : 0;
        return true;
    }

    void keys(int line, const std::string& verb, const std::string& names) {
        const std::vector<std::string> found = tokens(names);
        if (found.empty()) fault(line, quoted(verb) + " needs the keys it means after it");
        for (const std::string& name : found) {
            uint8_t key = 0;
            if (!keyNamed(name, key)) {
                fault(line, quoted(name) + " is no key: name a key by the character it types, "
                                           "or left-shift, right-shift, caps-lock, space");
            } else if (byPosition_ && !atPosition(line, key)) {
            } else if (key == 0) {
                // A place the learner's keyboard has no character of its own on: not lit.
            } else if (keyboard_ != nullptr && keyboard_->keyByChar[key] == NoKey) {
                fault(line, "no key of this keyboard types " + quoted(name));
            } else if (verb == "light") {
                light(writer_, key, line);
            } else if (!release(writer_, key)) {
                fault(line, keyLabel(key) + " is not lit");
            }
        }
    }

    // The text with every "{x}" of a course by position in place of the character it stands
    // for.
    std::string placed(int line, const std::string& text) {
        std::string shown = text;
        for (size_t at = 0; byPosition_ && at + 2 < shown.size(); ++at) {
            if (shown[at] != '{' || shown[at + 2] != '}') continue;
            const uint8_t c = uint8_t(shown[at + 1]);
            if (characterKey(usKeyboard(), c) < 0) {
                fault(line, "no key of a US keyboard types " + quoted(std::string(1, char(c))));
                continue;
            }
            shown.replace(at, 3, 1, char(shownOn_ != nullptr ? shownAt(*shownOn_, c) : c));
        }
        return shown;
    }

    void introLine(int line, const std::string& verb, const std::string& rest) {
        if (verb == "say") {
            if (!say(writer_, placed(line, rest)))
                fault(line, "the text box holds " + std::to_string(IntroRows) + " rows of " +
                                std::to_string(IntroWidth) +
                                " characters: \"clear\" it before this");
        } else if (verb == "light" || verb == "release") {
            keys(line, verb, rest);
        } else if (!rest.empty() && verb != "pause") {
            fault(line, quoted(verb) + " takes nothing after it");
        } else if (verb == "wait") {
            wait(writer_);
        } else if (verb == "clear") {
            clear(writer_);
        } else {
            const bool digits = !rest.empty() && rest.size() <= 3 &&
                                rest.find_first_not_of("0123456789") == std::string::npos;
            if (!digits) return fault(line, "\"pause\" needs a number of frames, 0 to 999");
            pause(writer_, std::stoi(rest));
        }
        hasIntro_ = true;
    }

    // One line of a course file, without its line break.
    void read(int line, const std::string& text) {
        const std::string content = trimmed(text);
        if (content.empty() || content[0] == '#') return;
        size_t end = 0;
        while (end < content.size() && content[end] >= 'a' && content[end] <= 'z') ++end;
        const std::string verb = content.substr(0, end);
        if (end < content.size() && content[end] == ':') ++end;
        const std::string rest = trimmed(content.substr(end));
        if (verb == "course") return courseLine(line, rest);
        if (!seenCourse_) return;
        if (verb == "lesson") return lessonLine(line, rest);
        if (verb == "language") return languageLine(line, rest);
        if (verb == "positions") {
            if (lessonsStarted_ > 0 || rest != "us")
                return fault(line, "\"positions: us\" comes before the first lesson: the keys "
                                   "are named as on a US keyboard");
            byPosition_ = true;
            return;
        }
        static const char* const known[] = {"words",   "phrase", "say",   "light",
                                            "release", "wait",   "pause", "clear"};
        if (std::find(std::begin(known), std::end(known), verb) == std::end(known)) {
            return fault(line,
                         "unknown line; lines begin with course:, language:, positions:, lesson:, "
                         "words:, phrase:, say, light, release, wait, pause or clear");
        }
        if (!inLesson_) {
            if (lessonsStarted_ <= MostLessons)
                fault(line, "this line belongs to no lesson: begin one with \"lesson:\"");
            return;
        }
        if (verb == "words") {
            for (const std::string& word : tokens(rest)) entry(line, word);
        } else if (verb == "phrase") {
            if (rest.empty()) return fault(line, "\"phrase:\" needs the entry after it");
            entry(line, rest);
        } else {
            introLine(line, verb, rest);
        }
    }

    void endLesson() {
        if (!inLesson_) return;
        if (lesson_.entries.empty()) fault(lesson_.line, "the lesson has no entries");
        for (int key = 0; key < 256; ++key) {
            if (writer_.litAt[key] != 0)
                fault(writer_.litAt[key], keyLabel(uint8_t(key)) + " is lit and never released");
        }
        if (!hasIntro_) sayReadyToStart(writer_);
        hasIntro_ = false;
        inLesson_ = false;
        if (!lessonFaulty_) course_.lessons.push_back(std::move(lesson_));
    }

    void end() {
        endLesson();
        if (lessonsStarted_ == 0) fault(courseLine_, "the course has no lessons");
        std::stable_sort(
            course_.errors.begin(), course_.errors.end(),
            [](const CourseError& a, const CourseError& b) { return a.line < b.line; });
    }

  private:
    Course& course_;
    const KeyboardModel* keyboard_;
    const KeyboardModel* shownOn_;
    bool byPosition_ = false;
    bool seenCourse_ = false;
    int courseLine_ = 0;
    int lessonsStarted_ = 0;
    bool inLesson_ = false;
    bool lessonFaulty_ = false;
    bool hasIntro_ = false;
    CourseLesson lesson_{};
    IntroWriter writer_{};
};

}  // namespace

std::string describeError(const std::string& fileName, const CourseError& error) {
    if (error.line <= 0) return fileName + ": " + error.message;
    return fileName + ", line " + std::to_string(error.line) + ": " + error.message;
}

Course readCourse(const std::string& bytes, const std::string& fileName,
                  const KeyboardModel* learnersKeyboard, const KeyboardModel* shownOn) {
    Course course;
    course.fileName = fileName;
    if (bytes.size() > LargestCourseFile) {
        course.errors.push_back({0, "is larger than 1 MB"});
        return course;
    }
    // Lines without their breaks (CR LF too); a byte-order mark before the first is dropped.
    std::vector<std::string> lines;
    for (size_t at = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0; at <= bytes.size();) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    std::vector<DecodedLine> decoded;
    for (const std::string& line : lines) decoded.push_back(decodeLine(line));
    bool isCourse = false;
    for (const std::string& line : lines) {
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] != '#') {
            isCourse = line.compare(first, 7, "course:") == 0;
            break;
        }
    }
    Reader reader(course, learnersKeyboard, shownOn);
    if (!isCourse) {
        // A practice text: named after its file, without ".txt", and shown with "?" for what
        // the fonts do not draw.
        const std::string stem =
            fileName.ends_with(".txt") ? fileName.substr(0, fileName.size() - 4) : fileName;
        std::string name = decodeLine(stem).text;
        if (!decodeLine(stem).fault.empty()) {
            name = stem;
            for (char& c : name)
                if (!hasGlyph(uint8_t(c))) c = '?';
        }
        name.resize(std::min(name.size(), size_t(LongestLessonTitle)));
        reader.read(0, "course: " + name);
        reader.read(1, "lesson: " + name);
    }
    for (size_t i = 0; i < decoded.size(); ++i) {
        const int line = int(i) + 1;
        if (!decoded[i].fault.empty()) {
            reader.fault(line, decoded[i].fault);
        } else if (isCourse) {
            reader.read(line, decoded[i].text);
        } else {
            reader.read(line, "words: " + decoded[i].text);
        }
    }
    reader.end();
    return course;
}
