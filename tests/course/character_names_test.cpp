// The names the learner hears: every character the fonts draw (so every one a course can
// hold) has one in every language, said as the language says it; a line is read word by word.
#include "course/common/character_names.h"
#include "course/common/screen_text.h"
#include "course/content/course_reader.h"
#include "engine/speech.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string nameOf(uint8_t c, Language language) {
    char name[48];
    characterName(c, language, name);
    return name;
}

bool drawn(int c) {
    return (c >= 32 && c < 127) || (c >= 160 && hasGlyph(uint8_t(c)));
}

TEST(CharacterNames, EveryCharacterTheFontsDrawHasANameInEveryLanguage) {
    for (int language = 0; language < LanguageCount; ++language) {
        for (int c = 0; c < 256; ++c)
            EXPECT_TRUE(!drawn(c) || !nameOf(uint8_t(c), Language(language)).empty()) << c;
        EXPECT_EQ(nameOf('\n', Language(language)), "");
    }
}

TEST(CharacterNames, AreSaidAsEachLanguageSaysThem) {
    struct Case {
        uint8_t c;
        const char* names[LanguageCount];
    };
    const Case cases[] = {
        {'f', {"f", "f", "f"}},
        {'F', {"capital F", "großes F", "F majuscule"}},
        {';', {"semicolon", "Semikolon", "point-virgule"}},
        {' ', {"space", "Leerzeichen", "espace"}},
        {0xE9, {"e acute", "e Akut", "e accent aigu"}},
        {0xC9, {"capital E acute", "großes E Akut", "E accent aigu majuscule"}},
        {0xFC, {"u umlaut", "u Umlaut", "u tréma"}},
        {0xDF, {"sharp s", "scharfes s", "s dur"}},
        {'7', {"7", "7", "7"}},
    };
    for (const Case& c : cases)
        for (int language = 0; language < LanguageCount; ++language)
            EXPECT_EQ(nameOf(c.c, Language(language)), c.names[language]) << int(c.c);
}

std::string spoken(const char* line, Language language = Language::English, bool midWord = false) {
    Utterance utterance;
    startUtterance(utterance);
    addSpokenLine(utterance, line, std::strlen(line), language, midWord);
    return utterance.text;
}

TEST(SpokenLines, AreReadWordByWordWithPunctuationAndCapitalsNamed) {
    struct Case {
        const char* line;
        bool midWord;
        const char* heard;
    };
    const Case cases[] = {
        {"sad fad gas", false, "sad, fad, gas"},
        {"ad fad", true, "a, d, fad"},  // F1 inside a word spells the rest of it
        {" fad", false, "space, fad"},
        {"New York NASA I", false, "capital New, capital York, capitals NASA, capital I"},
        {"doStuff(a, b);", false,
         "do capital Stuff, left parenthesis, a, comma, space, b, right parenthesis, semicolon"},
        {"$149.99 100%", false, "dollar sign, 149, period, 99, 100, percent sign"},
        {"(quiet) (whisper)", false,
         "left parenthesis, quiet, right parenthesis, space, left parenthesis, whisper, right "
         "parenthesis"},
    };
    for (const Case& c : cases) EXPECT_EQ(spoken(c.line, Language::English, c.midWord), c.heard);
    EXPECT_EQ(spoken("Stra\xDF"
                     "e, \xE4",
                     Language::German),
              "groß Straße, Komma, Leerzeichen, a Umlaut");
}

TEST(SpokenLines, AnUtteranceTooLongIsCutBetweenCharacters) {
    const std::string line(600, '\xE9');  // "e accent aigu" and a comma each: far too many
    Utterance utterance;
    startUtterance(utterance);
    addSpokenLine(utterance, line.c_str(), line.size(), Language::French);
    EXPECT_LT(utterance.length, Utterance::Capacity);
    EXPECT_EQ(std::strlen(utterance.text), utterance.length);
    const uint8_t last = uint8_t(utterance.text[utterance.length - 1]);
    EXPECT_TRUE(last < 0x80 || (last & 0xC0) == 0x80);  // no sequence left open
}

TEST(CourseLanguage, ACourseNamesItsLanguageBeforeItsLessons) {
    const std::string lesson = "lesson: L\nwords: a\n";
    struct Case {
        std::string text;
        Language language;
        std::string fault;
    };
    const Case cases[] = {
        {"course: C\n" + lesson, Language::English, ""},
        {"course: C\nlanguage: de\n" + lesson, Language::German, ""},
        {"course: C\nlanguage fr\n" + lesson, Language::French, ""},
        {"course: C\nlanguage: nl\n" + lesson, Language::English,
         "c.txt, line 2: \"nl\" is no language the program speaks: en, de or fr"},
        {"course: C\n" + lesson + "language: de\n", Language::English,
         "c.txt, line 4: \"language:\" comes before the first lesson"},
    };
    for (const Case& c : cases) {
        const Course course = readCourse(c.text, "c.txt", nullptr);
        EXPECT_EQ(course.language, c.language) << c.text;
        EXPECT_EQ(course.errors.empty() ? "" : describeError("c.txt", course.errors[0]), c.fault);
    }
}

}  // namespace
