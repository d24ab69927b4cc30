#include "course/common/character_names.h"

#include "engine/speech.h"

#include <cstdio>
#include <cstring>

namespace {

// The names of every character that is no letter or digit, and of the small letters with
// accents (capitals are named from them); English, German and French.
struct Named {
    uint8_t code;
    const char* names[LanguageCount];
};

constexpr Named Names[] = {
    {' ', {"space", "Leerzeichen", "espace"}},
    {'!', {"exclamation mark", "Ausrufezeichen", "point d'exclamation"}},
    {'"', {"quotation mark", "Anführungszeichen", "guillemet droit"}},
    {'#', {"number sign", "Raute", "dièse"}},
    {'$', {"dollar sign", "Dollarzeichen", "dollar"}},
    {'%', {"percent sign", "Prozentzeichen", "pour cent"}},
    {'&', {"ampersand", "Und-Zeichen", "esperluette"}},
    {'\'', {"apostrophe", "Apostroph", "apostrophe"}},
    {'(', {"left parenthesis", "runde Klammer auf", "parenthèse ouvrante"}},
    {')', {"right parenthesis", "runde Klammer zu", "parenthèse fermante"}},
    {'*', {"asterisk", "Stern", "astérisque"}},
    {'+', {"plus sign", "Plus", "plus"}},
    {',', {"comma", "Komma", "virgule"}},
    {'-', {"dash", "Minus", "tiret"}},
    {'.', {"period", "Punkt", "point"}},
    {'/', {"slash", "Schrägstrich", "barre oblique"}},
    {':', {"colon", "Doppelpunkt", "deux-points"}},
    {';', {"semicolon", "Semikolon", "point-virgule"}},
    {'<', {"less-than sign", "Kleiner-als-Zeichen", "signe inférieur"}},
    {'=', {"equals sign", "Gleichheitszeichen", "signe égal"}},
    {'>', {"greater-than sign", "Größer-als-Zeichen", "signe supérieur"}},
    {'?', {"question mark", "Fragezeichen", "point d'interrogation"}},
    {'@', {"at sign", "At-Zeichen", "arobase"}},
    {'[', {"left bracket", "eckige Klammer auf", "crochet ouvrant"}},
    {'\\', {"backslash", "umgekehrter Schrägstrich", "barre oblique inversée"}},
    {']', {"right bracket", "eckige Klammer zu", "crochet fermant"}},
    {'^', {"caret", "Zirkumflex", "accent circonflexe"}},
    {'_', {"underscore", "Unterstrich", "tiret bas"}},
    {'`', {"backtick", "Gravis", "accent grave"}},
    {'{', {"left brace", "geschweifte Klammer auf", "accolade ouvrante"}},
    {'|', {"vertical bar", "senkrechter Strich", "barre verticale"}},
    {'}', {"right brace", "geschweifte Klammer zu", "accolade fermante"}},
    {'~', {"tilde", "Tilde", "tilde"}},
    {0xA0, {"no-break space", "geschütztes Leerzeichen", "espace insécable"}},
    {0xA1,
     {"inverted exclamation mark", "umgekehrtes Ausrufezeichen", "point d'exclamation inversé"}},
    {0xA2, {"cent sign", "Cent-Zeichen", "cent"}},
    {0xA3, {"pound sign", "Pfund-Zeichen", "livre sterling"}},
    {0xA4, {"currency sign", "Währungszeichen", "symbole monétaire"}},
    {0xA5, {"yen sign", "Yen-Zeichen", "yen"}},
    {0xA6, {"broken bar", "unterbrochener Strich", "barre verticale discontinue"}},
    {0xA7, {"section sign", "Paragraf", "paragraphe"}},
    {0xA8, {"diaeresis", "Trema", "tréma"}},
    {0xA9, {"copyright sign", "Copyright-Zeichen", "copyright"}},
    {0xAA,
     {"feminine ordinal indicator", "weibliches Ordinalzeichen", "indicateur ordinal féminin"}},
    {0xAB, {"left guillemet", "Guillemet links", "guillemet ouvrant"}},
    {0xAC, {"not sign", "Negationszeichen", "signe de négation"}},
    {0xAD, {"soft hyphen", "weiches Trennzeichen", "trait d'union conditionnel"}},
    {0xAE, {"registered sign", "Registriert-Zeichen", "marque déposée"}},
    {0xAF, {"macron", "Makron", "macron"}},
    {0xB0, {"degree sign", "Grad", "degré"}},
    {0xB1, {"plus-minus sign", "Plusminus", "plus ou moins"}},
    {0xB2, {"superscript two", "hoch zwei", "exposant deux"}},
    {0xB3, {"superscript three", "hoch drei", "exposant trois"}},
    {0xB4, {"acute accent", "Akut", "accent aigu"}},
    {0xB5, {"micro sign", "Mikro", "micro"}},
    {0xB6, {"pilcrow", "Absatzzeichen", "pied-de-mouche"}},
    {0xB7, {"middle dot", "Mittelpunkt", "point médian"}},
    {0xB8, {"cedilla", "Cedille", "cédille"}},
    {0xB9, {"superscript one", "hoch eins", "exposant un"}},
    {0xBA,
     {"masculine ordinal indicator", "männliches Ordinalzeichen", "indicateur ordinal masculin"}},
    {0xBB, {"right guillemet", "Guillemet rechts", "guillemet fermant"}},
    {0xBC, {"one quarter", "ein Viertel", "un quart"}},
    {0xBD, {"one half", "ein Halb", "un demi"}},
    {0xBE, {"three quarters", "drei Viertel", "trois quarts"}},
    {0xBF, {"inverted question mark", "umgekehrtes Fragezeichen", "point d'interrogation inversé"}},
    {0xD7, {"multiplication sign", "Malzeichen", "signe multiplication"}},
    {0xDF, {"sharp s", "scharfes s", "s dur"}},
    {0xE0, {"a grave", "a Gravis", "a accent grave"}},
    {0xE1, {"a acute", "a Akut", "a accent aigu"}},
    {0xE2, {"a circumflex", "a Zirkumflex", "a accent circonflexe"}},
    {0xE3, {"a tilde", "a Tilde", "a tilde"}},
    {0xE4, {"a umlaut", "a Umlaut", "a tréma"}},
    {0xE5, {"a ring", "a Ring", "a rond en chef"}},
    {0xE6, {"a e ligature", "a e Ligatur", "e dans l'a"}},
    {0xE7, {"c cedilla", "c Cedille", "c cédille"}},
    {0xE8, {"e grave", "e Gravis", "e accent grave"}},
    {0xE9, {"e acute", "e Akut", "e accent aigu"}},
    {0xEA, {"e circumflex", "e Zirkumflex", "e accent circonflexe"}},
    {0xEB, {"e umlaut", "e Trema", "e tréma"}},
    {0xEC, {"i grave", "i Gravis", "i accent grave"}},
    {0xED, {"i acute", "i Akut", "i accent aigu"}},
    {0xEE, {"i circumflex", "i Zirkumflex", "i accent circonflexe"}},
    {0xEF, {"i umlaut", "i Trema", "i tréma"}},
    {0xF0, {"eth", "Eth", "eth"}},
    {0xF1, {"n tilde", "n Tilde", "n tilde"}},
    {0xF2, {"o grave", "o Gravis", "o accent grave"}},
    {0xF3, {"o acute", "o Akut", "o accent aigu"}},
    {0xF4, {"o circumflex", "o Zirkumflex", "o accent circonflexe"}},
    {0xF5, {"o tilde", "o Tilde", "o tilde"}},
    {0xF6, {"o umlaut", "o Umlaut", "o tréma"}},
    {0xF7, {"division sign", "Geteiltzeichen", "signe division"}},
    {0xF8, {"o slash", "o mit Schrägstrich", "o barré"}},
    {0xF9, {"u grave", "u Gravis", "u accent grave"}},
    {0xFA, {"u acute", "u Akut", "u accent aigu"}},
    {0xFB, {"u circumflex", "u Zirkumflex", "u accent circonflexe"}},
    {0xFC, {"u umlaut", "u Umlaut", "u tréma"}},
    {0xFD, {"y acute", "y Akut", "y accent aigu"}},
    {0xFE, {"thorn", "Thorn", "thorn"}},
    {0xFF, {"y umlaut", "y Trema", "y tréma"}},
};

constexpr const char* Codes[LanguageCount] = {"en", "de", "fr"};

constexpr const char* Phrases[][LanguageCount] = {
    {"capital", "groß", "majuscule"},
    {"capitals", "alles groß", "tout en majuscules"},
    {"Line", "Zeile", "Ligne"},
    {"of", "von", "sur"},
    {"Key lit:", "Taste leuchtet:", "Touche allumée :"},
    {"Keys lit:", "Tasten leuchten:", "Touches allumées :"},
};

const char* tableName(uint8_t c, Language language) {
    for (const Named& named : Names)
        if (named.code == c) return named.names[int(language)];
    return nullptr;
}

bool isUpper(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}
bool isLower(uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7);
}
bool isDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}
bool inWord(uint8_t c) {
    return isUpper(c) || isLower(c) || isDigit(c);
}

// Words and names of a line are said apart.
void separate(Utterance& utterance, bool& first) {
    if (!first) addText(utterance, ", ");
    first = false;
}

void addName(Utterance& utterance, uint8_t c, Language language) {
    char name[48];
    characterName(c, language, name);
    addText(utterance, name);
}

// One word: its parts, each a run of small letters, one that begins with a capital, a run of
// capitals or of digits, said one after the other.
void addWord(Utterance& utterance, const uint8_t* word, size_t length, Language language) {
    for (size_t at = 0; at < length;) {
        size_t end = at + 1;
        if (at > 0) addText(utterance, " ");
        if (isDigit(word[at])) {
            while (end < length && isDigit(word[end])) ++end;
        } else if (isLower(word[at])) {
            while (end < length && isLower(word[end])) ++end;
        } else {
            while (end < length && isUpper(word[end])) ++end;
            if (end - at > 1 && !(end < length && isLower(word[end]))) {
                addText(utterance, phrase(Phrase::Capitals, language));
                addText(utterance, " ");
            } else {
                end = at + 1;  // a capital and the small letters after it
                while (end < length && isLower(word[end])) ++end;
                if (end - at > 1) {
                    addText(utterance, phrase(Phrase::Capital, language));
                    addText(utterance, " ");
                }
            }
        }
        if (end - at == 1)
            addName(utterance, word[at], language);
        else
            addLatin1(utterance, reinterpret_cast<const char*>(word + at), end - at);
        at = end;
    }
}

}  // namespace

const char* languageCode(Language language) {
    return Codes[int(language)];
}

bool languageOfCode(std::string_view code, Language& language) {
    for (int i = 0; i < LanguageCount; ++i) {
        if (code != Codes[i]) continue;
        language = Language(i);
        return true;
    }
    return false;
}

const char* phrase(Phrase which, Language language) {
    return Phrases[int(which)][int(language)];
}

void characterName(uint8_t c, Language language, char (&name)[48]) {
    name[0] = '\0';
    if ((c >= 'a' && c <= 'z') || isDigit(c)) {
        name[0] = char(c);
        name[1] = '\0';
        return;
    }
    if (isUpper(c)) {
        // A capital is named from its small letter, as each language puts it: "capital F",
        // "großes F", "F majuscule".
        char small[48];
        characterName(uint8_t(c + 32), language, small);
        if (small[0] >= 'a' && small[0] <= 'z') small[0] = char(small[0] - 32);
        constexpr const char* Before[LanguageCount] = {"capital ", "großes ", ""};
        constexpr const char* After[LanguageCount] = {"", "", " majuscule"};
        std::snprintf(name, sizeof name, "%s%s%s", Before[int(language)], small,
                      After[int(language)]);
        return;
    }
    const char* named = tableName(c, language);
    if (named != nullptr) std::snprintf(name, sizeof name, "%s", named);
}

void addSpokenLine(Utterance& utterance, const char* latin1, size_t length, Language language,
                   bool midWord) {
    const auto* text = reinterpret_cast<const uint8_t*>(latin1);
    length = strnlen(latin1, length);
    bool first = true;
    size_t at = 0;
    if (midWord) {
        for (; at < length && inWord(text[at]); ++at) {
            separate(utterance, first);
            addName(utterance, text[at], language);
        }
    }
    while (at < length) {
        const uint8_t c = text[at];
        if (inWord(c)) {
            size_t end = at;
            while (end < length && inWord(text[end])) ++end;
            separate(utterance, first);
            addWord(utterance, text + at, end - at, language);
            at = end;
            continue;
        }
        // A space between two words is heard in the pause between them.
        const bool between = c == ' ' && at > 0 && inWord(text[at - 1]) && at + 1 < length &&
                             inWord(text[at + 1]) && !(midWord && at == 0);
        if (!between) {
            separate(utterance, first);
            addName(utterance, c, language);
        }
        ++at;
    }
}
