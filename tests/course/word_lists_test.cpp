// Every word of the German and French courses (but drills and code) is in the language's word
// list (Debian's wngerman and wfrench, installed by the test set-up) or a reviewed exception.
#include "course/common/latin1.h"
#include "course/content/course_books.h"
#include "course/content/lesson_places.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <unordered_set>

namespace {

// The list's words that are Latin-1, as the courses hold them.
std::unordered_set<std::string> readWordList(const std::string& path) {
    std::unordered_set<std::string> words;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::string word;
        bool latin1 = true;
        for (size_t i = 0; i < line.size() && latin1; ++i) {
            const uint8_t c = uint8_t(line[i]);
            if (c < 0x80) {
                word += char(c);
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < line.size()) {
                word += char((c & 0x03) << 6 | (uint8_t(line[++i]) & 0x3F));
            } else {
                latin1 = false;
            }
        }
        if (latin1) words.insert(word);
    }
    return words;
}

bool isLetter(uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}
uint8_t lower(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? uint8_t(c + 32) : c;
}

struct Language {
    const char* name;
    CourseBook book;
    const char* list;
    std::set<int> notWords;            // lessons whose entries are no words: drills, code
    bool elisions;                     // French "l'", "qu'"; else only German "'s" as in "geht's"
    std::set<std::string> exceptions;  // reviewed: words the list lacks
};

void PrintTo(const Language& language, std::ostream* out) {
    *out << language.name;
}

class WordListTest : public ::testing::TestWithParam<Language> {
  protected:
    std::unordered_set<std::string> words;

    // As a spelling dictionary takes a word: as written, with its first letter small, or with
    // only its first letter kept as written.
    bool known(const std::string& word) const {
        if (words.count(word) != 0) return true;
        std::string small = word;
        small[0] = char(lower(uint8_t(small[0])));
        if (words.count(small) != 0) return true;
        std::string all = word;
        for (char& c : all) c = char(lower(uint8_t(c)));
        std::string capital = all;
        capital[0] = word[0];
        return words.count(all) != 0 || words.count(capital) != 0;
    }

    // A word of letters, apostrophes and hyphens: known whole, or by its parts.
    bool checks(const std::string& word) const {
        if (known(word) || GetParam().exceptions.count(word) != 0) return true;
        const size_t hyphen = word.find('-');
        if (hyphen != std::string::npos)
            return checks(word.substr(0, hyphen)) && checks(word.substr(hyphen + 1));
        const size_t apostrophe = word.find('\'');
        if (apostrophe == std::string::npos) return false;
        if (GetParam().elisions)
            return checks(word.substr(0, apostrophe + 1)) && checks(word.substr(apostrophe + 1));
        return word.substr(apostrophe) == "'s" && checks(word.substr(0, apostrophe));
    }
};

TEST_P(WordListTest, EveryWordIsInTheLanguagesList) {
    words = readWordList(GetParam().list);
    ASSERT_GT(words.size(), 100000u) << GetParam().list << ": install it with script/setup test";
    const Course& course = courseBookAsWritten(GetParam().book);
    std::set<std::string> unknown, used;
    for (int l = 0; l < LessonCount; ++l) {
        if (GetParam().notWords.count(l) != 0) continue;
        for (const std::string& entry : course.lessons[size_t(l)].entries) {
            // Runs of letters, with the apostrophes and hyphens inside them.
            for (size_t at = 0; at < entry.size();) {
                if (!isLetter(uint8_t(entry[at]))) {
                    ++at;
                    continue;
                }
                size_t end = at;
                while (end < entry.size() &&
                       (isLetter(uint8_t(entry[end])) ||
                        ((entry[end] == '\'' || entry[end] == '-') && end + 1 < entry.size() &&
                         isLetter(uint8_t(entry[end + 1])))))
                    ++end;
                const std::string word = entry.substr(at, end - at);
                if (!checks(word)) unknown.insert(utf8FromLatin1(word));
                if (GetParam().exceptions.count(word) != 0) used.insert(word);
                at = end;
            }
        }
    }
    EXPECT_TRUE(unknown.empty()) << ::testing::PrintToString(unknown);
    EXPECT_EQ(used, GetParam().exceptions);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, WordListTest,
    ::testing::Values(
        // "C" of degrees Celsius ("20 \xB0C").
        Language{"German", CourseBook::German, QUENMORE_WORD_LISTS "/ngerman", {9}, false, {"C"}},
        // The list has no names of places: three cities of the lesson of capitals.
        Language{"French",
                 CourseBook::French,
                 QUENMORE_WORD_LISTS "/french",
                 {0, 9},
                 true,
                 {"Lyon", "Marseille", "Nice"}}),
    [](const ::testing::TestParamInfo<Language>& each) { return std::string(each.param.name); });

}  // namespace
