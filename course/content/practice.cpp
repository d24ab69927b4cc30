#include "course/content/practice.h"

#include "course/common/screen_layout.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// An entry's weight is 1 plus this much for every miss rate of its characters' keys, so an
// entry of keys never missed still comes up, and one full of weak keys comes up far more.
constexpr double WeightPerMissRate = 12.0;

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
    void text(int row, const char* line) { add("t%02d%02d%s", TextColumn, row, line); }
    void clearText() {
        for (int row = IntroFirstRow; row < IntroFirstRow + IntroRows; ++row)
            add("c%02d%02d%02d", TextColumn, row, IntroClearedCells);
    }
};

void writeIntro(const PracticeAim& aim, const KeyboardModel& keyboard, PracticeLesson& practice) {
    std::fill(std::begin(practice.script), std::end(practice.script), nullptr);
    ScriptWriter writer{practice};
    if (!aim.fromHistory) {
        writer.text(IntroFirstRow, "No lesson finished yet: finish one,");
        writer.text(IntroFirstRow + 1, "and this practice aims at the keys");
        writer.text(IntroFirstRow + 2, "you miss. Now: lessons 1 to 6, evenly.");
    } else if (aim.weakKeyCount == 0) {
        writer.text(IntroFirstRow, "No key was missed in your last runs.");
        writer.text(IntroFirstRow + 1, "These words come from the lessons");
        writer.text(IntroFirstRow + 2, "you have finished.");
    } else {
        writer.text(IntroFirstRow, "Your weakest keys lately:");
        char line[PracticeScriptWidth] = "";
        for (int i = 0; i < aim.weakKeyCount; ++i) {
            char name[8];
            keyName(keyboard, aim.weakKeys[i], name);
            std::strncat(line, name, sizeof line - std::strlen(line) - 1);
            std::strncat(line, "  ", sizeof line - std::strlen(line) - 1);
            writer.add("h%c1", char(keyboard.keys[aim.weakKeys[i]].lowerChar));
        }
        line[std::strlen(line) - 2] = '\0';
        writer.text(IntroFirstRow + 1, line);
        writer.text(IntroFirstRow + 2, "The words ahead lean on them.");
    }
    writer.text(IntroFirstRow + 3, "Press a key to begin.");
    writer.add("w");
    for (int i = 0; i < aim.weakKeyCount; ++i)
        writer.add("h%c0", char(keyboard.keys[aim.weakKeys[i]].lowerChar));
    writer.clearText();
    writer.add("e");
}

}  // namespace

void makePractice(const PracticeAim& aim, const KeyboardModel& keyboard, PracticeLesson& practice) {
    practice.words.clear();
    practice.weights.clear();
    for (int lesson = 0; lesson < LessonCount; ++lesson) {
        const bool used = aim.fromHistory ? aim.finished[lesson] : lesson < EvenLessons;
        const LessonRecord& record = lessonCatalogue[lesson];
        if (!used || record.wordCount <= 0) continue;
        for (int i = 0; i < record.wordCount; ++i) {
            double weight = 1.0;
            if (aim.fromHistory) {
                for (const char* c = record.words[i]; *c != '\0'; ++c) {
                    const int key = characterKey(keyboard, uint8_t(*c));
                    if (key >= 0) weight += WeightPerMissRate * aim.keyRate[key];
                }
            } else {
                weight = 1.0 / record.wordCount;  // every lesson as likely as the others
            }
            practice.words.push_back(record.words[i]);
            practice.weights.push_back(weight);
        }
    }
    writeIntro(aim, keyboard, practice);
}
