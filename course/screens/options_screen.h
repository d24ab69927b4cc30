// The Options screen, opened with O from the menu: one row per choice, Up and Down to pick a
// row, Left and Right (and Return) to change its value, Escape or O back to the menu. Every
// change takes effect at once and is saved at once.
#pragma once

#include "course/common/screen_exit.h"
#include "course/records/settings.h"

#include <cstdint>

struct VideoMemory;
struct VideoState;

// What a row works on.
struct OptionsContext {
    VideoState& video;
    Settings& settings;
};

// One row: its label, the value it shows, what a step of -1 (Left) or +1 (Right, Return)
// does, and the settings it changes, which are saved after every step.
struct OptionRow {
    const char* label;
    void (*show)(const OptionsContext& context, char (&value)[24]);
    void (*step)(OptionsContext& context, int direction);
    uint32_t keys;
};
extern const OptionRow OptionRows[];
extern const int OptionRowCount;

// Draws the screen with row `selected` picked; no frame is shown.
void drawOptionsScreen(OptionsContext& context, int selected);
// The screen's loop: Done after Escape or O, faded out; Quit when the program is to end.
ScreenExit runOptionsScreen(VideoState& video, Settings& settings);
// The menu's hint that names the screen, in sprites behind the list's rows.
void drawOptionsHint(VideoMemory& memory);
// Makes the sound output follow the settings: opened (the first time) and playing at their
// volume while the sound is on, silent while it is off. Sound off from the start opens no
// device.
void applySoundChoice(VideoState& video, const Settings& settings);
// Applies the colour scheme of the settings to the palette; false, said on stderr, when its
// palette file cannot be read (the palette stays as it was).
bool applyColourScheme(VideoState& video, ColourScheme scheme);
