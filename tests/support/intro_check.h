// What every intro must be, whoever wrote it: texts inside the text box, keys the keyboard
// has, and every key it lights released again before the exercise.
#pragma once

#include "course/common/screen_layout.h"
#include "course/content/course.h"
#include "course/keyboard/keyboard_model.h"

#include <gtest/gtest.h>

#include <set>

inline void expectIntroFits(const Intro& intro, const KeyboardModel& keyboard) {
    std::set<uint8_t> lit;
    for (const IntroStep& step : intro) {
        const bool onRow = step.kind == StepKind::Print || step.kind == StepKind::Clear;
        const bool key = step.kind == StepKind::Light || step.kind == StepKind::Release;
        EXPECT_TRUE(!onRow || (step.row >= IntroFirstRow && step.row < IntroFirstRow + IntroRows));
        EXPECT_LE(TextColumn + int(step.text.size()), ScreenColumns) << step.text;
        EXPECT_TRUE(!key || keyboard.keyByChar[step.key] != NoKey) << int(step.key);
        if (step.kind == StepKind::Light) lit.insert(step.key);
        const bool wasLit = step.kind != StepKind::Release || lit.erase(step.key) == 1;
        EXPECT_TRUE(wasLit) << int(step.key);
    }
    EXPECT_TRUE(lit.empty());
}
