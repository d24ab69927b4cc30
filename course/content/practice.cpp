#include "course/content/practice.h"

#include "course/lesson/on_screen_keyboard.h"
#include "engine/host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// An entry's weight is 1 plus this much for every miss rate of its characters' keys, so an
// entry of keys never missed still comes up, and one full of weak keys comes up far more.
constexpr double WeightPerMissRate = 12.0;
constexpr int ScriptColumn = 2;
constexpr int FirstScriptRow = 16;
constexpr int ScriptRows = 4;
constexpr int ClearedCells = 40;  // a row of the text box, as the lessons clear it

struct ScriptWriter {
    PracticeLesson& practice;
    int count = 0;

    void add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (count >= PracticeScriptLines - 1) return;
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(practice.commands[count], PracticeScriptWidth, format, arguments);
        va_end(arguments);
        practice.script[count] = practice.commands[count];
        ++count;
    }
    void text(int row, const char* line) { add("t%02d%02d%s", ScriptColumn, row, line); }
    void clearText() {
        for (int row = FirstScriptRow; row < FirstScriptRow + ScriptRows; ++row)
            add("c%02d%02d%02d", ScriptColumn, row, ClearedCells);
    }
};

// A character's key in the keyboard's table, or -1.
int characterKey(const LessonScreen& keyboard, uint8_t c) {
    if (c >= 128) return -1;
    const uint8_t key = keyboard.keyByChar[c];
    return key < CharacterKeys ? key : -1;
}

void writeIntro(PracticeLesson& practice, const LessonScreen& keyboard) {
    std::fill(std::begin(practice.script), std::end(practice.script), nullptr);
    ScriptWriter writer{practice};
    if (!practice.fromHistory) {
        writer.text(FirstScriptRow, "No lesson finished yet: finish one,");
        writer.text(FirstScriptRow + 1, "and this practice aims at the keys");
        writer.text(FirstScriptRow + 2, "you miss. Now: lessons 1 to 6, evenly.");
    } else if (practice.weakKeyCount == 0) {
        writer.text(FirstScriptRow, "No key was missed in your last runs.");
        writer.text(FirstScriptRow + 1, "These words come from the lessons");
        writer.text(FirstScriptRow + 2, "you have finished.");
    } else {
        writer.text(FirstScriptRow, "Your weakest keys lately:");
        char line[PracticeScriptWidth] = "";
        for (int i = 0; i < practice.weakKeyCount; ++i) {
            char name[8];
            keyName(keyboard, practice.weakKeys[i], name);
            std::strncat(line, name, sizeof line - std::strlen(line) - 1);
            std::strncat(line, "  ", sizeof line - std::strlen(line) - 1);
            writer.add("h%c1", char(keyboard.keys[practice.weakKeys[i]].lowerChar));
        }
        line[std::strlen(line) - 2] = '\0';
        writer.text(FirstScriptRow + 1, line);
        writer.text(FirstScriptRow + 2, "The words ahead lean on them.");
    }
    writer.text(FirstScriptRow + 3, "Press a key to begin.");
    writer.add("w");
    for (int i = 0; i < practice.weakKeyCount; ++i)
        writer.add("h%c0", char(keyboard.keys[practice.weakKeys[i]].lowerChar));
    writer.clearText();
    writer.add("e");
}

}  // namespace

void keyMissRates(const ProgressFigures& figures, const LessonScreen& keyboard,
                  KeyMissRates& rates) {
    rates = KeyMissRates{};
    uint32_t instead[CharacterKeys][TalliedCharacters] = {};
    for (int c = 0; c < TalliedCharacters; ++c) {
        const int key = characterKey(keyboard, uint8_t(c));
        if (key < 0) continue;
        rates.pressed[key] += figures.expected[c] + figures.missed[c];
        rates.missed[key] += figures.missed[c];
        for (int typed = 0; typed < TalliedCharacters; ++typed)
            instead[key][typed] += figures.typedInstead[c][typed];
    }
    for (int key = 0; key < CharacterKeys; ++key) {
        if (rates.pressed[key] > 0)
            rates.rate[key] = double(rates.missed[key]) / rates.pressed[key];
        uint32_t most = 0;
        for (int typed = 0; typed < TalliedCharacters; ++typed) {
            if (instead[key][typed] > most) {
                most = instead[key][typed];
                rates.typedInstead[key] = uint8_t(typed);
            }
        }
    }
}

int weakestKeys(const KeyMissRates& rates, int count, int* keys) {
    int order[CharacterKeys];
    int candidates = 0;
    for (int key = 0; key < CharacterKeys; ++key)
        if (rates.missed[key] > 0) order[candidates++] = key;
    std::stable_sort(order, order + candidates, [&rates](int a, int b) {
        if (rates.rate[a] != rates.rate[b]) return rates.rate[a] > rates.rate[b];
        return rates.missed[a] > rates.missed[b];
    });
    const int named = std::min(count, candidates);
    std::copy_n(order, named, keys);
    return named;
}

const char* keyName(const LessonScreen& keyboard, int key, char (&name)[8]) {
    const uint8_t c = key >= 0 && key < keyboard.keyCount ? keyboard.keys[key].lowerChar : '?';
    if (c == ' ') {
        std::snprintf(name, sizeof name, "Space");
    } else {
        std::snprintf(name, sizeof name, "%c", char(c));
    }
    return name;
}

void makePractice(const ProgressFigures& all, const bool (&finished)[LessonCount],
                  PracticeLesson& practice) {
    auto keyboard = std::make_unique<LessonScreen>();
    buildKeyboard(*keyboard);
    KeyMissRates rates;
    keyMissRates(all, *keyboard, rates);
    practice.words.clear();
    practice.weights.clear();
    practice.fromHistory =
        all.status == HistoryStatus::Ready &&
        std::find(std::begin(finished), std::end(finished), true) != std::end(finished);
    practice.weakKeyCount =
        practice.fromHistory ? weakestKeys(rates, WeakKeysNamed, practice.weakKeys) : 0;
    for (int lesson = 0; lesson < LessonCount; ++lesson) {
        const bool used = practice.fromHistory ? finished[lesson] : lesson < EvenLessons;
        const LessonRecord& record = lessonCatalogue[lesson];
        if (!used || record.wordCount <= 0) continue;
        for (int i = 0; i < record.wordCount; ++i) {
            double weight = 1.0;
            if (practice.fromHistory) {
                for (const char* c = record.words[i]; *c != '\0'; ++c) {
                    const int key = characterKey(*keyboard, uint8_t(*c));
                    if (key >= 0) weight += WeightPerMissRate * rates.rate[key];
                }
            } else {
                weight = 1.0 / record.wordCount;  // every lesson as likely as the others
            }
            practice.words.push_back(record.words[i]);
            practice.weights.push_back(weight);
        }
    }
    writeIntro(practice, *keyboard);
}

void makeWeightedWordLines(LessonScreen& screen, const char* const* words, const double* weights,
                           int32_t count, std::mt19937& random) {
    if (weights == nullptr || count <= 0) {
        fillWordLines(screen, nullptr, 0, [] { return 0; });
        return;
    }
    // As in a lesson, with entries drawn by weight.
    std::discrete_distribution<int32_t> pick(weights, weights + count);
    fillWordLines(screen, words, count, [&] { return pick(random); });
}

void addPracticeRow(LessonMenu& menu) {
    if (menu.entryCount != LessonCount) return;
    auto rows = std::make_unique<LessonEntry[]>(LessonCount + 1);
    std::copy_n(menu.entries.get(), LessonCount, rows.get());
    rows[PracticeRow] = LessonEntry{PracticeTitle, -1, nullptr};
    menu.entries = std::move(rows);
    menu.entryCount = LessonCount + 1;
}

void setUpPractice(VideoState& video, LessonScreen& screen, PracticeLesson& practice) {
    setUpLessonScreen(video, screen, nullptr, 0, PracticeTitle, practice.script);
    std::mt19937 random(uint32_t(host.calendarSeconds()));
    makeWeightedWordLines(screen, practice.words.data(), practice.weights.data(),
                          int32_t(practice.words.size()), random);
}

void preparePractice(const LessonMenu& menu, PracticeLesson& practice) {
    auto all = std::make_unique<ProgressFigures>();
    loadProgress(AllLessons, *all);
    bool finished[LessonCount] = {};
    for (int lesson = 0; lesson < LessonCount && lesson < menu.entryCount; ++lesson)
        finished[lesson] = menu.entries[lesson].bestTime >= 0 || all->lessonRuns[lesson] > 0;
    makePractice(*all, finished, practice);
}
