#include "engine/composer.h"

void sortSprites(SpriteEntry* list, int count) {
    for (int i = 0; i + 1 < count; ++i) {
        int smallest = i;
        for (int j = i; j < count; ++j) {
            if (spriteOrderKey(list[j].placement) < spriteOrderKey(list[smallest].placement)) {
                smallest = j;
            }
        }
        if (smallest != i) {
            SpriteEntry swapped = list[i];
            list[i] = list[smallest];
            list[smallest] = swapped;
        }
    }
}

int32_t composeFrame(VideoMemory& memory) {
    return composeFrameReference(memory);
}
