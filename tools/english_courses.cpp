// Writes the English courses of the Dvorak and Colemak layouts: the English lessons by
// position (course/content/books/by_position.txt) shown as those layouts have their keys,
// with the words of the six letter lessons chosen from an English word list (Debian's
// wamerican, from SCOWL) by the keys of each lesson and the lessons before it, and the
// entries of the other four kept where those keys type them.
//
//   quenmore_english_courses WORD_LIST BY_POSITION OUT_FOLDER [--check]
//
// writes OUT_FOLDER/dvorak.txt and OUT_FOLDER/colemak.txt, or with --check only compares
// them with what it would write (status 1 and the differing file named when they differ).
#include "course/content/built_in_course.h"
#include "course/content/lesson_places.h"
#include "course/keyboard/keyboard_model.h"
#include "testing/virtual_host.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int LetterLessons = 6;  // lessons 1 to 6 teach the letters
constexpr size_t WordsPerLesson = 40;
constexpr size_t LongestWord = 8;
constexpr size_t FewestWords = 8;  // fewer, and the lesson's letters are drilled in pairs too

struct Layout {
    const char* file;
    const char* name;  // in the course's name
    const SimulatedLayout& (*keys)();
};
const Layout Layouts[] = {{"dvorak.txt", "Dvorak", dvorakLayout},
                          {"colemak.txt", "Colemak", colemakLayout}};

// The terms of the word list, which every copy of words taken from it carries.
constexpr const char* Notice =
    "# The words of lessons 1 to 6 are from SCOWL (Spell Checker Oriented Word Lists), as\n"
    "# Debian's wamerican has them; its terms, with those of the lists it draws on, are in\n"
    "# english-words-copyright.txt beside this file:\n"
    "#   Copyright 2000-2011 by Kevin Atkinson\n"
    "#   Permission to use, copy, modify, distribute and sell these word lists, the\n"
    "#   associated scripts, the output created from the scripts, and its documentation for\n"
    "#   any purpose is hereby granted without fee, provided that the above copyright notice\n"
    "#   appears in all copies and that both that copyright notice and this permission notice\n"
    "#   appear in supporting documentation. Kevin Atkinson makes no representations about\n"
    "#   the suitability of this array for any purpose. It is provided \"as is\" without\n"
    "#   express or implied warranty.\n";

bool readFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    text = bytes.str();
    return bool(file);
}

std::string utf8(const std::string& latin1) {
    std::string text;
    for (char c : latin1) {
        const uint8_t code = uint8_t(c);
        if (code < 0x80) {
            text += c;
        } else {
            text += char(0xC0 | code >> 6);
            text += char(0x80 | (code & 0x3F));
        }
    }
    return text;
}

// What the layout types on the key where a US keyboard types `c`, on the same level.
char shownAt(const KeyboardModel& keyboard, char c) {
    const int key = characterKey(usKeyboard(), uint8_t(c));
    if (key < 0) return c;
    const KeyboardKey& us = usKeyboard().keys[key];
    const bool upper = us.upperChar == uint8_t(c) && us.lowerChar != uint8_t(c);
    return char(upper ? keyboard.keys[key].upperChar : keyboard.keys[key].lowerChar);
}

// Words the lessons leave out, whatever their keys: rude ones.
const std::set<std::string> Unwanted = {
    "ass",  "bastard", "bitch", "cock", "crap", "cunt", "damn", "dick", "fag",  "fuck", "ho",
    "homo", "hos",     "nazi",  "piss", "rape", "sex",  "sexy", "shit", "slut", "tit",  "whore"};

// The word list as the lessons choose from it.
struct WordList {
    std::vector<std::string> small;  // the words of small letters only, in the list's order
    std::set<std::string> all;       // every word as the list writes it
    std::vector<std::string> lower;  // every word in small letters, sorted
};

// How many words of the list begin with `word`: a word that many others are made from is a
// common one, where the list says nothing of how common its words are.
size_t wordsFrom(const WordList& list, const std::string& word) {
    size_t count = 0;
    for (auto at = std::lower_bound(list.lower.begin(), list.lower.end(), word);
         at != list.lower.end() && at->starts_with(word); ++at)
        ++count;
    return count;
}

// Whether the list has a form of the word (a plural, a tense, a possessive): an abbreviation
// has none.
bool hasForms(const WordList& list, const std::string& word) {
    for (const char* ending : {"s", "es", "'s", "ed", "d", "ing", "ly"})
        if (list.all.count(word + ending) != 0) return true;
    return false;
}

// The lesson's words: in small letters, 3 to LongestWord of them (or "a"), of its characters,
// each with one of the letters its own keys add, and with forms of their own in the list; of
// those, the half that most words begin with among the short ones and among the long ones.
// Where the layout puts too few words on the keys (Dvorak's home row has only its vowels),
// pairs of those letters are drilled as well.
std::vector<std::string> lessonWords(const WordList& list, const KeyboardModel& keyboard,
                                     int lesson) {
    static const std::regex numeral("m{0,4}(cm|cd|d?c{0,3})(xc|xl|l?x{0,3})(ix|iv|v?i{0,3})");
    const CharacterSet characters = lessonCharacters(keyboard, lesson);
    std::string added;
    for (const char* c = lessonPlaces(lesson); *c != '\0'; ++c) {
        const char shown = shownAt(keyboard, *c);
        if (shown >= 'a' && shown <= 'z') added += shown;
    }
    struct Candidate {
        size_t from;
        std::string word;
    };
    std::vector<Candidate> pool;
    for (const std::string& word : list.small) {
        const bool fits = (word.size() >= 3 || word == "a") && word.size() <= LongestWord &&
                          madeOf(word, characters) &&
                          word.find_first_of(added) != std::string::npos;
        if (!fits || Unwanted.count(word) != 0 || std::regex_match(word, numeral) ||
            (word != "a" && !hasForms(list, word)))
            continue;
        pool.push_back({wordsFrom(list, word), word});
    }
    std::stable_sort(pool.begin(), pool.end(), [](const Candidate& a, const Candidate& b) {
        return a.from != b.from ? a.from > b.from : a.word.size() < b.word.size();
    });
    std::vector<std::string> shorter, longer;
    for (const Candidate& each : pool) {
        std::vector<std::string>& half = each.word.size() <= 4 ? shorter : longer;
        if (half.size() < WordsPerLesson / 2) half.push_back(each.word);
    }
    for (const Candidate& each : pool) {
        if (shorter.size() + longer.size() >= WordsPerLesson) break;
        if (each.word.size() > 4 &&
            std::find(longer.begin(), longer.end(), each.word) == longer.end())
            longer.push_back(each.word);
    }
    std::vector<std::string> words = shorter;
    words.insert(words.end(), longer.begin(), longer.end());
    std::sort(words.begin(), words.end());
    if (words.size() < FewestWords) {
        for (char a : added)
            for (char b : added)
                if (a != b) words.push_back(std::string{a, b});
    }
    return words;
}

std::string wrappedWords(const std::vector<std::string>& words) {
    std::string text, line = "words:";
    for (const std::string& word : words) {
        if (line.size() + 1 + word.size() > 95) {
            text += line + "\n";
            line = "words:";
        }
        line += " " + word;
    }
    return text + line + "\n";
}

// The course file for one layout, in UTF-8.
std::string courseFor(const Layout& layout, const std::string& byPosition, const WordList& list) {
    VirtualHost clock;
    installVirtualHost(clock);
    clock.layout = &layout.keys();
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    readKeyboardLayout(keyboard);
    restoreHost();

    std::string out = std::string("# The English lessons for a ") + layout.name +
                      " keyboard, written by tools/english_courses.cpp\n"
                      "# (cmake --build --preset dev --target english_courses) from the English "
                      "lessons by\n# position, books/by_position.txt: do not edit this file.\n" +
                      Notice + "\n";
    std::istringstream lines(byPosition);
    int lesson = -1;
    bool wordsWritten = false;
    for (std::string line; std::getline(lines, line);) {
        const std::string verb = line.substr(0, line.find_first_of(" :"));
        if (line.empty() || line[0] == '#' || verb == "positions") {
            if (line.empty() && lesson >= 0) out += "\n";
            continue;
        }
        if (verb == "course") {
            out += std::string("course: Touch Typing (") + layout.name + ")\n";
        } else if (verb == "lesson") {
            ++lesson;
            wordsWritten = false;
            out += line + "\n";
        } else if (verb == "words" || verb == "phrase") {
            if (lesson < LetterLessons) {
                if (!wordsWritten) out += wrappedWords(lessonWords(list, keyboard, lesson));
                wordsWritten = true;
                continue;
            }
            const CharacterSet characters = lessonCharacters(keyboard, lesson);
            std::istringstream entries(line.substr(line.find(':') + 1));
            std::vector<std::string> kept;
            if (verb == "phrase") {
                const std::string entry = line.substr(line.find(": ") + 2);
                if (madeOf(entry, characters)) out += line + "\n";
                continue;
            }
            for (std::string entry; entries >> entry;)
                if (madeOf(entry, characters)) kept.push_back(entry);
            if (!kept.empty()) out += wrappedWords(kept);
        } else if (verb == "light" || verb == "release") {
            std::istringstream names(line.substr(verb.size()));
            std::string shown = verb;
            for (std::string name; names >> name;)
                shown +=
                    " " + (name.size() == 1 ? std::string(1, shownAt(keyboard, name[0])) : name);
            out += shown + "\n";
        } else if (verb == "say") {
            std::string text = line;
            for (size_t at = 0; at + 2 < text.size(); ++at)
                if (text[at] == '{' && text[at + 2] == '}')
                    text.replace(at, 3, 1, shownAt(keyboard, text[at + 1]));
            out += text + "\n";
        } else {
            out += line + "\n";
        }
    }
    return utf8(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc == 5 && std::string(argv[4]) != "--check") || argc > 5) {
        std::fprintf(stderr, "usage: %s WORD_LIST BY_POSITION OUT_FOLDER [--check]\n", argv[0]);
        return 2;
    }
    const bool check = argc == 5;
    std::string listText, byPosition;
    if (!readFile(argv[1], listText) || !readFile(argv[2], byPosition)) {
        std::fprintf(stderr, "%s: cannot read %s or %s\n", argv[0], argv[1], argv[2]);
        return 2;
    }
    WordList list;
    std::istringstream words(listText);
    for (std::string word; std::getline(words, word);) {
        list.all.insert(word);
        std::string lower = word;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        list.lower.push_back(lower);
        if (word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
            list.small.push_back(word);
    }
    std::sort(list.lower.begin(), list.lower.end());
    int status = 0;
    for (const Layout& layout : Layouts) {
        const std::string path = std::string(argv[3]) + "/" + layout.file;
        const std::string text = courseFor(layout, byPosition, list);
        std::string old;
        if (check) {
            if (!readFile(path, old) || old != text) {
                std::fprintf(stderr, "%s is not what %s writes: run it again\n", path.c_str(),
                             argv[0]);
                status = 1;
            }
            continue;
        }
        std::ofstream file(path, std::ios::binary);
        file << text;
        if (!file) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            status = 2;
        }
    }
    return status;
}
