// The real program with --speech in a real X session, its voice a stand-in for
// speech-dispatcher on a socket of the test's own (SPEECHD_ADDRESS): a lesson typed with a
// wrong key and F1 yields the utterances a learner needs, in order, each text with priority
// "text", the error cutting off what was said; the screen-reader setting turns speech on by
// itself, and with no service at all speech stays off with one line on stderr.
#include "course/common/character_names.h"
#include "engine/speech.h"
#include "testing/fake_speech_service.h"
#include "tests/real_window/real_window_test.h"

namespace {

std::string spoken(const std::string& line) {
    Utterance utterance;
    startUtterance(utterance);
    addSpokenLine(utterance, line.c_str(), line.size(), Language::English);
    return utterance.text;
}

class SpeechWindowTest : public RealWindowTest {
  protected:
    FakeSpeechService service;

    void startSpeaking(std::vector<std::string> arguments, std::vector<std::string> environment) {
        ASSERT_TRUE(service.start(folder.file("speechd.sock")));
        ProgramUnderTest speaking = nativeProgram(QUENMORE_PROGRAM, folder.file("data"));
        speaking.command.insert(speaking.command.end(), arguments.begin(), arguments.end());
        speaking.environment.push_back("SPEECHD_ADDRESS=" + service.address());
        speaking.environment.insert(speaking.environment.end(), environment.begin(),
                                    environment.end());
        start(speaking, 2 * ScreenWidth, 2 * ScreenHeight);
    }

    // Waits until an utterance that begins with `start` has been heard.
    bool hears(const std::string& start, double seconds = 30) {
        return pollUntil(
            [&] {
                for (const std::string& said : service.utterances())
                    if (said.starts_with(start)) return true;
                return false;
            },
            seconds);
    }
};

TEST_F(SpeechWindowTest, ALessonTypedWithSpeechIsHeardInOrder) {
    // The screen reader's setting is off here, and the learner chose: --speech.
    ASSERT_NO_FATAL_FAILURE(startSpeaking({"--speech"}, {}));
    ASSERT_TRUE(hears("Quenmore, a touch-typing tutor.")) << readFile(process.log);
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(hears("Lesson 1: Home Row Left. No best time yet. 1 of 11."));
    ASSERT_TRUE(reachExercise());
    std::vector<std::string> lines;
    for (int line = 0; line < 10; ++line) {
        const std::string text = read(look(), LineToType);
        ASSERT_GE(text.size(), 3u) << line;
        lines.push_back(text);
        ASSERT_TRUE(hears(line == 0 ? "Type these words." : "Line " + std::to_string(line)));
        std::vector<std::string> keys = keysFor(text.substr(0, text.size() - 1), false, {});
        if (line == 0) keys.insert(keys.begin() + 1, "x");  // a wrong key, never in lesson 1
        if (line == 1) {
            // F1 after the first word: the rest of the line.
            const size_t space = text.find(' ');
            ASSERT_TRUE(pressKeys(x, keysFor(text.substr(0, space + 1), false, {})));
            ASSERT_TRUE(waitForText(TypedLine, text.substr(0, space + 1) + CursorCell));
            ASSERT_TRUE(pressKeys(x, {"F1"}));
            ASSERT_TRUE(hears(spoken(text.substr(space + 1))));
            keys = keysFor(text.substr(space + 1, text.size() - space - 2), false, {});
        }
        ASSERT_TRUE(pressKeys(x, keys));
        ASSERT_TRUE(waitForText(TypedLine, text.substr(0, text.size() - 1) + CursorCell)) << line;
        ASSERT_TRUE(pressKeys(x, keysFor(text.substr(text.size() - 1), false, {})));
        ASSERT_TRUE(waitToSee([&](const Image& picture) {
            if (line == 9) return readResults(picture).shown;
            return read(picture, TypedLine) == std::string(1, CursorCell);
        })) << "no fresh line after line "
            << line;
    }
    ASSERT_TRUE(hears("Words per minute: "));
    ASSERT_TRUE(pressKeys(x, {"Return"}));
    ASSERT_TRUE(hears("Lesson 1: Home Row Left. Best time: "));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    ASSERT_TRUE(service.waitFor(1, 10));
    // What the learner heard, in order: a subsequence of all that was said.
    char expected[48];
    characterName(uint8_t(lines[0][1]), Language::English, expected);
    std::vector<std::string> order = {
        "Quenmore, a touch-typing tutor.",
        "Lesson 1: Home Row Left. No best time yet. 1 of 11.",
        "Lesson 1: Home Row Left. This first lesson will teach you where to place your left hand.",
        "First, place your left index finger on the letter \"f.\" Key lit: f, left index finger.",
        "When you're ready, press any key to start ...",
        "Type these words. F1 repeats the rest of the line. " + spoken(lines[0]),
        "cancel",
        expected,
        "Line 1 of 10. " + spoken(lines[1]),
        spoken(lines[1].substr(lines[1].find(' ') + 1)),
    };
    for (int line = 2; line < 10; ++line)
        order.push_back("Line " + std::to_string(line) + " of 10. " + spoken(lines[size_t(line)]));
    order.insert(order.end(), {"Line 10 of 10.", "Words per minute: ",
                               "Lesson 1: Home Row Left. Best time: ", "Goodbye."});
    const std::vector<std::string> said = service.utterances();
    size_t at = 0;
    for (const std::string& each : said)
        if (at < order.size() && each.starts_with(order[at])) ++at;
    EXPECT_EQ(at, order.size()) << "not heard in order: " << (at < order.size() ? order[at] : "")
                                << "\n"
                                << ::testing::PrintToString(said);
    // The protocol: a name, punctuation left to the program, every text with priority text,
    // the last one the menu's goodbye.
    const std::vector<SpeechRequest> requests = service.received();
    ASSERT_GE(requests.size(), 4u);
    EXPECT_TRUE(requests[0].text.starts_with("SET SELF CLIENT_NAME")) << requests[0].text;
    EXPECT_EQ(requests[1].text, "SET SELF PUNCTUATION none");
    for (size_t i = 2; i < requests.size(); ++i) {
        if (!requests[i].text.starts_with("SPEAK ")) continue;
        EXPECT_EQ(requests[i - 2].text, "SET SELF PRIORITY TEXT") << i;
    }
    EXPECT_EQ(requests.back().text, "SPEAK Goodbye.");
}

// The desktop's screen-reader setting (here in a settings file of GIO's own) turns speech on
// when the learner never chose; F2 then turns it off, and the choice is kept.
TEST_F(SpeechWindowTest, AScreenReaderTurnsSpeechOnAndF2TurnsItOff) {
    const std::string config = folder.file("config");
    std::filesystem::create_directories(config + "/glib-2.0/settings");
    const std::string keyfile = "[org/gnome/desktop/a11y/applications]\n"
                                "screen-reader-enabled=true\n";
    ASSERT_TRUE(
        writeBytes(config + "/glib-2.0/settings/keyfile", Bytes(keyfile.begin(), keyfile.end())));
    ASSERT_NO_FATAL_FAILURE(
        startSpeaking({}, {"GSETTINGS_BACKEND=keyfile", "XDG_CONFIG_HOME=" + config}));
    ASSERT_TRUE(hears("Quenmore, a touch-typing tutor.")) << readFile(process.log);
    EXPECT_TRUE(hears("Quenmore, a touch-typing tutor. Press any key to begin, or Escape to "
                      "leave. F2 turns speech off."));
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(pressKeys(x, {"F2"}));
    ASSERT_TRUE(hears("Speech off."));
    ASSERT_TRUE(pressKeys(x, {"Down"}));
    ASSERT_TRUE(waitForText(MenuTitle, "Lesson 2:", true));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    EXPECT_EQ(service.utterances().back(), "Speech off.");
    const Bytes settings = readBytes(folder.file("data") + "/quenmoreSettings.ini");
    EXPECT_NE(std::string(settings.begin(), settings.end()).find("speech = off"),
              std::string::npos);
}

// No service where SPEECHD_ADDRESS points: one line on stderr, and the program as ever.
TEST_F(SpeechWindowTest, WithoutAServiceSpeechIsOffWithOneLine) {
    ProgramUnderTest speaking = nativeProgram(QUENMORE_PROGRAM, folder.file("data"));
    speaking.command.push_back("--speech");
    speaking.environment.push_back("SPEECHD_ADDRESS=unix_socket:" + folder.file("none.sock"));
    start(speaking, 2 * ScreenWidth, 2 * ScreenHeight);
    ASSERT_TRUE(leaveTitle());
    ASSERT_TRUE(pressKeys(x, {"F2", "F2"}));  // tried again, said no more
    ASSERT_TRUE(pressKeys(x, {"Down"}));
    ASSERT_TRUE(waitForText(MenuTitle, "Lesson 2:", true));
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const std::string log = readFile(process.log);
    const size_t line = log.find("Quenmore: no voice: speech-dispatcher cannot be reached");
    EXPECT_NE(line, std::string::npos) << log;
    EXPECT_EQ(log.find("Quenmore: no voice", line + 1), std::string::npos) << log;
}

}  // namespace
