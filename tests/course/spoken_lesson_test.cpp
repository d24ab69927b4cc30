// A lesson played by ear by a learner who never looks at the screen: the menu, the intro, each
// line typed from what is heard, one error, F1 for the rest of a line, and the results.
#include "course/common/character_names.h"
#include "tests/support/hosted_test.h"
#include "tests/support/lesson_fixture.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// The character each English name stands for.
const std::map<std::string, char>& namedCharacters() {
    static const std::map<std::string, char> named = [] {
        std::map<std::string, char> all;
        for (int c = 32; c < 127; ++c) {
            char name[48];
            characterName(uint8_t(c), Language::English, name);
            all[name] = char(c);
        }
        return all;
    }();
    return named;
}

// What a listener types for a spoken line: the character of every name but a letter's, and
// words (their parts run together, "capital" and "capitals" heard as marks of the part after
// them) with a space between two words.
std::string typedFromSpeech(const std::string& spoken) {
    std::string typed;
    bool lastWasWord = false;
    for (size_t at = 0; at <= spoken.size();) {
        const size_t end = std::min(spoken.find(", ", at), spoken.size());
        std::string token = spoken.substr(at, end - at);
        at = end + 2;
        const auto named = namedCharacters().find(token);
        if (named != namedCharacters().end() && token.size() > 1 &&
            !token.starts_with("capital ")) {
            typed += named->second;
            lastWasWord = false;
            continue;
        }
        if (token.empty() ||
            token.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOP"
                                    "QRSTUVWXYZ0123456789 ") != std::string::npos) {
            ADD_FAILURE() << "no character or word: \"" << token << "\" in " << spoken;
            continue;
        }
        for (const char* mark : {"capitals ", "capital "})
            for (size_t m = token.find(mark); m != std::string::npos; m = token.find(mark))
                token.erase(m, std::strlen(mark));
        token.erase(std::remove(token.begin(), token.end(), ' '), token.end());
        typed += (lastWasWord ? " " : "") + token;
        lastWasWord = true;
    }
    return typed;
}

std::string after(const std::string& text, const std::string& mark) {
    const size_t at = text.find(mark);
    return at == std::string::npos ? std::string() : text.substr(at + mark.size());
}

struct Listener {
    Listener(VirtualHost& virtualHost, int number) : clock(virtualHost), lesson(number) {}
    VirtualHost& clock;
    int lesson;
    size_t heard = 0, typed = 0;
    int frame = 0, lineNumber = 0, rowsHeard = 0, downs = 0;
    bool chosen = false, typing = false, left = false, errorMade = false, repeatAsked = false;
    bool enterPressed = false;
    std::string line;
    std::vector<std::string> typedLines;
    std::string errorHeard, repeatHeard, repeatExpected, results;

    void tap(SDL_Keycode key, SDL_Scancode code, uint16_t mod = 0) {
        clock.pressNow(key, code, mod);
        clock.releaseNow(key, code, mod);
    }
    void type(char c) {
        Keystroke k{};
        ASSERT_TRUE(keystrokeFor(c, k)) << c;
        tap(k.key, SDL_Scancode(k.scancode), k.shift ? KMOD_LSHIFT : 0);
    }
    void newLine(const std::string& spoken) {
        line = typedFromSpeech(spoken);
        typedLines.push_back(line);
        typed = 0;
        typing = true;
    }

    void listen(const std::string& entry) {
        const std::string text = after(entry, "en: ");
        if (text.starts_with("Type these words.")) {
            newLine(after(text, "of the line. "));
        } else if (text.starts_with("Line ") && text.find(" of 10.") != std::string::npos) {
            lineNumber += 1;
            typing = false;
            if (lineNumber < 10) newLine(after(text, " of 10. "));
        } else if (text.starts_with("Words per minute")) {
            results = text;
        } else if (!chosen && text.starts_with("Lesson ")) {
            ++rowsHeard;
            if (!text.starts_with("Lesson " + std::to_string(lesson) + ":")) return;
            chosen = true;
            tap(SDLK_RETURN, SDL_SCANCODE_RETURN);
        } else if (enterPressed && !left && text.starts_with("Lesson ")) {
            left = true;
            tap(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        } else if (errorMade && errorHeard.empty() && entry != "cancel") {
            errorHeard = text;
        } else if (repeatAsked && repeatHeard.empty() && entry != "cancel") {
            repeatHeard = text;
        }
    }

    void onFrame() {
        ++frame;
        for (; heard < clock.voice.size(); ++heard) listen(clock.voice[heard]);
        // Down to the lesson, a row each time the row before was heard.
        if (!chosen && rowsHeard > downs && downs < lesson - 1) {
            tap(SDLK_DOWN, SDL_SCANCODE_DOWN);
            ++downs;
        }
        if (chosen && !typing && lineNumber == 0 && frame % 8 == 0)
            tap(SDLK_RIGHT, SDL_SCANCODE_RIGHT);  // on through the intro's waits
        if (!results.empty() && !enterPressed) tap(SDLK_RETURN, SDL_SCANCODE_RETURN);
        enterPressed |= !results.empty();
        if (!typing || typed >= line.size()) return;
        if (lineNumber == 0 && typed == 1 && !errorMade) {
            type(otherOnKey(line[typed]));  // the wrong character
            errorMade = true;
            return;
        }
        const size_t space = line.find(' ');
        if (lineNumber == 1 && !repeatAsked && space != std::string::npos && typed == space + 1) {
            tap(SDLK_F1, SDL_SCANCODE_F1);
            repeatAsked = true;
            repeatExpected = line.substr(typed);
            return;
        }
        type(line[typed++]);
    }
};

class SpokenLessonTest : public HostedTest, public ::testing::WithParamInterface<int> {};

TEST_P(SpokenLessonTest, ALearnerWhoNeverLooksTypesItByEar) {
    test.composeNarrowFrames();
    test.video().speech.on = true;
    clock.terminationFrame = 30000;  // a learner lost for good ends the program
    Listener listener(clock, GetParam());
    clock.onFrame = [&](const VideoMemory&) { listener.onFrame(); };
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu);
    runLessonMenu(menu);
    clock.onFrame = nullptr;
    ASSERT_EQ(listener.typedLines.size(), 10u) << ::testing::PrintToString(clock.voice);
    // What was heard is what the screen asked for: one error in all ten lines, the one made.
    EXPECT_TRUE(listener.results.starts_with("Words per minute: ")) << listener.results;
    EXPECT_NE(listener.results.find(". Errors: 1. Time: "), std::string::npos) << listener.results;
    char expected[48];
    characterName(uint8_t(listener.typedLines[0][1]), Language::English, expected);
    EXPECT_EQ(listener.errorHeard, expected);
    EXPECT_EQ(typedFromSpeech(listener.repeatHeard), listener.repeatExpected);
    EXPECT_TRUE(listener.left);
    EXPECT_EQ(clock.voice.back(), "en: Goodbye.");
    if (GetParam() != 1) return;
    // Lesson 1's every utterance and cancellation in order, each intro part cut off by the key
    // that ends its wait.
    const std::vector<std::string> heard = {
        "en: Lesson 1: Home Row Left. No best time yet. 1 of 11. Up and Down choose a lesson, "
        "Return starts it, Tab shows its progress, O opens the options, Escape leaves.",
        "en: Lesson 1: Home Row Left. This first lesson will teach you where to place your left "
        "hand. ",
        "cancel",
        "en: First, place your left index finger on the letter \"f.\" Key lit: f, left index "
        "finger.",
        "cancel",
        "en: Next, place your middle finger on the letter \"d.\" Key lit: d, left middle finger.",
        "cancel",
        "en: Let your ring and pinky fingers fall naturally on the letters \"s\" and \"a.\" Keys "
        "lit: s, left ring finger; a, left little finger.",
        "cancel",
        "en: You should also be able to reach the letter \"g\" without moving your hand. Key lit: "
        "g, left index finger.",
        "cancel",
        "en: When you're ready, press any key to start ... ",
        "cancel",
        "en: Type these words. F1 repeats the rest of the line. as, sass, fa, sass, gas, add, "
        "sad, fa, fad",
        "cancel",
        "en: s",
        "en: Line 1 of 10. fa, sass, a, sag, ad, as, fad, ads, fa, gas",
        "en: sass, a, sag, ad, as, fad, ads, fa, gas",
        "en: Line 2 of 10. fad, as, fad, ad, sag, as, gas, sass, fad, a",
    };
    ASSERT_GE(clock.voice.size(), heard.size() + 11);
    EXPECT_EQ(std::vector<std::string>(clock.voice.begin(), clock.voice.begin() + 19), heard);
    const std::vector<std::string> end = {
        "en: Line 10 of 10.",
        "en: Words per minute: 825. Errors: 1. Time: 5 seconds. A new best time! Press Enter to "
        "continue.",
        "en: Lesson 1: Home Row Left. Best time: 5 seconds. 1 of 11.", "en: Goodbye."};
    EXPECT_EQ(std::vector<std::string>(clock.voice.end() - 4, clock.voice.end()), end);
}

INSTANTIATE_TEST_SUITE_P(Lessons, SpokenLessonTest, ::testing::Values(1, 7, 9, 10));

// The error's name is asked for in the frame its key is judged; right keys say nothing unless
// every key is to be named.
TEST(SpeechTiming, TheErrorsNameIsAskedForInTheFrameItsKeyIsJudged) {
    for (bool echo : {false, true}) {
        Lesson lesson({}, "ab");
        lesson.test.video().speech.on = true;
        lesson.test.video().speech.echoKeys = echo;
        std::vector<size_t> saidBy;  // requests made by the time each frame was composed
        lesson.clock.onFrame = [&](const VideoMemory& memory) {
            lesson.look(memory);
            saidBy.push_back(lesson.clock.voice.size());
        };
        lesson.type(Exercise + 2, "b");  // wrong: "a" is due
        lesson.type(Exercise + 5, "a");
        lesson.escape(Exercise + 8);
        lesson.run();
        const size_t first = saidBy[Exercise];  // the first line, said as the exercise began
        ASSERT_GE(first, 1u);
        ASSERT_TRUE(lesson.clock.voice[first - 1].starts_with("en: Type these words."));
        EXPECT_EQ(saidBy[Exercise + 1], first);
        EXPECT_EQ(saidBy[Exercise + 2], first + 2) << "the cancel and the name, in that frame";
        EXPECT_EQ(std::vector<std::string>(lesson.clock.voice.begin() + long(first),
                                           lesson.clock.voice.begin() + long(first) + 2),
                  (std::vector<std::string>{"cancel", "en: a"}));
        EXPECT_EQ(saidBy[Exercise + 5], first + 2 + (echo ? 1 : 0));
        EXPECT_EQ(lesson.clock.voice.size() > first + 2 && lesson.clock.voice[first + 2] == "en: a",
                  echo);
    }
}

}  // namespace
