// The finger guide during the exercise and the intro, through the host seam: the keys lit for
// the next character on the learner's live layout, their fingers' colours, the hands and the
// names, and no allocation from frame to frame.
#include "course/common/art_tiles.h"
#include "course/common/finger_colours.h"
#include "course/common/screen_layout.h"
#include "course/common/screen_text.h"
#include "course/lesson/finger_guide.h"
#include "tests/support/lesson_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

// Every allocation of this test program is counted, so that a frame's can be.
std::atomic<uint64_t> allocations{0};
void* operator new(size_t size) {
    allocations += 1;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    std::abort();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// The shown keys whose faces are lit, read from the keyboard's map.
std::vector<int> litKeys(const VideoMemory& memory, const KeyboardModel& keyboard) {
    std::vector<int> lit;
    for (int k = 0; k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        const TileCell face = memory.maps[size_t(mapIndex(2, key.column, key.row))];
        if (key.shown && cellTileOf(face) == art::LitKeyTopLeft) lit.push_back(k);
    }
    return lit;
}

// A palette whose every entry differs, so that colours can be told apart.
void fillPalette(Palette& palette) {
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint32_t(i * 0x010305) & 0xFFFFFF;
}

bool isDead(char32_t c) {
    return c >= 0x300 && c < 0x370;
}

// A lesson with the finger guide on, whose lines are `text` cut into lines of 30.
struct GuidedLesson : Lesson {
    GuidedLesson(const SimulatedLayout& layout, const std::string& text) {
        clock.layout = &layout;
        fillPalette(test.memory().palette);
        const char* line = "ab";
        setUpLessonScreen(test.video(), *screen, &line, 1, "", &intro);
        screen->fingerGuide = true;
        for (int i = 0; i < LineCount; ++i) {
            const std::string part = text.substr(std::min(text.size(), size_t(30 * i)), 30);
            std::strcpy(screen->lines[i], part.empty() ? "." : part.c_str());
        }
    }
};

// A learner who presses only what is lit, one key a frame: the character's key, with the
// Shift or AltGr lit beside it, and after a dead key the space bar.
TEST(FingerGuide, PressingOnlyTheLitKeysTypesEveryCharacterOfTheTenLessonsOnEveryLayout) {
    std::string characters;
    for (const CourseLesson& lesson : builtInCourse().lessons)
        for (const std::string& entry : lesson.entries)
            for (char c : entry)
                if (characters.find(c) == std::string::npos) characters += c;
    for (const SimulatedLayout* layout :
         {&usLayout(), &germanLayout(), &frenchLayout(), &dvorakLayout()}) {
        GuidedLesson lesson(*layout, characters);
        const KeyboardModel& keyboard = lesson.screen->keyboard;
        int frames = 0, shifted = 0, altGr = 0;
        lesson.clock.onFrame = [&](const VideoMemory& memory) {
            lesson.look(memory);
            if (readText(memory, Heading) != "Type these words:" || !lesson.lessonRun->running)
                return;
            frames += 1;
            const std::vector<int> lit = litKeys(memory, keyboard);
            ASSERT_TRUE(lit.size() == 1 || lit.size() == 2) << lit.size();
            const KeyboardKey& key = keyboard.keys[lit[0]];
            ASSERT_LT(lit[0], CharacterKeys);
            // Its face in its finger's zone, which shows the finger's bright colour.
            const int hue = fingerHue(fingerOf(key.scancode));
            const TileCell face = memory.maps[size_t(mapIndex(2, key.column, key.row))];
            EXPECT_EQ(cellGroupOf(face), FirstZoneGroup + hue);
            EXPECT_EQ(memory.palette[size_t((FirstZoneGroup + hue) * 16 + LitFaceValue)],
                      litShades(memory.palette, hue).face);
            uint16_t mod = KMOD_NONE;
            if (lit.size() == 2) {
                const KeyboardKey& modifier = keyboard.keys[lit[1]];
                if (modifier.scancode == SDL_SCANCODE_RALT) {
                    mod = KMOD_RALT;
                    altGr += 1;
                } else {
                    // The other hand's Shift.
                    ASSERT_TRUE(modifier.scancode == SDL_SCANCODE_LSHIFT ||
                                modifier.scancode == SDL_SCANCODE_RSHIFT);
                    EXPECT_NE(onLeftHand(modifier.finger), onLeftHand(key.finger)) << key.lowerChar;
                    mod = modifier.scancode == SDL_SCANCODE_LSHIFT ? KMOD_LSHIFT : KMOD_RSHIFT;
                    shifted += 1;
                }
            }
            const SDL_Scancode scancode = SDL_Scancode(key.scancode);
            lesson.clock.pressNow(0, scancode, mod);
            lesson.clock.releaseNow(0, scancode, mod);
            const auto simulated =
                std::find_if(layout->begin(), layout->end(),
                             [&](const SimulatedKey& s) { return s.scancode == scancode; });
            ASSERT_NE(simulated, layout->end());
            const char32_t typed = mod == KMOD_RALT ? simulated->altGr
                                   : mod != 0       ? simulated->shifted
                                                    : simulated->alone;
            if (isDead(typed)) {
                lesson.clock.pressNow(SDLK_SPACE, SDL_SCANCODE_SPACE);
                lesson.clock.releaseNow(SDLK_SPACE, SDL_SCANCODE_SPACE);
            }
        };
        lesson.clock.keyDown(Exercise + 400, SDLK_RETURN, SDL_SCANCODE_RETURN);
        lesson.clock.quit(Exercise + 800);  // a learner led astray gives up
        lesson.run();
        int length = 0;
        for (const char* line : lesson.screen->lines) length += int(std::strlen(line));
        EXPECT_EQ(lesson.summary().characters, length);
        EXPECT_EQ(lesson.summary().errors, 0);
        EXPECT_EQ(frames, length);    // one press a character, not more
        EXPECT_GE(shifted, 26 + 10);  // capitals at least, and punctuation
        EXPECT_EQ(altGr > 0, layout == &germanLayout() || layout == &frenchLayout());
    }
}

std::vector<uint32_t> litScancodes(const VideoMemory& memory, const KeyboardModel& keyboard) {
    std::vector<uint32_t> scancodes;
    for (int k : litKeys(memory, keyboard)) scancodes.push_back(keyboard.keys[k].scancode);
    return scancodes;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first);
}

// The lit keys follow Caps Lock and the layout, reported or found when the focus comes back,
// and the names under the keyboard follow them; a character that no key types is named in
// the text box instead, until a layout types it.
TEST(FingerGuide, TheLitKeysFollowCapsLockAndTheLiveLayout) {
    struct Step {
        const char* what;
        std::function<void(VirtualHost&)> act;
        std::vector<SDL_Scancode> lit;
        const char* names;
        const char* note;
    };
    const auto press = [](SDL_Keycode key, SDL_Scancode scancode, uint16_t mod) {
        return [=](VirtualHost& host) {
            host.pressNow(key, scancode, mod);
            host.releaseNow(key, scancode, mod);
        };
    };
    const auto layout = [](const SimulatedLayout& next, bool reported) {
        return [&next, reported](VirtualHost& host) {
            host.layout = &next;
            SDL_Event event{reported ? SDL_KEYMAPCHANGED : SDL_WINDOWEVENT};
            event.window.event = reported ? 0 : SDL_WINDOWEVENT_FOCUS_GAINED;
            host.deliverNow(event);
        };
    };
    const Step steps[] = {
        {"US", [](VirtualHost&) {}, {SDL_SCANCODE_Z}, "Left little", ""},
        {"Caps Lock on: the small letter needs Shift",
         press(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS),
         {SDL_SCANCODE_Z, SDL_SCANCODE_RSHIFT},
         "Left little + right little on Shift",
         ""},
        {"Caps Lock off",
         press(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_NONE),
         {SDL_SCANCODE_Z},
         "Left little",
         ""},
        {"German, reported", layout(germanLayout(), true), {SDL_SCANCODE_Y}, "Right index", ""},
        {"\"z\" typed, \"\xE9\" next: no German key",
         press(SDLK_y, SDL_SCANCODE_Y, KMOD_NONE),
         {},
         "",
         "No key: \"\xE9\""},
        {"French, found when the focus comes back",
         layout(frenchLayout(), false),
         {SDL_SCANCODE_2},
         "Left ring",
         ""},
        {"\"\xE9\" typed, \"@\" next: AltGr",
         press(0, SDL_SCANCODE_2, KMOD_NONE),
         {SDL_SCANCODE_0, SDL_SCANCODE_RALT},
         "Right little + right thumb on AltGr",
         ""},
    };
    GuidedLesson lesson(usLayout(), "z\xE9@");
    std::vector<std::vector<uint32_t>> lit;
    std::vector<std::string> names, notes;
    size_t step = 0;
    lesson.clock.onFrame = [&](const VideoMemory& memory) {
        lesson.look(memory);
        if (readText(memory, Heading).rfind("Type these words:", 0) != 0) return;
        lit.push_back(litScancodes(memory, lesson.screen->keyboard));
        names.push_back(trimmed(readText(memory, {0, 8 * FingerNamesRow, 40, {0, 0, 0}})));
        // The letter's own glyph, which the reading of ASCII text shows as unknown.
        std::string note = readText(memory, {152, 128, 11, LessonStyle});
        const TileCell letter = memory.maps[size_t(mapIndex(0, 28, HeadingRow))];
        if (note.size() == 11 && cellTileOf(letter) == lessonFontTile(0xE9)) note[9] = '\xE9';
        notes.push_back(note);
        if (step + 1 < std::size(steps)) steps[++step].act(lesson.clock);
    };
    lesson.clock.quit(Exercise + 20);
    lesson.run();
    ASSERT_GE(lit.size(), std::size(steps));
    for (size_t i = 0; i < std::size(steps); ++i) {
        const std::vector<uint32_t> expected(steps[i].lit.begin(), steps[i].lit.end());
        EXPECT_EQ(lit[i], expected) << steps[i].what;
        EXPECT_EQ(names[i], steps[i].names) << steps[i].what;
        EXPECT_EQ(notes[i], steps[i].note) << steps[i].what;
    }
}

// In the intro a lit key shows in its finger's colour, the finger marked on its hand; without
// the guide it shows pressed as ever, the keys untinted, no hand and no bump.
TEST(FingerGuide, TheIntroLightsItsKeysInTheirFingersColours) {
    for (bool guide : {false, true}) {
        Lesson lesson({keyStep('f'), waitStep(), keyStep('f', false), waitStep()});
        lesson.screen->fingerGuide = guide;
        fillPalette(lesson.test.memory().palette);
        const KeyboardKey& f =
            lesson.screen->keyboard.keys[lesson.screen->keyboard.keyByChar[size_t('f')]];
        const KeyboardKey& q =
            lesson.screen->keyboard.keys[lesson.screen->keyboard.keyByChar[size_t('q')]];
        struct Look {
            int fTile, fGroup, qGroup;
            bool hand, bump, indexMarked;
            uint32_t indexFill;
        };
        std::vector<Look> looks;
        lesson.clock.onFrame = [&](const VideoMemory& memory) {
            const auto face = [&memory](const KeyboardKey& key) {
                return memory.maps[size_t(mapIndex(2, key.column, key.row))];
            };
            const auto visible = [&memory](int sprite) {
                return (memory.sprites[size_t(sprite)].attributes & SpriteVisible) != 0;
            };
            looks.push_back({cellTileOf(face(f)), cellGroupOf(face(f)), cellGroupOf(face(q)),
                             visible(FirstHandSprite), visible(HomeBumpSprite),
                             visible(FirstFingerMarkSprite + 3),
                             memory.palette[size_t(LeftHandGroup * 16 + 5 + 3)]});
        };
        lesson.press(Exercise + 10, SDLK_x, SDL_SCANCODE_X);
        lesson.escape(Exercise + 20);
        lesson.run();
        const Palette& palette = lesson.test.memory().palette;
        const uint32_t bright = litShades(palette, 3).face;
        const Look lit = looks[70], released = looks[Exercise + 12];
        if (guide) {
            EXPECT_EQ(lit.fTile, art::LitKeyTopLeft);
            EXPECT_EQ(lit.fGroup, FirstZoneGroup + 3);  // index fingers
            EXPECT_EQ(lit.qGroup, FirstZoneGroup + 0);  // little fingers
            EXPECT_TRUE(lit.hand && lit.bump && lit.indexMarked);
            EXPECT_EQ(lit.indexFill, bright);
            EXPECT_EQ(released.fTile, art::KeyTopLeft);
            EXPECT_FALSE(released.indexMarked);
            EXPECT_NE(released.indexFill, bright);
        } else {
            EXPECT_EQ(lit.fTile, art::PressedKeyTopLeft);
            EXPECT_EQ(lit.fGroup, 0);
            EXPECT_EQ(lit.qGroup, 0);
            EXPECT_FALSE(lit.hand || lit.bump || lit.indexMarked);
            EXPECT_EQ(released.fTile, art::KeyTopLeft);
        }
    }
}

// With the guide on, the exercise's frames allocate nothing, whatever they show: keys typed,
// a wrong one, Caps Lock, a new layout. (The learner's own presses are not counted.)
TEST(FingerGuide, TheExerciseAllocatesNothingFromFrameToFrame) {
    GuidedLesson lesson(usLayout(), "Ab cd");
    uint64_t counted = 0, frames = 0, after = 0;
    int frame = 0;
    lesson.clock.onFrame = [&](const VideoMemory& memory) {
        const uint64_t before = allocations;
        const bool exercise = readText(memory, Heading).rfind("Type these words:", 0) == 0;
        if (exercise && after != 0) {
            counted += before - after;
            frames += 1;
        }
        VirtualHost& host = lesson.clock;
        if (exercise) {
            switch (frame++) {
            case 1: host.typeText(0, U"A"); break;
            case 2: host.pressNow(SDLK_x, SDL_SCANCODE_X); break;
            case 3: host.pressNow(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS); break;
            case 4:
                host.layout = &germanLayout();
                host.deliverNow(SDL_Event{SDL_KEYMAPCHANGED});
                break;
            case 20: host.quitNow(); break;
            default: break;
            }
        }
        after = allocations;
    };
    lesson.run();
    EXPECT_GE(frames, 19u);
    EXPECT_EQ(counted, 0u);
}

}  // namespace
