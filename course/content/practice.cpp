#include "course/content/practice.h"

#include "course/content/intro_writer.h"

#include <string>

namespace {

// An entry's weight is 1 plus this much for every miss rate of its characters' keys, so an
// entry of keys never missed still comes up, and one full of weak keys comes up far more.
constexpr double WeightPerMissRate = 12.0;

// Said as a lesson's intro is: texts on the rows of the box, the weak keys lit while they are
// named, released once the learner has read them.
void writeIntro(const PracticeAim& aim, const KeyboardModel& keyboard, PracticeLesson& practice) {
    practice.intro.clear();
    IntroWriter writer{&practice.intro};
    if (!aim.fromHistory) {
        say(writer, "No lesson finished yet: finish one,");
        say(writer, "and this practice aims at the keys");
        say(writer, "you miss. Now: lessons 1 to 6, evenly.");
    } else if (aim.weakKeyCount == 0) {
        say(writer, "No key was missed in your last runs.");
        say(writer, "These words come from the lessons");
        say(writer, "you have finished.");
    } else {
        say(writer, "Your weakest keys lately:");
        std::string line;
        for (int i = 0; i < aim.weakKeyCount; ++i) {
            char name[8];
            keyName(keyboard, aim.weakKeys[i], name);
            line += std::string(i > 0 ? "  " : "") + name;
            light(writer, keyboard.keys[aim.weakKeys[i]].lowerChar, 0);
        }
        say(writer, line);
        say(writer, "The words ahead lean on them.");
    }
    say(writer, "Press a key to begin.");
    wait(writer);
    for (int i = 0; i < aim.weakKeyCount; ++i)
        release(writer, keyboard.keys[aim.weakKeys[i]].lowerChar);
    clear(writer);
}

}  // namespace

void makePractice(const PracticeAim& aim, const KeyboardModel& keyboard, PracticeLesson& practice,
                  const Course& course) {
    practice.words.clear();
    practice.weights.clear();
    for (int lesson = 0; lesson < LessonCount && size_t(lesson) < course.lessons.size(); ++lesson) {
        const bool used = aim.fromHistory ? aim.finished[lesson] : lesson < EvenLessons;
        const std::vector<std::string>& entries = course.lessons[size_t(lesson)].entries;
        if (!used || entries.empty()) continue;
        for (const std::string& entry : entries) {
            double weight = 1.0;
            if (aim.fromHistory) {
                for (char c : entry) {
                    const int key = characterKey(keyboard, uint8_t(c));
                    if (key >= 0) weight += WeightPerMissRate * aim.keyRate[key];
                }
            } else {
                weight = 1.0 / double(entries.size());  // every lesson as likely as the others
            }
            practice.words.push_back(entry.c_str());
            practice.weights.push_back(weight);
        }
    }
    writeIntro(aim, keyboard, practice);
}
