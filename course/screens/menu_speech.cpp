// What the lesson menu says aloud while speech is on.
#include "course/content/practice.h"
#include "course/screens/lesson_menu.h"
#include "engine/speech.h"

#include <cstring>

void sayMenuRow(LessonMenu& menu, bool whole) {
    VideoState& video = *menu.video;
    if (!video.speech.on) return;
    const Course* shown = shownCourse(menu);
    Utterance utterance;
    startUtterance(utterance);
    if (whole && !menu.courses.empty()) {
        const std::string& name = shown != nullptr ? shown->name : builtInCourse().name;
        addText(utterance, "Course: ");
        addLatin1(utterance, name.data(), name.size());
        addText(utterance, ". ");
    }
    if (menu.entryCount == 0) {
        addText(utterance, "No lesson here can be played. ");
        if (shown != nullptr && !shown->errors.empty()) {
            const std::string fault = describeError(shown->fileName, shown->errors[0]);
            addLatin1(utterance, fault.data(), fault.size());
            addText(utterance, ". ");
        }
    } else {
        const LessonEntry& row = menu.entries[size_t(menu.selectedIndex)];
        addLatin1(utterance, row.title, std::strlen(row.title));
        if (menu.course == 0 && menu.selectedIndex == PracticeRow) {
            addText(utterance, ". ");
            addText(utterance, PracticeSubtitle);
        } else if (row.bestTime < 0) {
            addText(utterance, ". No best time yet");
        } else {
            addText(utterance, ". Best time: ");
            if (row.bestTime >= 60) {
                addNumber(utterance, row.bestTime / 60);
                addText(utterance, row.bestTime / 60 == 1 ? " minute " : " minutes ");
            }
            addNumber(utterance, row.bestTime % 60);
            addText(utterance, row.bestTime % 60 == 1 ? " second" : " seconds");
        }
        addText(utterance, ". ");
        addNumber(utterance, menu.selectedIndex + 1);
        addText(utterance, " of ");
        addNumber(utterance, menu.entryCount);
        addText(utterance, ".");
    }
    if (whole) {
        addText(utterance, " Up and Down choose a lesson, Return starts it, Tab shows its "
                           "progress, O opens the options");
        if (!menu.courses.empty()) addText(utterance, ", Left and Right change the course");
        addText(utterance, ", Escape leaves.");
    }
    say(video, utterance);
}
