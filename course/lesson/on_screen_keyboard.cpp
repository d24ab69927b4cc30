#include "course/lesson/on_screen_keyboard.h"

#include "course/common/art_tiles.h"
#include "course/common/finger_colours.h"
#include "course/common/screen_text.h"
#include "engine/video_memory.h"

#include <SDL.h>

static_assert(KeySlots <= SpriteCount, "every key slot has a sprite of its own");

namespace {

// The panel: a face of 30 by 10 cells with a one-cell frame around it. The map wraps, so
// column 63 is the left edge and row 63 the top edge.
constexpr int PanelColumns = 30;
constexpr int PanelRows = 10;
constexpr int LeftEdge = MapSide - 1;
constexpr int TopEdge = MapSide - 1;
constexpr TileCell PanelFace = CellPriority | art::PanelFace;
constexpr TileCell PanelSide = CellPriority | art::PanelLeft;
constexpr TileCell PanelTop = CellPriority | art::PanelTop;
constexpr TileCell PanelBottom = CellPriority | art::PanelBottom;
constexpr TileCell PanelTopCorner = CellPriority | art::PanelTopLeft;
constexpr TileCell PanelBottomCorner = CellPriority | art::PanelBottomRight;

// Tiles of a key face: left, middle and right over the bottom row's three, pressed the same
// distance further on.
constexpr int PressedTileOffset = art::PressedKeyTopLeft - art::KeyTopLeft;
constexpr int LitTileOffset = art::LitKeyTopLeft - art::KeyTopLeft;
constexpr int CapsLockLampY = 32;  // the key's top row in the panel
constexpr int FaceBottomRowTiles = art::KeyBottomLeft - art::KeyTopLeft;
static_assert(art::KeyTop == art::KeyTopLeft + 1 && art::KeyTopRight == art::KeyTopLeft + 2 &&
              art::KeyBottomRight == art::KeyBottomLeft + 2 &&
              art::PressedKeyBottomLeft == art::KeyBottomLeft + PressedTileOffset &&
              art::LitKeyTop == art::LitKeyTopLeft + 1 &&
              art::LitKeyTopRight == art::LitKeyTopLeft + 2 &&
              art::LitKeyBottomLeft == art::KeyBottomLeft + LitTileOffset &&
              art::LitKeyBottomRight == art::LitKeyBottomLeft + 2);
constexpr TileCell BlankLabel = CellPriority | cellTile(BlankTile, 0);
constexpr uint32_t HiddenLabelSprite = spriteTile(511);  // 8x8, not visible
constexpr uint32_t KeySpritePlacement = SpritePriority | spriteLevel(1);

// Sprite coordinates are worked out in 16 bits, as the key positions are.
uint32_t spriteX(int32_t x) {
    return encodeSpriteCoordinate(int16_t(x), ScreenWidth);
}
uint32_t spriteY(int32_t y) {
    return encodeSpriteCoordinate(int16_t(y), ScreenHeight);
}

void setCell(VideoMemory& memory, int map, int column, int row, TileCell cell) {
    memory.maps[size_t(mapIndex(map, column, row))] = cell;
}

// The bump sits across the middle of the key's top half, above its label, sinking with it.
void placeHomeBump(VideoMemory& memory, const KeyboardKey& key, KeyboardPlacement placement) {
    const bool home = key.scancode == SDL_SCANCODE_F || key.scancode == SDL_SCANCODE_J;
    if (!home) return;
    SpriteEntry& bump =
        memory.sprites[size_t(HomeBumpSprite + (key.scancode == SDL_SCANCODE_J ? 1 : 0))];
    bump.attributes = SpriteVisible | spriteTile(art::HomeKeyBump) |
                      spriteY(key.row * 8 - placement.scrollY + (key.pressed ? 1 : 0));
    bump.placement = spriteX(key.column * 8 - placement.scrollX + 4) | KeySpritePlacement;
}

}  // namespace

void drawKeyboardPanel(VideoMemory& memory) {
    for (int row = 0; row < PanelRows; ++row) {
        for (int column = 0; column < PanelColumns; ++column) {
            setCell(memory, KeyboardLayer, column, row, PanelFace);
        }
        setCell(memory, KeyboardLayer, LeftEdge, row, PanelSide);
        setCell(memory, KeyboardLayer, PanelColumns, row, PanelSide | CellFlipX);
    }
    for (int column = 0; column < PanelColumns; ++column) {
        setCell(memory, KeyboardLayer, column, TopEdge, PanelTop);
        setCell(memory, KeyboardLayer, column, PanelRows, PanelBottom);
    }
    setCell(memory, KeyboardLayer, LeftEdge, TopEdge, PanelTopCorner);
    setCell(memory, KeyboardLayer, PanelColumns, TopEdge, PanelTopCorner | CellFlipX);
    setCell(memory, KeyboardLayer, LeftEdge, PanelRows, PanelBottomCorner | CellFlipX);
    setCell(memory, KeyboardLayer, PanelColumns, PanelRows, PanelBottomCorner);
}

void drawKey(VideoMemory& memory, const KeyboardModel& keyboard, KeyboardPlacement placement,
             int keyIndex, bool shiftShown, bool capsShown) {
    if (keyIndex < 0 || keyIndex >= keyboard.keyCount || keyIndex >= KeySlots) return;
    const KeyboardKey& key = keyboard.keys[keyIndex];
    SpriteEntry& sprite = memory.sprites[size_t(keyIndex)];
    if (!key.shown) {  // the keys around it cover its place
        sprite.attributes = HiddenLabelSprite;
        return;
    }

    // Shift with Caps Lock gives a letter's small form, as the system types it.
    const bool upper = shiftShown != (capsShown && key.capsApplies);
    const int shown = mainFontTile(upper ? key.upperChar : key.lowerChar);
    const bool lit = key.lit && !key.pressed;
    const int offset = key.pressed ? PressedTileOffset : lit ? LitTileOffset : 0;
    const int zone = FirstZoneGroup + fingerHue(key.finger);
    const int group = keyboard.fingerZones || lit ? zone : 0;

    // Two rows of face tiles whatever the key's height: left, middle, right.
    const int left = key.column;
    const int right = key.column + key.width - 1;
    for (int half = 0; half < 2; ++half) {
        const int rowTiles = art::KeyTopLeft + half * FaceBottomRowTiles + offset;
        const int row = (key.row + half) & (MapSide - 1);
        for (int column = left; column <= right; ++column) {
            const int tile = rowTiles + (column == left ? 0 : column == right ? 2 : 1);
            memory.maps[size_t(mapIndex(KeyboardLayer, column & (MapSide - 1), row))] =
                TileCell(CellPriority | cellTile(tile, group));
        }
    }

    // The label sits in the key's bottom-right cell on the label layer; while the key is
    // pressed it leaves that layer and is drawn by the key's own sprite, one pixel lower, and
    // while it is lit by that sprite in its place, in the dark ink of the finger's group.
    TileCell& label = memory.maps[size_t(
        mapIndex(KeyLabelLayer, right & (MapSide - 1), (key.row + 1) & (MapSide - 1)))];
    if (!key.pressed && !lit) {
        label = CellPriority | cellTile(shown, 0);
        sprite.attributes = HiddenLabelSprite | spriteY(key.row * 8 - placement.scrollY);
        sprite.placement = spriteX(key.column * 8 - placement.scrollX) | KeySpritePlacement;
    } else {
        label = BlankLabel;
        sprite.attributes =
            SpriteVisible | spriteTile(shown) |
            spriteY((key.row + key.height) * 8 - placement.scrollY - 11 + (key.pressed ? 1 : 0));
        sprite.placement = spriteX((key.column + key.width) * 8 - placement.scrollX - 11) |
                           KeySpritePlacement | spriteGroup(lit ? zone : 0);
    }
    if (keyboard.fingerZones) placeHomeBump(memory, key, placement);
}

void drawAllKeys(VideoMemory& memory, const KeyboardModel& keyboard, KeyboardPlacement placement,
                 bool shiftShown, bool capsShown) {
    for (int k = 0; k < keyboard.keyCount; ++k)
        drawKey(memory, keyboard, placement, k, shiftShown, capsShown);
}

void placeCapsLockLamp(VideoMemory& memory, const KeyboardModel& keyboard,
                       KeyboardPlacement placement, bool lit) {
    if (keyboard.keyCount < 0 || keyboard.keyCount >= SpriteCount) return;
    SpriteEntry& lamp = memory.sprites[size_t(keyboard.keyCount)];
    lamp.attributes = SpriteVisible | spriteTile(art::CapsLockLamp) |
                      encodeSpriteCoordinate(CapsLockLampY - placement.scrollY, ScreenHeight);
    lamp.placement = encodeSpriteCoordinate(-placement.scrollX, ScreenWidth) | SpritePriority |
                     spriteLevel(1) | spriteGroup(lit ? 1 : 0);
}
