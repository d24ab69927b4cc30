#include "course/app/program.h"

#include "course/app/startup.h"
#include "course/common/sounds.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/options_screen.h"
#include "course/screens/title_screen.h"
#include "engine/host.h"
#include "engine/speech.h"
#include "platform/voice.h"

#include <cstdio>
#include <string>

namespace {

Settings* learnerSettings = nullptr;
bool positionUnsaved = false;

void save(uint32_t keys) {
    std::string why;
    if (!saveSettings(*learnerSettings, keys, &why))
        std::fprintf(stderr, "Quenmore: the settings could not be saved: %s\n", why.c_str());
}

// Alt+Enter is saved at once; a moved window, which a drag reports many times, when the
// program ends.
void keepDisplayChoice(const DisplayChoice& choice, uint32_t changes) {
    takeDisplayChoice(*learnerSettings, choice);
    if ((changes & WindowMoved) != 0) positionUnsaved = true;
    if ((changes & ModeChanged) != 0) save(DisplayKey);
}

// F2 is saved at once, as the Options screen's row is.
void keepSpeechChoice(bool on) {
    learnerSettings->speech = on;
    learnerSettings->speechChosen = true;
    save(SpeechKey);
}

// Speech as the settings (or the command line) say, or on when a screen reader runs and the
// learner never chose; a voice that cannot be reached leaves it off.
void startSpeech(VideoState& video, Settings& settings) {
    video.speech.echoKeys = settings.echoKeys;
    video.speech.toggled = keepSpeechChoice;
    setSpeechRate(settings.speechRate);
    const bool wanted =
        settings.speech || (!settings.speechChosen && platform::screenReaderRunning());
    video.speech.on = wanted && host.openVoice();
    settings.speech = video.speech.on;
}

}  // namespace

void runCourse(VideoState& video, LessonMenu& menu, Settings& settings) {
    learnerSettings = &settings;
    video.choiceMade = keepDisplayChoice;
    // The sounds follow the learner's choice as the Options screen changes it.
    static CueSounds sounds{};
    sounds = {&video.sound, &settings.sound};
    listenToCues(playCueSound, &sounds);
    applySoundChoice(video, settings);
    startSpeech(video, settings);
    setUpTitleScreen(video);
    if (runTitleScreen(video) == ScreenExit::Done) {
        setUpLessonMenu(video, menu, &settings);
        runLessonMenu(menu);
    }
    if (positionUnsaved) save(WindowPositionKey);
    shutDown(video);
}
