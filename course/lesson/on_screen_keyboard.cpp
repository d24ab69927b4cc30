#include "course/lesson/on_screen_keyboard.h"

#include "course/common/screen_text.h"
#include "course/lesson/lesson_screen.h"
#include "engine/display.h"
#include "engine/host.h"
#include "engine/video_memory.h"

#include <SDL.h>

namespace {

struct KeyDefinition {
    char lowerChar;
    char upperChar;
    uint16_t column;
    uint16_t row;
    uint16_t width;
    SDL_Scancode scancode;
    bool capsApplies;
};

static_assert(KeySlots <= SpriteCount, "every key slot has a sprite of its own");

// A US layout in five rows of panel cells (rows 0, 2, 4, 6, 8), each row filling columns 0
// to 29. Backspace, Tab, Caps Lock, Enter and the two Shift keys come last: their labels are
// blank, and the character lookup names them by control codes instead of their spaces.
constexpr KeyDefinition KeyTable[KeyCount] = {
    {'`', '~', 0, 0, 2, SDL_SCANCODE_GRAVE, false},
    {'1', '!', 2, 0, 2, SDL_SCANCODE_1, false},
    {'2', '@', 4, 0, 2, SDL_SCANCODE_2, false},
    {'3', '#', 6, 0, 2, SDL_SCANCODE_3, false},
    {'4', '$', 8, 0, 2, SDL_SCANCODE_4, false},
    {'5', '%', 10, 0, 2, SDL_SCANCODE_5, false},
    {'6', '^', 12, 0, 2, SDL_SCANCODE_6, false},
    {'7', '&', 14, 0, 2, SDL_SCANCODE_7, false},
    {'8', '*', 16, 0, 2, SDL_SCANCODE_8, false},
    {'9', '(', 18, 0, 2, SDL_SCANCODE_9, false},
    {'0', ')', 20, 0, 2, SDL_SCANCODE_0, false},
    {'-', '_', 22, 0, 2, SDL_SCANCODE_MINUS, false},
    {'=', '+', 24, 0, 2, SDL_SCANCODE_EQUALS, false},
    {'q', 'Q', 3, 2, 2, SDL_SCANCODE_Q, true},
    {'w', 'W', 5, 2, 2, SDL_SCANCODE_W, true},
    {'e', 'E', 7, 2, 2, SDL_SCANCODE_E, true},
    {'r', 'R', 9, 2, 2, SDL_SCANCODE_R, true},
    {'t', 'T', 11, 2, 2, SDL_SCANCODE_T, true},
    {'y', 'Y', 13, 2, 2, SDL_SCANCODE_Y, true},
    {'u', 'U', 15, 2, 2, SDL_SCANCODE_U, true},
    {'i', 'I', 17, 2, 2, SDL_SCANCODE_I, true},
    {'o', 'O', 19, 2, 2, SDL_SCANCODE_O, true},
    {'p', 'P', 21, 2, 2, SDL_SCANCODE_P, true},
    {'[', '{', 23, 2, 2, SDL_SCANCODE_LEFTBRACKET, false},
    {']', '}', 25, 2, 2, SDL_SCANCODE_RIGHTBRACKET, false},
    {'\\', '|', 27, 2, 3, SDL_SCANCODE_BACKSLASH, false},
    {'a', 'A', 4, 4, 2, SDL_SCANCODE_A, true},
    {'s', 'S', 6, 4, 2, SDL_SCANCODE_S, true},
    {'d', 'D', 8, 4, 2, SDL_SCANCODE_D, true},
    {'f', 'F', 10, 4, 2, SDL_SCANCODE_F, true},
    {'g', 'G', 12, 4, 2, SDL_SCANCODE_G, true},
    {'h', 'H', 14, 4, 2, SDL_SCANCODE_H, true},
    {'j', 'J', 16, 4, 2, SDL_SCANCODE_J, true},
    {'k', 'K', 18, 4, 2, SDL_SCANCODE_K, true},
    {'l', 'L', 20, 4, 2, SDL_SCANCODE_L, true},
    {';', ':', 22, 4, 2, SDL_SCANCODE_SEMICOLON, false},
    {'\'', '"', 24, 4, 2, SDL_SCANCODE_APOSTROPHE, false},
    {'z', 'Z', 5, 6, 2, SDL_SCANCODE_Z, true},
    {'x', 'X', 7, 6, 2, SDL_SCANCODE_X, true},
    {'c', 'C', 9, 6, 2, SDL_SCANCODE_C, true},
    {'v', 'V', 11, 6, 2, SDL_SCANCODE_V, true},
    {'b', 'B', 13, 6, 2, SDL_SCANCODE_B, true},
    {'n', 'N', 15, 6, 2, SDL_SCANCODE_N, true},
    {'m', 'M', 17, 6, 2, SDL_SCANCODE_M, true},
    {',', '<', 19, 6, 2, SDL_SCANCODE_COMMA, false},
    {'.', '>', 21, 6, 2, SDL_SCANCODE_PERIOD, false},
    {'/', '?', 23, 6, 2, SDL_SCANCODE_SLASH, false},
    {' ', ' ', 8, 8, 12, SDL_SCANCODE_SPACE, false},
    {' ', ' ', 26, 0, 4, SDL_SCANCODE_BACKSPACE, false},
    {' ', ' ', 0, 2, 3, SDL_SCANCODE_TAB, false},
    {' ', ' ', 0, 4, 4, SDL_SCANCODE_CAPSLOCK, false},
    {' ', ' ', 26, 4, 4, SDL_SCANCODE_RETURN, false},
    {' ', ' ', 0, 6, 5, SDL_SCANCODE_LSHIFT, false},
    {' ', ' ', 25, 6, 5, SDL_SCANCODE_RSHIFT, false},
};

// The control code under which each special key (48 to 53, in table order) is looked up.
constexpr uint8_t SpecialKeyCodes[KeyCount - CharacterKeys] = {
    BackspaceCode, TabCode, CapsLockCode, EnterCode, LeftShiftCode, RightShiftCode,
};

// Tiles of a key face: unpressed 0, 1, 2 over 16, 17, 18; pressed three tiles further on.
constexpr int PressedTileOffset = 3;
constexpr int CapsLockLampTile = 6;
constexpr int CapsLockLampY = 32;  // the key's top row in the panel
constexpr int FaceBottomRowTiles = 16;
constexpr TileCell BlankLabel = CellPriority | cellTile(BlankTile, 0);
constexpr uint32_t HiddenLabelSprite = spriteTile(511);  // 8x8, not visible
constexpr uint32_t KeySpritePlacement = SpritePriority | spriteLevel(1);

void appendKey(LessonScreen& screen, const KeyDefinition& definition) {
    KeyboardKey& key = screen.keys[screen.keyCount];
    key.lowerChar = uint8_t(definition.lowerChar);
    key.upperChar = uint8_t(definition.upperChar);
    key.column = definition.column;
    key.row = definition.row;
    key.width = definition.width;
    key.height = 2;
    key.pressed = false;
    key.scancode = uint32_t(definition.scancode);
    key.capsApplies = definition.capsApplies;
    screen.keyCount += 1;
}

// Sprite coordinates are worked out in 16 bits, as the key positions are.
uint32_t spriteX(int32_t x) {
    return encodeSpriteCoordinate(int16_t(x), ScreenWidth);
}
uint32_t spriteY(int32_t y) {
    return encodeSpriteCoordinate(int16_t(y), ScreenHeight);
}

// A Latin-1 letter with a capital of its own: Caps Lock applies to its key.
bool hasCapital(uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}

// What a key shows for a layout character: none is a blank, Latin-1 stands as it is, and
// anything else (a control character, a character past U+00FF) shows the unknown mark.
uint8_t labelCode(uint32_t c) {
    if (c == 0) return ' ';
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c > 0xFF) return UnknownCharacter;
    return uint8_t(c);
}

// Blanks are not entered: the space stays with the space bar.
void enterKey(LessonScreen& screen, uint32_t c, int k) {
    if (c > ' ' && c < UnknownCharacter) screen.keyByChar[c] = uint8_t(k);
}

}  // namespace

void readKeyboardLayout(LessonScreen& screen) {
    if (screen.keyCount < KeyCount) return;
    uint32_t scancodes[CharacterKeys];
    LayoutCharacters found[CharacterKeys] = {};
    for (int k = 0; k < CharacterKeys; ++k) scancodes[k] = uint32_t(KeyTable[k].scancode);
    const bool complete = host.readLayout(scancodes, CharacterKeys, found);
    for (int k = 0; k < CharacterKeys; ++k) {
        uint32_t alone = found[k].alone;
        uint32_t shifted = found[k].shifted;
        if (!complete) {
            // Only the unshifted characters are known: a letter's capital is its Shift
            // character, and a key that agrees with the US layout alone is taken to agree
            // with Shift too.
            shifted = hasCapital(alone)                         ? alone - 32
                      : alone == uint8_t(KeyTable[k].lowerChar) ? uint8_t(KeyTable[k].upperChar)
                                                                : 0;
        }
        KeyboardKey& key = screen.keys[k];
        key.lowerChar = labelCode(alone);
        key.upperChar = labelCode(shifted);
        key.capsApplies = hasCapital(alone) && shifted == alone - 32;
    }
    for (uint8_t& entry : screen.keyByChar) entry = NoKey;
    // Lower, then upper, in table order: a character on two keys ends with the later one.
    // AltGr characters come last and take only what no key gives more simply.
    for (int k = 0; k < CharacterKeys; ++k) {
        enterKey(screen, screen.keys[k].lowerChar, k);
        enterKey(screen, screen.keys[k].upperChar, k);
    }
    for (int k = 0; k < CharacterKeys; ++k) {
        const uint32_t altGr = found[k].altGr;
        if (altGr > ' ' && altGr < UnknownCharacter && screen.keyByChar[altGr] == NoKey)
            enterKey(screen, altGr, k);
    }
    screen.keyByChar[size_t(' ')] = CharacterKeys - 1;
    for (int k = CharacterKeys; k < KeyCount; ++k)
        screen.keyByChar[SpecialKeyCodes[k - CharacterKeys]] = uint8_t(k);
}

void buildKeyboard(LessonScreen& screen) {
    screen.keyCount = 0;
    for (int k = 0; k < CharacterKeys; ++k) appendKey(screen, KeyTable[k]);
    for (uint8_t& entry : screen.keyByChar) entry = NoKey;
    // Lower, then upper, in table order: a character on two keys ends with the later one.
    for (int k = 0; k < screen.keyCount; ++k) {
        screen.keyByChar[screen.keys[k].lowerChar & 0x7F] = uint8_t(k);
        screen.keyByChar[screen.keys[k].upperChar & 0x7F] = uint8_t(k);
    }
    // The special keys' blank labels are never entered, so the space stays with the space bar.
    for (int k = CharacterKeys; k < KeyCount; ++k) {
        appendKey(screen, KeyTable[k]);
        screen.keyByChar[SpecialKeyCodes[k - CharacterKeys]] = uint8_t(k);
    }
}

void drawKey(LessonScreen& screen, int keyIndex, bool shiftShown, bool capsShown) {
    if (keyIndex < 0 || keyIndex >= screen.keyCount || keyIndex >= KeySlots) return;
    const KeyboardKey& key = screen.keys[keyIndex];
    VideoMemory& memory = screen.video->memory;

    // Shift with Caps Lock gives a letter's small form, as the system types it.
    const bool upper = shiftShown != (capsShown && key.capsApplies);
    const int shown = mainFontTile(upper ? key.upperChar : key.lowerChar);
    const int offset = key.pressed ? PressedTileOffset : 0;

    // Two rows of face tiles whatever the key's height: left, middle, right.
    const int left = key.column;
    const int right = key.column + key.width - 1;
    for (int half = 0; half < 2; ++half) {
        const int rowTiles = half * FaceBottomRowTiles + offset;
        const int row = (key.row + half) & (MapSide - 1);
        for (int column = left; column <= right; ++column) {
            const int tile = rowTiles + (column == left ? 0 : column == right ? 2 : 1);
            memory.maps[size_t(mapIndex(KeyboardLayer, column & (MapSide - 1), row))] =
                TileCell(CellPriority | tile);
        }
    }

    // The label sits in the key's bottom-right cell on the label layer; while the key is
    // pressed it leaves that layer and is drawn by the key's own sprite, one pixel lower.
    TileCell& label = memory.maps[size_t(
        mapIndex(KeyLabelLayer, right & (MapSide - 1), (key.row + 1) & (MapSide - 1)))];
    SpriteEntry& sprite = memory.sprites[size_t(keyIndex)];
    if (!key.pressed) {
        label = CellPriority | cellTile(shown, 0);
        sprite.attributes = HiddenLabelSprite | spriteY(key.row * 8 - screen.keyboardScrollY);
        sprite.placement = spriteX(key.column * 8 - screen.keyboardScrollX) | KeySpritePlacement;
    } else {
        label = BlankLabel;
        sprite.attributes = SpriteVisible | spriteTile(shown) |
                            spriteY((key.row + key.height) * 8 - screen.keyboardScrollY - 10);
        sprite.placement = spriteX((key.column + key.width) * 8 - screen.keyboardScrollX - 11) |
                           KeySpritePlacement;
    }
}

void drawAllKeys(LessonScreen& screen, bool shiftShown, bool capsShown) {
    for (int k = 0; k < screen.keyCount; ++k) drawKey(screen, k, shiftShown, capsShown);
}

void placeCapsLockLamp(LessonScreen& screen, bool lit) {
    if (screen.keyCount < 0 || screen.keyCount >= SpriteCount) return;
    SpriteEntry& lamp = screen.video->memory.sprites[size_t(screen.keyCount)];
    lamp.attributes = SpriteVisible | spriteTile(CapsLockLampTile) |
                      encodeSpriteCoordinate(CapsLockLampY - screen.keyboardScrollY, ScreenHeight);
    lamp.placement = encodeSpriteCoordinate(-screen.keyboardScrollX, ScreenWidth) | SpritePriority |
                     spriteLevel(1) | spriteGroup(lit ? 1 : 0);
}
