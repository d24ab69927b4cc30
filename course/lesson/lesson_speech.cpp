#include "course/lesson/lesson_speech.h"

#include "course/common/character_names.h"
#include "course/keyboard/keyboard_model.h"
#include "course/lesson/lesson_run_state.h"
#include "engine/speech.h"

#include <cstring>

namespace {

const char* voiceOf(const LessonRun& run) {
    return languageCode(run.screen->language);
}

Language languageOf(const LessonRun& run) {
    return run.screen->language;
}

bool speaking(const LessonRun& run) {
    return run.screen->video->speech.on;
}

// How the intro names a lit key: the character it types, or the key's own name.
void addKeyName(Utterance& utterance, uint8_t key, Language language) {
    switch (key) {
    case LeftShiftCode: addText(utterance, "left shift"); return;
    case RightShiftCode: addText(utterance, "right shift"); return;
    case CapsLockCode: addText(utterance, "caps lock"); return;
    default: break;
    }
    char name[48];
    characterName(key, language, name);
    addText(utterance, name);
}

// The finger that types a key, as the intro says it after the key's name ("f, left index
// finger"): by the key's place, so it is right on every layout.
const char* const FingerNames[LanguageCount][int(Finger::None)] = {
    {"left little finger", "left ring finger", "left middle finger", "left index finger",
     "right index finger", "right middle finger", "right ring finger", "right little finger",
     "either thumb", "right thumb"},
    {"linker kleiner Finger", "linker Ringfinger", "linker Mittelfinger", "linker Zeigefinger",
     "rechter Zeigefinger", "rechter Mittelfinger", "rechter Ringfinger", "rechter kleiner Finger",
     "ein Daumen", "rechter Daumen"},
    {"auriculaire gauche", "annulaire gauche", "majeur gauche", "index gauche", "index droit",
     "majeur droit", "annulaire droit", "auriculaire droit", "un pouce", "pouce droit"},
};

void addFingerName(Utterance& utterance, const KeyboardModel& keyboard, uint8_t character,
                   Language language) {
    const uint8_t k = keyboard.keyByChar[character];
    if (k == NoKey || k >= keyboard.keyCount) return;
    const Finger finger = keyboard.keys[k].finger;
    if (finger >= Finger::None) return;
    addText(utterance, ", ");
    addText(utterance, FingerNames[int(language)][int(finger)]);
}

const char* const Typing[LanguageCount] = {"Type these words.", "Tippe diese Wörter.",
                                           "Tapez ces mots."};
const char* const Repeats[LanguageCount] = {"F1 repeats the rest of the line.",
                                            "F1 wiederholt den Rest der Zeile.",
                                            "F1 répète la fin de la ligne."};

void addLine(Utterance& utterance, const LessonRun& run) {
    const char* line = run.screen->lines[run.lineIndex];
    addSpokenLine(utterance, line, std::strlen(line), languageOf(run));
}

void addMinutesAndSeconds(Utterance& utterance, int32_t seconds) {
    const int32_t minutes = seconds / 60;
    seconds -= minutes * 60;
    if (minutes > 0) {
        addNumber(utterance, minutes);
        addText(utterance, minutes == 1 ? " minute " : " minutes ");
    }
    addNumber(utterance, seconds);
    addText(utterance, seconds == 1 ? " second" : " seconds");
}

}  // namespace

void sayIntroPart(LessonRun& run, int32_t from) {
    const Intro* intro = run.screen->intro;
    if (!speaking(run) || from < run.introSpokenTo) return;
    Utterance utterance;
    startUtterance(utterance);
    if (run.introSpokenTo == 0 && run.screen->title != nullptr) {
        addLatin1(utterance, run.screen->title, std::strlen(run.screen->title));
        addText(utterance, ". ");
    }
    const size_t count = intro != nullptr ? intro->size() : 0;
    size_t end = size_t(from);
    int lit = 0;
    Utterance keys;
    startUtterance(keys);
    for (; end < count; ++end) {
        const IntroStep& step = (*intro)[end];
        if (step.kind == StepKind::Wait || step.kind == StepKind::Pause) break;
        if (step.kind == StepKind::Print && !step.text.empty()) {
            addLatin1(utterance, step.text.data(), step.text.size());
            addText(utterance, " ");
        } else if (step.kind == StepKind::Light) {
            if (lit++ > 0) addText(keys, "; ");
            addKeyName(keys, step.key, languageOf(run));
            addFingerName(keys, run.screen->keyboard, step.key, languageOf(run));
        }
    }
    run.introSpokenTo = int32_t(end) + 1;
    if (lit > 0) {
        addText(utterance, phrase(lit == 1 ? Phrase::KeyLit : Phrase::KeysLit, languageOf(run)));
        addText(utterance, " ");
        addText(utterance, keys.text);
        addText(utterance, ".");
    }
    if (utterance.length > 0) say(*run.screen->video, utterance, voiceOf(run));
}

void cutIntroShort(LessonRun& run) {
    hush(*run.screen->video);
}

void sayFirstLine(LessonRun& run) {
    if (!speaking(run)) return;
    Utterance utterance;
    startUtterance(utterance);
    addText(utterance, Typing[int(languageOf(run))]);
    addText(utterance, " ");
    addText(utterance, Repeats[int(languageOf(run))]);
    addText(utterance, " ");
    addLine(utterance, run);
    say(*run.screen->video, utterance, voiceOf(run));
}

void sayLineDone(LessonRun& run) {
    if (!speaking(run)) return;
    Utterance utterance;
    startUtterance(utterance);
    addText(utterance, phrase(Phrase::Line, languageOf(run)));
    addText(utterance, " ");
    addNumber(utterance, run.lineIndex);
    addText(utterance, " ");
    addText(utterance, phrase(Phrase::Of, languageOf(run)));
    addText(utterance, " ");
    addNumber(utterance, LineCount);
    addText(utterance, ".");
    if (run.running) {
        addText(utterance, " ");
        addLine(utterance, run);
    }
    say(*run.screen->video, utterance, voiceOf(run));
}

void sayRestOfLine(LessonRun& run) {
    if (!speaking(run) || !run.running) return;
    const char* line = run.screen->lines[run.lineIndex];
    const char* rest = line + run.position;
    const auto inWord = [](char c) { return c != ' ' && c != '\0'; };
    // Inside a word the rest of it is spelled: a word heard from its middle is no word.
    const bool midWord = run.position > 0 && inWord(line[run.position - 1]) && inWord(*rest);
    Utterance utterance;
    startUtterance(utterance);
    addSpokenLine(utterance, rest, std::strlen(rest), languageOf(run), midWord);
    say(*run.screen->video, utterance, voiceOf(run));
}

void sayExpected(LessonRun& run) {
    if (!speaking(run)) return;
    char name[48];
    characterName(uint8_t(run.screen->lines[run.lineIndex][run.position]), languageOf(run), name);
    hush(*run.screen->video);
    say(*run.screen->video, name, voiceOf(run));
}

void sayTyped(LessonRun& run, uint8_t typed) {
    if (!speaking(run) || !run.screen->video->speech.echoKeys) return;
    char name[48];
    characterName(typed, languageOf(run), name);
    say(*run.screen->video, name, voiceOf(run));
}

void sayResults(LessonRun& run, const std::string& notice) {
    if (!speaking(run)) return;
    const RunSummary& summary = run.summary;
    Utterance utterance;
    startUtterance(utterance);
    addText(utterance, "Words per minute: ");
    addNumber(utterance, summary.wordsPerMinute);
    addText(utterance, ". Errors: ");
    addNumber(utterance, summary.errors);
    addText(utterance, ". Time: ");
    addMinutesAndSeconds(utterance, summary.seconds);
    addText(utterance, run.newBest ? ". A new best time!" : ".");
    if (!notice.empty()) {
        addText(utterance, " ");
        addLatin1(utterance, notice.data(), notice.size());
        addText(utterance, ".");
    }
    addText(utterance, " Press Enter to continue.");
    say(*run.screen->video, utterance);
}
