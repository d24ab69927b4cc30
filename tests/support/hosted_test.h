// The fixture of the headless screen tests: the virtual host installed for the test, video
// memory, and a fresh data folder for the best times and the history.
#pragma once

#include "course/screens/lesson_menu.h"
#include "tests/support/learner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_video.h"

#include <gtest/gtest.h>

#include <functional>

class HostedTest : public ::testing::Test {
  protected:
    VirtualHost clock;
    TestVideo test;
    TempFolder data;

    void SetUp() override {
        installVirtualHost(clock);
        clock.dataFolder = data.path.string();
    }
    void TearDown() override { restoreHost(); }

    // The menu with a learner who steps `rightPresses` courses on and picks a lesson
    // `idleFrames` after the fade-in, plays it and
    // leaves the menu with Escape (or ends the program otherwise, as planned); `look` sees every
    // frame before the learner does. The menu plays with `settings` when given.
    void playFromMenu(LessonMenu& menu, Learner& learner, int idleFrames = 0,
                      std::function<void(const VideoMemory&)> look = {}, int rightPresses = 0,
                      Settings* settings = nullptr) {
        clock.onFrame = [&](const VideoMemory& memory) {
            if (look) look(memory);
            learner.onFrame(memory);
        };
        setUpLessonMenu(test.video(), menu, settings);
        const uint64_t enter = clock.framesComposed + 64 + uint64_t(idleFrames);
        for (int i = 0; i < rightPresses; ++i) clock.keyDown(enter, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
        for (int i = 0; i < learner.plan.menuDownPresses; ++i)
            clock.keyDown(enter, SDLK_DOWN, SDL_SCANCODE_DOWN);
        clock.keyDown(enter, SDLK_RETURN, SDL_SCANCODE_RETURN);
        runLessonMenu(menu);
        clock.onFrame = nullptr;
    }
};
