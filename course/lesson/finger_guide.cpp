#include "course/lesson/finger_guide.h"

#include "course/common/art_tiles.h"
#include "course/common/finger_colours.h"
#include "course/common/screen_layout.h"
#include "course/common/screen_text.h"

#include <cstdio>
#include <cstring>

namespace {

// A hand is 24 by 40 pixels: its top 32 rows one sprite, its last 8 another. The left one
// stands 4 pixels in from the screen's edge, the right one mirrored, beside the home row.
constexpr int HandWidth = 24;
constexpr int HandTopRows = 4;  // in tiles
constexpr int HandTop = 48;
constexpr int LeftHandX = 4;
constexpr int RightHandX = ScreenWidth - LeftHandX - HandWidth;
constexpr uint32_t GuidePlacement = SpritePriority | spriteLevel(1);

// The tip of each finger of the left hand, little to thumb: the middle of its top, from the
// hand's top-left corner; the mark's point stops a pixel above it.
struct Tip {
    int x, y;
};
constexpr Tip Tips[FingerHueCount] = {{3, 7}, {7, 2}, {11, 0}, {15, 2}, {21, 19}};
constexpr int MarkPointX = 2, MarkHeight = 6;

int handX(bool left) {
    return left ? LeftHandX : RightHandX;
}

void placeSprite(VideoMemory& memory, int index, uint32_t attributes, int x, int y,
                 uint32_t placement) {
    SpriteEntry& sprite = memory.sprites[size_t(index)];
    sprite.attributes = attributes | encodeSpriteCoordinate(y, ScreenHeight);
    sprite.placement = encodeSpriteCoordinate(x, ScreenWidth) | placement;
}

// The hue of each hand's fingers that `finger` uses: bit `hue` of marks[0] for the left hand,
// marks[1] for the right.
void addMarks(Finger finger, uint32_t (&marks)[2]) {
    if (finger == Finger::None) return;
    const uint32_t bit = 1u << fingerHue(finger);
    if (finger == Finger::Thumbs) {
        marks[0] |= bit;
        marks[1] |= bit;
    } else {
        marks[onLeftHand(finger) ? 0 : 1] |= bit;
    }
}

// Each hand's marked fingers bright in its group and pointed at.
void showMarks(VideoMemory& memory, const uint32_t (&marks)[2]) {
    for (int hand = 0; hand < 2; ++hand) {
        const bool left = hand == 0;
        putHandColours(memory.palette, left ? LeftHandGroup : RightHandGroup, marks[hand]);
        for (int hue = 0; hue < FingerHueCount; ++hue) {
            const Tip tip = Tips[hue];
            const int tipX = left ? tip.x : HandWidth - 1 - tip.x;
            const bool marked = (marks[hand] >> hue & 1) != 0;
            placeSprite(memory, FirstFingerMarkSprite + FingerHueCount * hand + hue,
                        (marked ? SpriteVisible : 0) | spriteTile(art::FingerMarker),
                        handX(left) + tipX - MarkPointX, HandTop + tip.y - MarkHeight,
                        GuidePlacement);
        }
    }
}

const char* fingerName(Finger finger) {
    constexpr const char* Names[] = {"left little",  "left ring",    "left middle", "left index",
                                     "right index",  "right middle", "right ring",  "right little",
                                     "either thumb", "right thumb"};
    return finger < Finger::None ? Names[int(finger)] : "";
}

}  // namespace

void drawHands(VideoMemory& memory) {
    for (int hand = 0; hand < 2; ++hand) {
        const bool left = hand == 0;
        const uint32_t flip = left ? 0 : SpriteFlipX;
        const uint32_t placement =
            GuidePlacement | spriteGroup(left ? LeftHandGroup : RightHandGroup);
        const int x = handX(left);
        placeSprite(memory, FirstHandSprite + 2 * hand,
                    SpriteVisible | flip | spriteSize(3, HandTopRows) | spriteTile(art::Hand), x,
                    HandTop, placement);
        placeSprite(memory, FirstHandSprite + 2 * hand + 1,
                    SpriteVisible | flip | spriteSize(3, 1) |
                        spriteTile(art::Hand + 16 * HandTopRows),
                    x, HandTop + 8 * HandTopRows, placement);
    }
    showMarks(memory, {0, 0});
}

void markFingers(VideoMemory& memory, const KeyboardModel& keyboard) {
    uint32_t marks[2] = {0, 0};
    for (int k = 0; k < keyboard.keyCount; ++k) {
        const KeyboardKey& key = keyboard.keys[k];
        if (key.lit && key.shown) addMarks(key.finger, marks);
    }
    showMarks(memory, marks);
}

void writeFingerNames(VideoMemory& memory, const KeyboardModel& keyboard, const int* keys,
                      int count, int deadStroke) {
    char names[ScreenColumns + 1] = "";
    if (deadStroke > 0 && count > deadStroke) {
        // The keys' own fingers; the modifiers of either stroke would not fit the row.
        std::snprintf(names, sizeof names, "%s, then %s", fingerName(keyboard.keys[keys[0]].finger),
                      fingerName(keyboard.keys[keys[deadStroke]].finger));
        names[0] = char(names[0] - 'a' + 'A');
    } else if (count > 0) {
        const Finger first = keyboard.keys[keys[0]].finger;
        if (count == 1) {
            std::snprintf(names, sizeof names, "%s", fingerName(first));
        } else {
            const bool altGr = keys[1] == AltGrKey;
            std::snprintf(names, sizeof names, "%s + %s on %s", fingerName(first),
                          fingerName(keyboard.keys[keys[1]].finger), altGr ? "AltGr" : "Shift");
        }
        if (names[0] >= 'a' && names[0] <= 'z') names[0] = char(names[0] - 'a' + 'A');
    }
    const int length = int(std::strlen(names));
    const int start = (ScreenColumns - length) / 2;
    for (int column = 0; column < ScreenColumns; ++column) {
        const bool inName = column >= start && column < start + length;
        memory.maps[size_t(mapIndex(TextLayer, column, FingerNamesRow))] =
            inName ? fontCell(Font::Main, uint8_t(names[column - start]), CellPriority)
                   : cellTile(art::LessonBlank, 0);
    }
}
