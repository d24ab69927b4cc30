// How characters and lines are said aloud, in the course's language: every character the
// fonts draw has a name ("f", "capital F", "semicolon", "e acute", "space"), and a line of the
// exercise is read word by word with its punctuation named.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct Utterance;

enum class Language : uint8_t { English, German, French };
constexpr int LanguageCount = 3;

// The language's code as a course file and the voice name it: "en", "de", "fr".
const char* languageCode(Language language);
// The language of a code; false for one the program does not speak.
bool languageOfCode(std::string_view code, Language& language);

// The name of a Latin-1 character; empty for a control code or a character with no name.
void characterName(uint8_t c, Language language, char (&name)[48]);

// Says Latin-1 text as the exercise reads a line: words as they are, parts of a word that
// begin with capitals marked ("capital New", "capitals NASA"), every other character named,
// words and names apart by commas, and a space named where no word stands on both sides.
// From the middle of a word (`midWord`: a character of the word came before) its rest is
// spelled, a name a character.
void addSpokenLine(Utterance& utterance, const char* latin1, size_t length, Language language,
                   bool midWord = false);
// A few words every screen of the lesson says, in each language.
enum class Phrase : uint8_t { Capital, Capitals, Line, Of, KeyLit, KeysLit };
const char* phrase(Phrase which, Language language);
