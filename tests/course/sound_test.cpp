// A lesson's sounds read back from SDL's disk driver at the samples of the frames that judged
// them; the cues a lesson tells; the sound rows; a device that cannot open or goes away.
#include "course/common/sounds.h"
#include "course/screens/options_screen.h"
#include "engine/window_modes.h"
#include "tests/support/hosted_test.h"
#include "tests/support/lesson_fixture.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t SamplesPerFrame = SoundRate / FramesPerSecond;

// SDL's disk driver writing into a file of a fresh folder (or into `file`).
struct DiskSound {
    TempFolder folder;
    std::string file;
    explicit DiskSound(const std::string& into = "") : file(into) {
        if (file.empty()) file = folder.file("sound.raw");
        SDL_setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
#ifndef _WIN32
        // Not on Windows, where SDL's getenv shares one buffer: the file's name would be "0".
        SDL_setenv("SDL_DISKAUDIODELAY", "0", 1);
#endif
        SDL_InitSubSystem(SDL_INIT_EVENTS);
        SDL_AudioInit("disk");
    }
    ~DiskSound() {
        SDL_AudioQuit();
    }
};

// A listener for one test.
struct Listening {
    CueListener listener;
    Listening(CueListener heard, void* data) : listener(heard) { listenToCues(heard, data); }
    ~Listening() { stopListeningToCues(listener); }
};

// The output of a test, closed at its end (after its device, if held, is let go).
struct Closing {
    VirtualHost& clock;
    SoundOutput& output;
    ~Closing() {
        clock.releaseSound();
        closeSoundOutput(output);
    }
    // Lets the held device go and waits until it has mixed `samples`.
    void mixOut(uint64_t samples) {
        clock.releaseSound();
        for (int waited = 0; output.samplesMixed.load() < samples && waited < 60000; ++waited)
            SDL_Delay(1);
    }
};

// What the mixer makes of sounds started together, at `volume`.
std::vector<int16_t> mixedAlone(std::vector<Sound> sounds, int32_t volume) {
    SoundMixer mixer{};
    SoundQueue queue;
    resetMixer(mixer, queue, soundWaves(), SoundCount);
    int32_t length = 0;
    for (Sound sound : sounds) {
        queueSound(queue, {int32_t(sound), 0});
        length = std::max(length, soundWaves()[int(sound)].length);
    }
    std::vector<int16_t> out(static_cast<size_t>(length));
    mixSound(mixer, queue, volume, out.data(), length);
    return out;
}

using Heard = std::vector<std::pair<std::string, uint64_t>>;  // what, at which frame

// The sounds in the samples written, by name, at the frames their first samples belong to.
Heard soundsIn(const std::vector<int16_t>& file, size_t first, int32_t volume) {
    const std::map<std::string, std::vector<int16_t>> known = {
        {"click and line end", mixedAlone({Sound::Click, Sound::LineEnd}, volume)},
        {"click", mixedAlone({Sound::Click}, volume)},
        {"error", mixedAlone({Sound::Error}, volume)},
    };
    Heard heard;
    for (size_t at = first; at < file.size();) {
        if (file[at] == 0) {
            ++at;
            continue;
        }
        bool found = false;
        for (const auto& [name, wave] : known) {
            const auto lead = std::find_if(wave.begin(), wave.end(), [](int16_t v) { return v; });
            const size_t start = at - size_t(lead - wave.begin());
            if (start < first || start + wave.size() > file.size() ||
                !std::equal(wave.begin(), wave.end(), file.begin() + long(start)))
                continue;
            heard.push_back({name, (start - first) / SamplesPerFrame});
            at = start + wave.size();
            found = true;
            break;
        }
        if (!found) {
            heard.push_back({"something else", (at - first) / SamplesPerFrame});
            break;
        }
    }
    return heard;
}

// A line typed with two wrong keys: a click for each right key, an error tone for each wrong
// one, the line's cue with its last click, and nothing else, on the samples of the frames that
// judged them; with errors only, the two tones alone.
TEST(SoundOnDisk, ALineWithTwoErrorsSoundsOnTheFramesThatJudgedIt) {
    for (SoundMode mode : {SoundMode::All, SoundMode::Errors}) {
        DiskSound disk;
        Lesson lesson({}, "sad lad");
        lesson.clock.openSound = true;
        Settings settings;
        settings.sound = mode;
        SoundOutput& output = lesson.test.video().sound;
        CueSounds sounds{&output, &settings.sound};
        Listening listening(playCueSound, &sounds);
        Closing closing{lesson.clock, output};
        applySoundChoice(lesson.test.video(), settings);
        ASSERT_NE(lesson.clock.heldSound, 0u) << SDL_GetError();

        Heard expected;
        uint64_t frame = Exercise + 10;
        const std::string line = "sad lad";
        for (size_t i = 0; i < line.size(); ++i, frame += 12) {
            if (i == 0 || i == 4) {
                lesson.type(frame, i == 0 ? "x" : "k");
                expected.push_back({"error", frame});
                frame += 12;
            }
            lesson.type(frame, line.substr(i, 1));
            if (mode == SoundMode::All)
                expected.push_back({i + 1 < line.size() ? "click" : "click and line end", frame});
        }
        lesson.escape(frame + 30);
        lesson.run();
        closing.mixOut((frame + 60) * SamplesPerFrame);
        closeSoundOutput(output);

        const Bytes bytes = readBytes(disk.file);
        std::vector<int16_t> file(bytes.size() / 2);
        std::memcpy(file.data(), bytes.data(), file.size() * 2);
        // Silence before the first buffer mixed; the device opened at virtual time 0.
        ASSERT_GE(file.size(), output.mixer.position);
        ASSERT_EQ(output.origin, 0u);
        const size_t first = file.size() - size_t(output.mixer.position);
        EXPECT_EQ(soundsIn(file, first, settings.volume), expected) << int(mode);
    }
}

// The cues told, with a copy of their text, which lives only as long as the cue.
std::vector<std::pair<Cue, std::string>> told;
void keep(const Cue& cue, void*) {
    told.push_back({cue, cue.text != nullptr ? cue.text : "(none)"});
}

using SoundCues = HostedTest;

// A lesson from the menu tells the row chosen, every key judged, the ten lines' ends with the
// line that follows, and the results, a new best the first time only.
TEST_F(SoundCues, ALessonTellsEveryKeyEveryLineAndItsResults) {
    Listening listening(keep, nullptr);
    for (bool first : {true, false}) {
        told.clear();
        LessonMenu menu{};
        Learner learner(clock, {.menuDownPresses = 1, .wrongKeyEvery = 9});
        playFromMenu(menu, learner);
        ASSERT_EQ(learner.phase, LearnerPhase::BackInMenu);
        std::map<CueKind, int> kinds;
        std::vector<int32_t> lines;
        std::string line;  // one click for each character of every line
        int rights = 0;
        for (size_t i = 0; i < told.size(); ++i) {
            const auto& [cue, text] = told[i];
            kinds[cue.kind] += 1;
            if (cue.kind == CueKind::KeyRight) line = text, rights += 1;
            if (cue.kind != CueKind::LineDone) continue;
            lines.push_back(cue.number);
            EXPECT_EQ(rights, int(line.size())) << cue.number;
            rights = 0;
            // The line it names is the one the next key is judged in; none after the last.
            const bool key = i + 1 < told.size() && told[i + 1].first.kind <= CueKind::KeyWrong;
            EXPECT_EQ(text, key ? told[i + 1].second : "(none)") << cue.number;
        }
        ASSERT_FALSE(told.empty());
        const auto& [chosen, title] = told.front();
        EXPECT_TRUE(chosen.kind == CueKind::RowChosen && chosen.number == 1 &&
                    title == menu.entries[1].title);
        EXPECT_EQ(kinds[CueKind::KeyWrong], learner.errorsMade);
        EXPECT_EQ(lines, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        const Cue& results = told.back().first;
        EXPECT_EQ(kinds[CueKind::Results], 1);
        EXPECT_TRUE(results.kind == CueKind::Results && results.newBest == first);
        EXPECT_EQ(results.errors, learner.results.errors);
        EXPECT_EQ(results.seconds, learner.results.seconds);
        EXPECT_EQ(results.wordsPerMinute, learner.results.wordsPerMinute);
    }
}

using SoundRows = HostedTest;

// Sound off opens nothing; on (errors only, then all) asks for a device, which the host lacks
// (said once); the volume stops at 10; off and on again asks anew. Every step is saved.
TEST_F(SoundRows, TheSoundAndItsVolumeAreTurnedUpAndKept) {
    test.composeNarrowFrames();
    Settings settings;
    applySoundChoice(test.video(), settings);
    EXPECT_EQ(clock.soundOpens, 0);
    LessonMenu menu{};
    setUpLessonMenu(test.video(), menu, &settings);
    uint64_t frame = 70;
    const auto press = [&](SDL_Keycode key, SDL_Scancode code, int times = 1) {
        for (int i = 0; i < times; ++i) clock.keyDown(frame++, key, code);
    };
    press(SDLK_o, SDL_SCANCODE_O);
    frame += 140;
    press(SDLK_DOWN, SDL_SCANCODE_DOWN, 5);
    press(SDLK_RIGHT, SDL_SCANCODE_RIGHT, 2);
    press(SDLK_DOWN, SDL_SCANCODE_DOWN);
    press(SDLK_RIGHT, SDL_SCANCODE_RIGHT, 5);
    const uint64_t loudest = frame;
    std::string shown;  // the volume row's value then
    clock.onFrame = [&](const VideoMemory& memory) {
        if (clock.framesComposed == loudest)
            shown = readText(memory, {168, 128, 6, HighlightStyle});
    };
    press(SDLK_UP, SDL_SCANCODE_UP);
    press(SDLK_RIGHT, SDL_SCANCODE_RIGHT, 2);
    press(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    frame += 140;
    press(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    ::testing::internal::CaptureStderr();
    runLessonMenu(menu);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown, "< 10 >");
    EXPECT_TRUE(settings.sound == SoundMode::Errors && settings.volume == LargestVolume);
    EXPECT_EQ(clock.soundOpens, 2);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("the program goes on without sound"), std::string::npos) << said;
    const Bytes saved = readBytes(data.file(SettingsFileName));
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("sound = errors\nvolume = 10\n"),
              std::string::npos);
}

// A device that cannot open (a file in a file) or goes away (a full disk) is said once on
// stderr and leaves every sound dropped; SDL's report is taken from any screen's events.
TEST(SoundDevice, OneThatCannotOpenOrGoesAwayIsSaidOnceAndLeavesSilence) {
    Lesson lesson;  // the virtual host, and video state
    VirtualHost& clock = lesson.clock;
    clock.openSound = true;
    SoundOutput& output = lesson.test.video().sound;
    Closing closing{clock, output};
    {
        TempFolder folder;  // a file in place of the folder the sound file would go in
        writeBytes(folder.file("file"), {});
        DiskSound disk((folder.path / "file" / "sound.raw").string());
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(startSoundOutput(output, soundWaves(), SoundCount));
        pauseSoundOutput(output);  // off and on again: tried again, said no more
        EXPECT_FALSE(startSoundOutput(output, soundWaves(), SoundCount));
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(clock.soundOpens, 2);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    pauseSoundOutput(output);
#ifndef _WIN32
    DiskSound disk("/dev/full");
    ASSERT_TRUE(startSoundOutput(output, soundWaves(), SoundCount)) << SDL_GetError();
    clock.releaseSound();
    SDL_Event event{};
    for (int waited = 0; event.type != SDL_AUDIODEVICEREMOVED && waited < 20000; ++waited) {
        if (SDL_PollEvent(&event) == 0) SDL_Delay(1);
    }
    ASSERT_EQ(event.type, uint32_t(SDL_AUDIODEVICEREMOVED));
    ::testing::internal::CaptureStderr();
    clock.deliverNow(event);
    clock.deliverNow(event);
    SDL_Event given;
    EXPECT_EQ(nextEvent(lesson.test.video(), given), 0);
    const uint32_t asked = output.queue.written.load();
    playSound(output, int32_t(Sound::Click));
    EXPECT_EQ(output.queue.written.load(), asked);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Quenmore: the sound device went away; the program goes on without sound\n");
#endif
}

}  // namespace
