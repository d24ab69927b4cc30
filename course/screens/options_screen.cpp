#include "course/screens/options_screen.h"

#include "course/common/art_tiles.h"
#include "course/common/cues.h"
#include "course/common/screen_text.h"
#include "engine/fades.h"
#include "engine/host.h"
#include "engine/speech.h"
#include "engine/window_modes.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr TileCell Blank = art::MainFont + ' ';
constexpr TileCell UnselectedGroup = cellTile(0, 1);
constexpr TileCell SelectedGroup = cellTile(0, 0);
constexpr int FirstRow = 4;     // map row of the first option
constexpr int RowPitch = 2;     // map rows from one option to the next
constexpr int VisibleRows = 8;  // options shown at once; the list scrolls past them
constexpr int LabelColumn = 3;
constexpr int ValueColumn = 21;
constexpr int TitleRow = 1;
constexpr int HintRow = 20;
constexpr const char* MenuHint = "O: Options";
constexpr int MenuHintFirstSprite = 13;  // after the progress hint's

// The display rows change the window at once.
void showDisplay(OptionsContext& context) {
    context.video.choice = displayChoiceOf(context.settings);
    applyDisplayChoice(context.video);
}

int wrapped(int value, int direction, int count) {
    return ((value + direction) % count + count) % count;
}

// A step of a sound row applies at once, and lets the learner hear the sound the choice
// makes most: the error tone alone, or the click among all.
void stepSound(OptionsContext& context) {
    applySoundChoice(context.video, context.settings);
    const Sound sample = context.settings.sound == SoundMode::All ? Sound::Click : Sound::Error;
    if (context.settings.sound != SoundMode::Off) playSound(context.video.sound, int32_t(sample));
}

}  // namespace

const OptionRow OptionRows[] = {
    {"Display",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s",
                       c.settings.display == DisplayMode::Window ? "Window" : "Full screen");
     },
     [](OptionsContext& c, int) {
         c.settings.display = c.settings.display == DisplayMode::Window ? DisplayMode::FullScreen
                                                                        : DisplayMode::Window;
         showDisplay(c);
     },
     DisplayKey},
    {"Window scale",
     [](const OptionsContext& c, char (&value)[24]) {
         const int32_t largest = largestWindowScale(c.settings.monitor);
         const int32_t scale =
             c.settings.windowScale <= 0 ? largest : std::min(c.settings.windowScale, largest);
         std::snprintf(value, sizeof value, "%dx%s", int(scale),
                       c.settings.windowScale <= 0 ? " (largest)" : "");
     },
     [](OptionsContext& c, int direction) {
         const int32_t largest = largestWindowScale(c.settings.monitor);
         const int32_t scale = c.settings.windowScale <= 0 ? largest : c.settings.windowScale;
         c.settings.windowScale = 2 + wrapped(std::min(scale, largest) - 2, direction, largest - 1);
         showDisplay(c);
     },
     WindowScaleKey},
    {"Monitor",
     [](const OptionsContext& c, char (&value)[24]) {
         if (c.settings.monitor <= 0) {
             std::snprintf(value, sizeof value, "Automatic");
             return;
         }
         const char* name = SDL_GetDisplayName(c.settings.monitor - 1);
         std::snprintf(value, sizeof value, "%d %.14s", int(c.settings.monitor),
                       name != nullptr ? name : "");
     },
     [](OptionsContext& c, int direction) {
         c.settings.monitor = wrapped(c.settings.monitor, direction, monitorCount() + 1);
         showDisplay(c);
     },
     MonitorKey},
    {"Colours",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s", ColourSchemes[int(c.settings.colours)].label);
     },
     [](OptionsContext& c, int direction) {
         const ColourScheme next =
             ColourScheme(wrapped(int(c.settings.colours), direction, ColourSchemeCount));
         if (applyColourScheme(c.video, next)) c.settings.colours = next;
     },
     ColoursKey},
    {"Course",
     [](const OptionsContext& c, char (&value)[24]) {
         if (c.settings.course != CourseChoice::Automatic) {
             std::snprintf(value, sizeof value, "%s",
                           CourseBooks[int(c.settings.course) - 1].label);
             return;
         }
         KeyboardModel keyboard{};
         buildKeyboard(keyboard);
         readKeyboardLayout(keyboard);
         std::snprintf(value, sizeof value, "Auto: %s",
                       CourseBooks[int(learnersBook(CourseChoice::Automatic, keyboard))].label);
     },
     [](OptionsContext& c, int direction) {
         c.settings.course =
             CourseChoice(wrapped(int(c.settings.course), direction, CourseChoiceCount));
     },
     CourseKey},
    {"Sound",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s", SoundModes[int(c.settings.sound)].label);
     },
     [](OptionsContext& c, int direction) {
         c.settings.sound = SoundMode(wrapped(int(c.settings.sound), direction, SoundModeCount));
         stepSound(c);
     },
     SoundKey},
    // From 0 (silence) to 10; it stops at either end rather than leap from one to the other.
    {"Volume",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%d", int(c.settings.volume));
     },
     [](OptionsContext& c, int direction) {
         c.settings.volume = std::clamp(c.settings.volume + direction, 0, LargestVolume);
         stepSound(c);
     },
     VolumeKey},
    {"Speech",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s", c.settings.speech ? "On" : "Off");
     },
     [](OptionsContext& c, int) {
         turnSpeech(c.video, !c.settings.speech);
         c.settings.speech = c.video.speech.on;
         c.settings.speechChosen = true;
     },
     SpeechKey},
    {"Speech rate",
     [](const OptionsContext& c, char (&value)[24]) {
         if (c.settings.speechRate == 0)
             std::snprintf(value, sizeof value, "Voice's own");
         else
             std::snprintf(value, sizeof value, "%+d", int(c.settings.speechRate));
     },
     [](OptionsContext& c, int direction) {
         c.settings.speechRate =
             std::clamp(c.settings.speechRate + direction, SlowestSpeech, FastestSpeech);
         setSpeechRate(c.settings.speechRate);
     },
     SpeechRateKey},
    {"Echo keys",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s", c.settings.echoKeys ? "On" : "Off");
     },
     [](OptionsContext& c, int) {
         c.settings.echoKeys = !c.settings.echoKeys;
         c.video.speech.echoKeys = c.settings.echoKeys;
     },
     EchoKeysKey},
    {"Finger guide",
     [](const OptionsContext& c, char (&value)[24]) {
         std::snprintf(value, sizeof value, "%s", c.settings.fingerGuide ? "On" : "Off");
     },
     [](OptionsContext& c, int) { c.settings.fingerGuide = !c.settings.fingerGuide; },
     FingerGuideKey},
};

namespace {

void writeRowText(VideoMemory& memory, int column, int row, const char* text, TileCell group) {
    writeText(memory, ListLayer, column, row, text, Font::Main, group);
}

void writeStatic(VideoMemory& memory, int row, const char* text) {
    const int length = int(std::strlen(text));
    writeText(memory, TextLayer, std::max(0, (ScreenColumns - length) / 2), row, text, Font::Main,
              UnselectedGroup);
}

// The first option shown: the list scrolls so that the selected one stays on screen.
int firstShown(int selected) {
    return std::clamp(selected - VisibleRows + 1, 0, std::max(0, OptionRowCount - VisibleRows));
}

void animateBackground(VideoMemory& memory, int32_t frameCounter) {
    memory.layers[BarLayer] =
        (memory.layers[BarLayer] & ~layerScroll(511, 0)) | layerScroll(frameCounter & 1, 0);
    memory.layers[BackdropLayer] = LayerEnable | layerScroll(frameCounter % BackdropPeriod, 0);
}

// Says row `selected` as it shows ("Colours: High contrast"), with `whole` what the screen is
// and its keys before it, and with `place` where it stands among the rows.
void sayRow(OptionsContext& context, int selected, bool whole, bool place) {
    if (!context.video.speech.on) return;
    Utterance utterance;
    startUtterance(utterance);
    if (whole)
        addText(utterance, "Options. Up and Down choose a row, Left and Right change it, Escape "
                           "goes back to the lessons. ");
    char value[24];
    OptionRows[selected].show(context, value);
    addText(utterance, OptionRows[selected].label);
    addText(utterance, ": ");
    addLatin1(utterance, value, std::strlen(value));
    addText(utterance, ".");
    if (place) {
        addText(utterance, " ");
        addNumber(utterance, selected + 1);
        addText(utterance, " of ");
        addNumber(utterance, OptionRowCount);
        addText(utterance, ".");
    }
    say(context.video, utterance);
}

}  // namespace

const int OptionRowCount = int(std::size(OptionRows));

void applySoundChoice(VideoState& video, const Settings& settings) {
    setSoundVolume(video.sound, settings.volume);
    if (settings.sound == SoundMode::Off)
        pauseSoundOutput(video.sound);
    else
        startSoundOutput(video.sound, soundWaves(), SoundCount);
}

bool applyColourScheme(VideoState& video, ColourScheme scheme) {
    if (loadColourScheme(scheme, video.memory.palette)) return true;
    std::fprintf(stderr, "Quenmore: the palette file %s is missing or short; the colours stay\n",
                 ColourSchemes[int(scheme)].fileName);
    return false;
}

void drawOptionsScreen(OptionsContext& context, int selected) {
    VideoMemory& memory = context.video.memory;
    resetSprites(memory);
    memory.lineCallback = nullptr;
    memory.layers.fill(0);
    for (int map = 0; map < LayerCount; ++map) fillMapCells(memory, map, Blank);
    memory.layers[BackdropLayer] = LayerEnable;
    drawBackdrop(memory);
    writeStatic(memory, TitleRow, "Options");
    writeStatic(memory, HintRow, "Up, Down: choose   Left, Right: change");
    writeStatic(memory, HintRow + 1, "Escape: back to the lessons");
    memory.layers[TextLayer] = LayerEnable;

    // Only the rows in view are written, so that none shows below the list over the hints;
    // marks at the list's left edge tell of rows above or below it.
    const int first = firstShown(selected);
    const int last = std::min(OptionRowCount, first + VisibleRows);
    const int scroll = first * RowPitch * 8;
    if (first > 0) writeText(memory, TextLayer, 1, FirstRow, "^", Font::Main, UnselectedGroup);
    if (last < OptionRowCount)
        writeText(memory, TextLayer, 1, FirstRow + RowPitch * (VisibleRows - 1), "v", Font::Main,
                  UnselectedGroup);
    for (int i = first; i < last; ++i) {
        const int row = FirstRow + RowPitch * i;
        const TileCell group = i == selected ? SelectedGroup : UnselectedGroup;
        char value[24];
        OptionRows[i].show(context, value);
        char shown[32];
        std::snprintf(shown, sizeof shown, "< %s >", value);
        writeRowText(memory, LabelColumn, row, OptionRows[i].label, group);
        writeRowText(memory, ValueColumn, row, shown, group);
    }
    memory.layers[ListLayer] = LayerEnable | layerScroll(0, scroll);
    // The bar behind the selected row, as the menu's: the text box's edges around its body.
    const int barRow = FirstRow + RowPitch * selected;
    for (int column = 0; column < MapSide; ++column) {
        memory.maps[size_t(mapIndex(BarLayer, column, barRow - 1))] = art::BoxTop;
        memory.maps[size_t(mapIndex(BarLayer, column, barRow))] = art::BoxBody;
        memory.maps[size_t(mapIndex(BarLayer, column, barRow + 1))] = art::BoxTop | CellFlipY;
    }
    memory.layers[BarLayer] = LayerEnable | layerScroll(0, scroll);
}

ScreenExit runOptionsScreen(VideoState& video, Settings& settings) {
    OptionsContext context{video, settings};
    int selected = 0;
    drawOptionsScreen(context, selected);
    // Alt+Enter and a moved window change the display from any screen: the rows follow.
    DisplayChoice shown = displayChoiceOf(settings);
    bool speechShown = settings.speech;  // and F2 the speech row
    sayRow(context, selected, true, true);
    if (!fadeIn(video)) return ScreenExit::Quit;
    int32_t frameCounter = 0;
    bool running = true;
    while (running) {
        SDL_Event event;
        while (nextEvent(video, event) != 0) {
            if (event.type == SDL_QUIT) return ScreenExit::Quit;
            if (event.type != SDL_KEYDOWN || !running) continue;
            const SDL_Keycode key = event.key.keysym.sym;
            if (key == SDLK_ESCAPE || key == SDLK_o) {
                running = false;
            } else if (key == SDLK_UP || key == SDLK_DOWN) {
                const int next =
                    std::clamp(selected + (key == SDLK_DOWN ? 1 : -1), 0, OptionRowCount - 1);
                if (next == selected) continue;
                selected = next;
                tellCue({.kind = CueKind::RowChosen,
                         .number = selected,
                         .count = OptionRowCount,
                         .text = OptionRows[selected].label});
                drawOptionsScreen(context, selected);
                sayRow(context, selected, false, true);
            } else if (key == SDLK_LEFT || key == SDLK_RIGHT || key == SDLK_RETURN) {
                OptionRows[selected].step(context, key == SDLK_LEFT ? -1 : 1);
                std::string why;
                if (!saveSettings(settings, OptionRows[selected].keys, &why))
                    std::fprintf(stderr, "Quenmore: the settings could not be saved: %s\n",
                                 why.c_str());
                drawOptionsScreen(context, selected);
                speechShown = settings.speech;
                sayRow(context, selected, false, false);
            }
        }
        const DisplayChoice now = displayChoiceOf(settings);
        if (std::memcmp(&now, &shown, sizeof now) != 0 || settings.speech != speechShown) {
            shown = now;
            speechShown = settings.speech;
            drawOptionsScreen(context, selected);
        }
        ++frameCounter;
        animateBackground(video.memory, frameCounter);
        if (!showFrame(video)) return ScreenExit::Quit;
    }
    return fadeOut(video) ? ScreenExit::Done : ScreenExit::Quit;
}

void drawOptionsHint(VideoMemory& memory) {
    // Top right, right of the row above the selection's time and below its title: the list
    // (layer 1) stays in front of it while the rows slide past.
    constexpr int Length = 10;
    constexpr int Left = ScreenWidth - 8 * Length - 4;
    constexpr int Top = 10;
    for (int i = 0; i < Length; ++i) {
        SpriteEntry& sprite = memory.sprites[size_t(MenuHintFirstSprite + i)];
        sprite.attributes = SpriteVisible | spriteTile(mainFontTile(uint8_t(MenuHint[i]))) |
                            encodeSpriteCoordinate(Top, ScreenHeight);
        sprite.placement = encodeSpriteCoordinate(Left + 8 * i, ScreenWidth) | spriteLevel(2) |
                           spriteGroup(MenuHintGroup);
    }
}
