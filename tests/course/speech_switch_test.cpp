// Turning speech on and off: the settings keys, --speech, F2 (never typed) and the Options
// rows; a voice that cannot be reached leaves speech off.
#include "course/app/command_line.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/options_screen.h"
#include "tests/support/hosted_test.h"
#include "tests/support/lesson_fixture.h"

namespace {

TEST(SpeechSettings, TheKeysReadAndWriteAndABadValueIsNamed) {
    struct Case {
        const char* line;
        bool speech, chosen;
        int32_t rate;
        bool echo;
        const char* problem;
    };
    const Case cases[] = {
        {"speech = on", true, true, 0, false, ""},
        {"speech = off", false, true, 0, false, ""},
        {"speech_rate = -10", false, false, -10, false, ""},
        {"speech_rate = 10", false, false, 10, false, ""},
        {"echo_keys = on", false, false, 0, true, ""},
        {"speech = yes", false, false, 0, false, "line 1: speech is off or on, not \"yes\"\n"},
        {"speech_rate = 11", false, false, 0, false,
         "line 1: speech_rate is a whole number from -10 to 10, not \"11\"\n"},
        {"echo_keys = 1", false, false, 0, false, "line 1: echo_keys is off or on, not \"1\"\n"},
    };
    for (const Case& c : cases) {
        Settings settings;
        std::string problems;
        readSettingsText(c.line, settings, problems);
        EXPECT_EQ(problems, c.problem) << c.line;
        EXPECT_EQ((std::vector<int>{settings.speech, settings.speechChosen, settings.speechRate,
                                    settings.echoKeys}),
                  (std::vector<int>{c.speech, c.chosen, c.rate, c.echo}))
            << c.line;
    }
    Settings settings;
    settings.speech = settings.echoKeys = true;
    settings.speechRate = -3;
    EXPECT_EQ(
        settingsTextWith("colours = standard\n", settings, SpeechKey | SpeechRateKey | EchoKeysKey),
        "colours = standard\nspeech = on\nspeech_rate = -3\necho_keys = on\n");
}

TEST(SpeechCommandLine, SpeechTurnsItOnForTheRunAsChosen) {
    const char* argv[] = {"quenmore", "--speech", "--window"};
    const CommandLine line = readCommandLine(3, argv);
    ASSERT_EQ(line.action, CommandLine::Action::Run);
    Settings settings;
    applyCommandLine(line, settings);
    EXPECT_TRUE(settings.speech && settings.speechChosen);
    const char* bad[] = {"quenmore", "--speech=on"};
    EXPECT_EQ(readCommandLine(2, bad).action, CommandLine::Action::Refuse);
}

// F2 twice in a line, with a voice and without: speech goes on and off (or stays off), says
// so, tells who keeps the choice, and the exercise goes on as if nothing had been pressed.
TEST(F2, TurnsSpeechOnAndOffAndIsNeverTyped) {
    static std::vector<bool> told;
    for (bool reachable : {true, false}) {
        Lesson lesson({}, "ab");
        told.clear();
        lesson.clock.voiceReachable = reachable;
        lesson.test.video().speech.toggled = [](bool on) { told.push_back(on); };
        lesson.type(Exercise, "a");
        lesson.press(Exercise + 1, SDLK_F2, SDL_SCANCODE_F2);
        bool onBetween = false;
        lesson.clock.onFrame = [&](const VideoMemory& memory) {
            lesson.look(memory);
            if (lesson.clock.framesComposed == Exercise + 2)
                onBetween = lesson.test.video().speech.on;
        };
        lesson.press(Exercise + 3, SDLK_F2, SDL_SCANCODE_F2);
        lesson.type(Exercise + 4, "b");
        for (int line = 1; line < LineCount; ++line) lesson.type(Exercise + 4 + line, "ab");
        lesson.press(Exercise + 90, SDLK_RETURN, SDL_SCANCODE_RETURN);
        lesson.run();
        EXPECT_EQ(lesson.summary().errors, 0) << reachable;
        EXPECT_EQ(lesson.summary().characters, 20) << reachable;
        EXPECT_EQ(onBetween, reachable);
        EXPECT_FALSE(lesson.test.video().speech.on);
        EXPECT_EQ(told, (std::vector<bool>{reachable, false}));
        const std::vector<std::string> said = {"en: Speech on.", "en: Speech off."};
        EXPECT_EQ(lesson.clock.voice, reachable ? said : std::vector<std::string>{});
    }
}

// The speech rows: on (and said), a rate stepped to its end, every key named; each saved at
// once. Without a voice the row stays off.
using SpeechRows = HostedTest;

TEST_F(SpeechRows, ChangeSpeechAndAreSaved) {
    test.composeNarrowFrames();
    for (bool reachable : {true, false}) {
        clock.voiceReachable = reachable;
        clock.voice.clear();
        Settings settings;
        settings.speechRate = 9;
        test.video().speech.on = false;
        uint64_t at = clock.framesComposed + 70;
        const auto press = [&](SDL_Keycode key, SDL_Scancode code, int times = 1) {
            for (int i = 0; i < times; ++i) clock.keyDown(at, key, code);
            at += 2;
        };
        press(SDLK_DOWN, SDL_SCANCODE_DOWN, 7);
        press(SDLK_RIGHT, SDL_SCANCODE_RIGHT);  // speech on
        press(SDLK_DOWN, SDL_SCANCODE_DOWN);
        press(SDLK_RIGHT, SDL_SCANCODE_RIGHT, 3);  // the rate: 10 at most
        press(SDLK_DOWN, SDL_SCANCODE_DOWN);
        press(SDLK_RETURN, SDL_SCANCODE_RETURN);  // echo keys on
        press(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        EXPECT_EQ(runOptionsScreen(test.video(), settings), ScreenExit::Done);
        EXPECT_EQ(settings.speech, reachable);
        EXPECT_EQ(test.video().speech.on, reachable);
        EXPECT_TRUE(settings.echoKeys && test.video().speech.echoKeys);
        EXPECT_EQ(settings.speechRate, 10);
        const Bytes saved = readBytes(data.file(SettingsFileName));
        const std::string text(saved.begin(), saved.end());
        EXPECT_NE(text.find(reachable ? "speech = on\n" : "speech = off\n"), std::string::npos);
        EXPECT_NE(text.find("speech_rate = 10\necho_keys = on\n"), std::string::npos) << text;
        if (!reachable) {
            EXPECT_EQ(clock.voice, (std::vector<std::string>{"rate 10", "rate 10", "rate 10"}));
            continue;
        }
        const std::vector<std::string> heard(clock.voice.begin(), clock.voice.begin() + 4);
        EXPECT_EQ(heard, (std::vector<std::string>{"en: Speech on.", "en: Speech: On.",
                                                   "en: Speech rate: +9. 9 of 11.", "rate 10"}));
        EXPECT_EQ(clock.voice.back(), "en: Echo keys: On.");
    }
}

}  // namespace
