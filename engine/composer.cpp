// The frame composer: sprite order and line lists once per frame, then line by line, each
// line drawn by the line composer after the line callback has had its say.
#include "engine/composer.h"
#include "engine/composer_line.h"

#include <bit>

namespace {

// Sprites reach lines -32 to 510 at most (y field up to 511, height up to 32).
constexpr int SpriteLines = 512;
constexpr int MaskWords = SpriteCount / 64;

// The visible sprites in front-to-back order, and for every line a bit set of the ones that
// cross it, so that a line's list comes out in that order without looking at the others.
struct FrameSprites {
    LineSprite sprites[SpriteCount];
    uint64_t lineMasks[SpriteLines][MaskWords];
    int lineLimit;  // lines from here on cross no sprite
};

void gatherSprites(const VideoMemory& memory, FrameSprites& frame) {
    SpriteEntry visible[SpriteCount];
    int count = 0;
    for (const SpriteEntry& entry : memory.sprites) {
        if (entry.attributes & SpriteVisible) visible[count++] = entry;
    }
    sortSprites(visible, count);

    frame.lineLimit = 0;
    for (int i = 0; i < count; ++i) {
        frame.sprites[i] = lineSprite(visible[i]);
        if (frame.sprites[i].y1 + 1 > frame.lineLimit) frame.lineLimit = frame.sprites[i].y1 + 1;
    }
    for (int y = 0; y < frame.lineLimit; ++y) {
        for (uint64_t& word : frame.lineMasks[y]) word = 0;
    }
    for (int i = 0; i < count; ++i) {
        const LineSprite& sprite = frame.sprites[i];
        for (int y = sprite.y0 < 0 ? 0 : sprite.y0; y <= sprite.y1; ++y) {
            frame.lineMasks[y][i / 64] |= uint64_t(1) << (i % 64);
        }
    }
}

int lineSprites(const FrameSprites& frame, int y, const LineSprite** list) {
    if (y >= frame.lineLimit) return 0;
    int count = 0;
    for (int word = 0; word < MaskWords; ++word) {
        for (uint64_t bits = frame.lineMasks[y][word]; bits != 0; bits &= bits - 1) {
            list[count++] = &frame.sprites[word * 64 + std::countr_zero(bits)];
        }
    }
    return count;
}

}  // namespace

// Gives exactly the order of a selection sort that swaps (at each position, the first of
// the smallest remaining keys is swapped in), in linear time: for every distinct key, a bit
// set of the positions that hold it, so the first smallest is the lowest bit of the smallest
// key's set, and a swap moves one bit in each of two sets.
void sortSprites(SpriteEntry* list, int count) {
    if (count < 2) return;
    constexpr int KeyCount = 4096;
    uint64_t present[KeyCount / 64] = {};
    for (int i = 0; i < count; ++i) {
        uint32_t key = spriteOrderKeyOf(list[i].placement);
        present[key / 64] |= uint64_t(1) << (key % 64);
    }
    // Keys become ranks among the distinct keys, 0 the smallest.
    int ranksBefore[KeyCount / 64];
    int ranks = 0;
    for (int word = 0; word < KeyCount / 64; ++word) {
        ranksBefore[word] = ranks;
        ranks += std::popcount(present[word]);
    }
    uint64_t holders[SpriteCount][MaskWords];  // per rank: positions holding that key
    for (int rank = 0; rank < ranks; ++rank) {
        for (uint64_t& word : holders[rank]) word = 0;
    }
    uint8_t rankAt[SpriteCount];
    for (int i = 0; i < count; ++i) {
        uint32_t key = spriteOrderKeyOf(list[i].placement);
        uint64_t below = present[key / 64] & ((uint64_t(1) << (key % 64)) - 1);
        int rank = ranksBefore[key / 64] + std::popcount(below);
        rankAt[i] = uint8_t(rank);
        holders[rank][i / 64] |= uint64_t(1) << (i % 64);
    }

    auto take = [&](uint64_t* set, int position) {
        set[position / 64] &= ~(uint64_t(1) << (position % 64));
    };
    int smallest = 0;
    for (int i = 0; i + 1 < count; ++i) {
        // Every position before i is settled and in no set, so the lowest holder is >= i.
        int first = -1;
        while (first < 0) {
            for (int word = 0; word < MaskWords && first < 0; ++word) {
                uint64_t bits = holders[smallest][word];
                if (bits != 0) first = word * 64 + std::countr_zero(bits);
            }
            if (first < 0) ++smallest;
        }
        take(holders[smallest], first);
        if (first != i) {
            int moved = rankAt[i];
            take(holders[moved], i);
            holders[moved][first / 64] |= uint64_t(1) << (first % 64);
            rankAt[first] = uint8_t(moved);
            SpriteEntry swapped = list[i];
            list[i] = list[first];
            list[first] = swapped;
        }
        rankAt[i] = uint8_t(smallest);
    }
}

bool composerHasSimdKernels() {
#ifdef __SSE2__
    return true;
#else
    return false;
#endif
}

int32_t composeFrameWith(VideoMemory& memory, ComposerKernels kernels) {
    if (memory.pixels == nullptr) return 0;
    memory.composing = 1;

    LineComposer composeLine = composeLinePortable;
#ifdef __SSE2__
    if (kernels == ComposerKernels::Simd) composeLine = composeLineSimd;
#else
    (void)kernels;
#endif

    // The sprite table is read once, before the first line's callback.
    FrameSprites frame;
    gatherSprites(memory, frame);

    const LineSprite* list[SpriteCount];
    for (int32_t y = 0; y < memory.height; ++y) {
        if (memory.lineCallback != nullptr) memory.lineCallback(memory, y, memory.lineCallbackData);
        int count = lineSprites(frame, y, list);
        if (memory.width > 0) {
            composeLine(memory, y, list, count, memory.pixels + size_t(y) * size_t(memory.width),
                        memory.width);
        }
    }

    memory.composing = 0;
    return 1;
}

int32_t composeFrame(VideoMemory& memory) {
    return composeFrameWith(memory, composerHasSimdKernels() ? ComposerKernels::Simd
                                                             : ComposerKernels::Portable);
}
