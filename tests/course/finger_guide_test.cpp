// The finger guide through the host seam: the keys lit for the next character on the live
// layout, their fingers' colours and names, and no allocation from frame to frame.
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

// Every allocation of this program is counted (out of line: inlined, the optimiser takes the
// malloc and free for a mismatch with new and delete).
std::atomic<uint64_t> allocations{0};
[[gnu::noinline]] void* operator new(size_t size) {
    allocations += 1;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    std::abort();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
// The library's temporary buffers come from the form that fails with null.
[[gnu::noinline]] void* operator new(size_t size, const std::nothrow_t&) noexcept {
    allocations += 1;
    return std::malloc(size == 0 ? 1 : size);
}
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept {
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

bool fingerMarked(const VideoMemory& memory) {
    for (int sprite = FirstFingerMarkSprite; sprite < FirstFingerMarkSprite + 10; ++sprite)
        if ((memory.sprites[size_t(sprite)].attributes & SpriteVisible) != 0) return true;
    return false;
}

// What the program allocates between two frames: the test's own work in onFrame is left out.
struct FrameAllocations {
    uint64_t counted = 0, after = 0;
    void frameBegins(uint64_t atStart) { counted += after == 0 ? 0 : atStart - after; }
    void frameLooked() { after = allocations; }
};

// A lesson with the finger guide on, whose lines are `text` cut into lines of 30.
struct GuidedLesson : Lesson {
    GuidedLesson(const SimulatedLayout& layout, const std::string& text, Intro steps = {})
        : Lesson(std::move(steps)) {
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
    bool inExercise(const VideoMemory& memory) const {
        return readText(memory, Heading).rfind("Type these words:", 0) == 0 && lessonRun->running;
    }
};

// The intro lights "f" in its finger's colour and marks the finger; then a learner who presses
// only what is lit (and the space bar after a dead key) types every character of the ten
// lessons without an error, capitals with the other hand's Shift, and no frame allocates.
TEST(FingerGuide, PressingOnlyTheLitKeysTypesEveryCharacterOfTheTenLessonsOnEveryLayout) {
    std::string characters;
    for (const CourseLesson& lesson : builtInCourse().lessons)
        for (const std::string& entry : lesson.entries)
            for (char c : entry)
                if (characters.find(c) == std::string::npos) characters += c;
    for (const SimulatedLayout* layout :
         {&usLayout(), &germanLayout(), &frenchLayout(), &dvorakLayout()}) {
        GuidedLesson lesson(*layout, characters, {keyStep('f'), waitStep(), keyStep('f', false)});
        const KeyboardModel& keyboard = lesson.screen->keyboard;
        FrameAllocations frame;
        int frames = 0, shifted = 0, altGr = 0;
        // The key's face in its finger's zone, which shows the finger's bright colour.
        const auto expectFingersColour = [](const VideoMemory& memory, const KeyboardKey& key) {
            const int hue = fingerHue(fingerOf(key.scancode));
            const TileCell face = memory.maps[size_t(mapIndex(2, key.column, key.row))];
            EXPECT_EQ(cellGroupOf(face), FirstZoneGroup + hue);
            EXPECT_EQ(memory.palette[size_t((FirstZoneGroup + hue) * 16 + LitFaceValue)],
                      litShades(memory.palette, hue).face);
        };
        lesson.clock.onFrame = [&](const VideoMemory& memory) {
            const uint64_t atStart = allocations;
            const std::vector<int> lit = litKeys(memory, keyboard);
            if (lesson.clock.framesComposed == 70) {  // the intro waits
                ASSERT_EQ(lit, std::vector<int>{keyboard.keyByChar[size_t('f')]});
                expectFingersColour(memory, keyboard.keys[lit[0]]);
                EXPECT_TRUE(fingerMarked(memory));
                lesson.clock.pressNow(SDLK_RIGHT, SDL_SCANCODE_RIGHT);
            }
            if (!lesson.inExercise(memory)) return;
            frame.frameBegins(atStart);
            frames += 1;
            ASSERT_TRUE(lit.size() == 1 || lit.size() == 2) << lit.size();
            const KeyboardKey& key = keyboard.keys[lit[0]];
            ASSERT_LT(lit[0], CharacterKeys);
            expectFingersColour(memory, key);
            uint16_t mod = KMOD_NONE;
            if (lit.size() == 2) {
                const KeyboardKey& modifier = keyboard.keys[lit[1]];
                const bool isAltGr = modifier.scancode == SDL_SCANCODE_RALT;
                ASSERT_TRUE(isAltGr || modifier.scancode == SDL_SCANCODE_LSHIFT ||
                            modifier.scancode == SDL_SCANCODE_RSHIFT);
                // A Shift is the other hand's.
                EXPECT_TRUE(isAltGr || onLeftHand(modifier.finger) != onLeftHand(key.finger));
                mod = isAltGr                                    ? KMOD_RALT
                      : modifier.scancode == SDL_SCANCODE_LSHIFT ? KMOD_LSHIFT
                                                                 : KMOD_RSHIFT;
                (isAltGr ? altGr : shifted) += 1;
            }
            const SDL_Scancode scancode = SDL_Scancode(key.scancode);
            lesson.clock.pressNow(0, scancode, mod);
            lesson.clock.releaseNow(0, scancode, mod);
            const auto simulated =
                std::find_if(layout->begin(), layout->end(),
                             [&](const SimulatedKey& s) { return s.scancode == scancode; });
            ASSERT_NE(simulated, layout->end());
            if (isDead(mod == KMOD_RALT ? simulated->altGr
                       : mod != 0       ? simulated->shifted
                                        : simulated->alone)) {
                lesson.clock.pressNow(SDLK_SPACE, SDL_SCANCODE_SPACE);
                lesson.clock.releaseNow(SDLK_SPACE, SDL_SCANCODE_SPACE);
            }
            frame.frameLooked();
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
        EXPECT_EQ(frame.counted, 0u);
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

// The lit keys and the finger names follow Caps Lock and the layout (reported, or found when
// the focus comes back); a character no key types is named in the text box; a letter of a
// dead key lights both strokes. None of it allocates.
TEST(FingerGuide, TheLitKeysFollowCapsLockAndTheLiveLayout) {
    struct Step {
        const char* what;
        std::function<void(VirtualHost&)> act;
        std::vector<SDL_Scancode> lit;
        const char* names;
        const char* note = "";
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
        {"US", {}, {SDL_SCANCODE_Z}, "Left little"},
        {"Caps Lock on: the small letter needs Shift",
         press(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_CAPS),
         {SDL_SCANCODE_Z, SDL_SCANCODE_RSHIFT},
         "Left little + right little on Shift"},
        {"Caps Lock off",
         press(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, KMOD_NONE),
         {SDL_SCANCODE_Z},
         "Left little"},
        {"German, reported", layout(germanLayout(), true), {SDL_SCANCODE_Y}, "Right index"},
        {"\"z\" typed, \"\xE7\" next: no German key",
         press(SDLK_y, SDL_SCANCODE_Y, KMOD_NONE),
         {},
         "",
         "No key: \"\xE7\""},
        {"French, found when the focus comes back",
         layout(frenchLayout(), false),
         {SDL_SCANCODE_9},
         "Right ring"},
        {"\"\xE7\" typed, \"@\" next: AltGr",
         press(0, SDL_SCANCODE_9, KMOD_NONE),
         {SDL_SCANCODE_0, SDL_SCANCODE_RALT},
         "Right little + right thumb on AltGr"},
        {"\"@\" typed, \"\xEA\" next: the dead circumflex, then e",
         press(0, SDL_SCANCODE_0, KMOD_RALT),
         {SDL_SCANCODE_E, SDL_SCANCODE_LEFTBRACKET},
         "Right little, then left middle"},
    };
    GuidedLesson lesson(usLayout(), "z\xE7@\xEA");
    FrameAllocations frame;
    size_t step = 0;
    lesson.clock.onFrame = [&](const VideoMemory& memory) {
        const uint64_t atStart = allocations;
        if (!lesson.inExercise(memory) || step >= std::size(steps)) return;
        frame.frameBegins(atStart);
        const Step& now = steps[step];
        const std::vector<uint32_t> expected(now.lit.begin(), now.lit.end());
        EXPECT_EQ(litScancodes(memory, lesson.screen->keyboard), expected) << now.what;
        EXPECT_EQ(trimmed(readText(memory, {0, 8 * FingerNamesRow, 40, {0, 0, 0}})), now.names)
            << now.what;
        // The letter's own glyph, which the reading of ASCII text shows as unknown.
        std::string note = readText(memory, {152, 128, 11, LessonStyle});
        const TileCell letter = memory.maps[size_t(mapIndex(0, 28, HeadingRow))];
        if (note.size() == 11 && cellTileOf(letter) == lessonFontTile(0xE7)) note[9] = '\xE7';
        EXPECT_EQ(note, now.note) << now.what;
        if (++step < std::size(steps)) steps[step].act(lesson.clock);
        frame.frameLooked();
    };
    lesson.clock.quit(Exercise + 20);
    lesson.run();
    EXPECT_EQ(step, std::size(steps));
    EXPECT_EQ(frame.counted, 0u);
}

}  // namespace
