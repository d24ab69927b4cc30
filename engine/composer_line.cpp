// One line of the fast composer. Each enabled layer is decoded a tile row at a time (one map
// read and one 4-byte sheet read per 8 pixels, blank rows skipped) into a line buffer of
// depth-tagged colour indices; the sprites crossing the line go into the same buffer first,
// front to back; then one pass turns the buffer into colours. When layer 0 blends, layer 0
// and the level-0 sprites get a buffer of their own and the pass mixes the two.
//
// The kernels that touch 8 pixels at a time come in two sets with one meaning: a portable
// one and an SSE2 one. The line logic is shared, written once over the kernel set.
#include "engine/composer_line.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Room on both sides of a run: a tile row or sprite group that starts up to 7 pixels before
// the run or ends up to 7 pixels after it is written whole; the margins are never shown.
constexpr int Margin = 8;
constexpr int BufferLength = Margin + LineSpan + Margin;

struct alignas(16) LineBuffer {
    uint16_t entries[BufferLength];
    uint16_t* at(int x) { return entries + Margin + x; }  // x relative to the run's start
};

// The 4 sheet bytes of a tile row, as one word whose byte 0 is the first in memory. Pixel i
// (0 = left) is the high nibble of byte i / 2 when i is even and the low nibble when odd.
uint32_t sheetWord(const CharacterSheet& sheet, int offset) {
    uint32_t word;
    std::memcpy(&word, sheet.data() + offset, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = word >> 24 | (word >> 8 & 0xFF00) | (word << 8 & 0xFF0000) | word << 24;
    }
    return word;
}

// The same 8 pixels, right to left when `mirror` is set. Without a branch: flips come at
// random in a scene, and a mispredicted branch costs more than the mirroring.
uint32_t mirrorWord(uint32_t word, bool mirror) {
    uint32_t bytes = word >> 24 | (word >> 8 & 0xFF00) | (word << 8 & 0xFF0000) | word << 24;
    uint32_t mirrored = (bytes >> 4 & 0x0F0F0F0F) | (bytes << 4 & 0xF0F0F0F0);
    uint32_t select = 0u - uint32_t(mirror);
    return (mirrored & select) | (word & ~select);
}

// True when all 8 pixels are opaque.
bool wordOpaque(uint32_t word) {
    uint32_t any = word | word >> 1;
    any |= any >> 2;
    return (any & 0x11111111) == 0x11111111;
}

int wordPixel(uint32_t word, int i) {
    return int(word >> ((i >> 1) * 8 + ((i & 1) ? 0 : 4)) & 15);
}

uint32_t blendChannel(int mode, uint32_t source, uint32_t base, uint32_t amount) {
    switch (mode) {
    case BlendMix: return (source * amount + base * (127 - amount)) >> 7;
    case BlendAdd: {
        uint32_t sum = base + ((source * amount) >> 7);
        return sum > 255 ? 255 : sum;
    }
    case BlendMultiply: return (base * (source * amount + 255 * (127 - amount))) >> 15;
    default: return base;
    }
}

// One blended pixel from the two buffer entries. A transparent source is black with amount 0.
uint32_t blendPixel(const Palette& palette, int mode, uint32_t amount, uint16_t source,
                    uint16_t base) {
    uint32_t sourceColour = 0;
    if (source & 0xFF) {
        sourceColour = palette[source & 0xFF];
    } else {
        amount = 0;
    }
    uint32_t baseColour = palette[base & 0xFF];
    uint32_t pixel = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        pixel |=
            blendChannel(mode, sourceColour >> shift & 0xFF, baseColour >> shift & 0xFF, amount)
            << shift;
    }
    return pixel;
}

struct PortableKernels {
    // A tile row's 8 would-be entries, transparent pixels at 0x7FFF so that they never win.
    struct TileRow {
        uint16_t entries[8];
    };
    static TileRow tileRow(uint32_t word, uint16_t bits) {
        TileRow row;
        for (int i = 0; i < 8; ++i) {
            int value = wordPixel(word, i);
            row.entries[i] = value != 0 ? uint16_t(bits | value) : uint16_t(0x7FFF);
        }
        return row;
    }
    // Each buffer entry keeps the nearer of itself and the tile row's.
    static void mergeNearest(uint16_t* entries, const TileRow& row) {
        for (int i = 0; i < 8; ++i) {
            if (row.entries[i] < entries[i]) entries[i] = row.entries[i];
        }
    }
    // Opaque pixels of the sprite group take the entries no earlier sprite has taken.
    static void mergeFirst(uint16_t* entries, uint32_t word, uint16_t bits) {
        for (int i = 0; i < 8; ++i) {
            int value = wordPixel(word, i);
            if (value != 0 && entries[i] == LineEmpty) entries[i] = uint16_t(bits | value);
        }
    }
    static void blend(const Palette& palette, int mode, uint32_t amount, const uint16_t* source,
                      const uint16_t* base, int count, uint32_t* row) {
        for (int x = 0; x < count; ++x) {
            row[x] = blendPixel(palette, mode, amount, source[x], base[x]);
        }
    }
};

#ifdef __SSE2__
struct SimdKernels {
    // The 8 pixel values of a tile row, one per 16-bit lane.
    static __m128i pixels(uint32_t word) {
        const __m128i nibble = _mm_set1_epi8(15);
        __m128i bytes = _mm_cvtsi32_si128(int(word));
        __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
        __m128i low = _mm_and_si128(bytes, nibble);
        return _mm_unpacklo_epi8(_mm_unpacklo_epi8(high, low), _mm_setzero_si128());
    }
    using TileRow = __m128i;
    static TileRow tileRow(uint32_t word, uint16_t bits) {
        __m128i values = pixels(word);
        __m128i clear = _mm_cmpeq_epi16(values, _mm_setzero_si128());
        return _mm_or_si128(_mm_or_si128(values, _mm_set1_epi16(short(bits))),
                            _mm_and_si128(clear, _mm_set1_epi16(0x7FFF)));
    }
    static void mergeNearest(uint16_t* entries, TileRow row) {
        auto* at = reinterpret_cast<__m128i*>(entries);
        _mm_storeu_si128(at, _mm_min_epi16(_mm_loadu_si128(at), row));
    }
    static void mergeFirst(uint16_t* entries, uint32_t word, uint16_t bits) {
        __m128i values = pixels(word);
        __m128i clear = _mm_cmpeq_epi16(values, _mm_setzero_si128());
        auto* at = reinterpret_cast<__m128i*>(entries);
        __m128i current = _mm_loadu_si128(at);
        __m128i take =
            _mm_andnot_si128(clear, _mm_cmpeq_epi16(current, _mm_set1_epi16(short(LineEmpty))));
        __m128i candidates = _mm_or_si128(values, _mm_set1_epi16(short(bits)));
        _mm_storeu_si128(
            at, _mm_or_si128(_mm_and_si128(take, candidates), _mm_andnot_si128(take, current)));
    }

    // Four blended pixels. Each source colour carries its amount in the top byte, so that
    // after widening to 16-bit lanes the amount can be spread over its pixel's channels.
    template <int Mode> static __m128i blendFour(__m128i source, __m128i base) {
        const __m128i zero = _mm_setzero_si128();
        __m128i result[2];
        for (int half = 0; half < 2; ++half) {
            __m128i s = half ? _mm_unpackhi_epi8(source, zero) : _mm_unpacklo_epi8(source, zero);
            __m128i b = half ? _mm_unpackhi_epi8(base, zero) : _mm_unpacklo_epi8(base, zero);
            __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
            __m128i rest = _mm_sub_epi16(_mm_set1_epi16(127), a);
            __m128i weighted = _mm_mullo_epi16(s, a);
            if constexpr (Mode == BlendMix) {
                result[half] = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_mullo_epi16(b, rest)), 7);
            } else if constexpr (Mode == BlendAdd) {
                // Saturates at 255 when packed back to bytes.
                result[half] = _mm_add_epi16(b, _mm_srli_epi16(weighted, 7));
            } else {
                // base * factor >> 15 with factor <= 32385: the high half of base * 2 factor.
                __m128i factor =
                    _mm_add_epi16(weighted, _mm_mullo_epi16(_mm_set1_epi16(255), rest));
                result[half] = _mm_mulhi_epu16(b, _mm_slli_epi16(factor, 1));
            }
        }
        return _mm_and_si128(_mm_packus_epi16(result[0], result[1]), _mm_set1_epi32(0x00FFFFFF));
    }
    // Four pixels whose source is transparent: amount 0 leaves the base, scaled in mix and
    // multiply by 127 / 128 and 32385 / 32768.
    template <int Mode> static __m128i blendOverNothing(__m128i base) {
        if constexpr (Mode == BlendAdd) {
            return _mm_and_si128(base, _mm_set1_epi32(0x00FFFFFF));
        } else {
            const __m128i zero = _mm_setzero_si128();
            __m128i result[2];
            for (int half = 0; half < 2; ++half) {
                __m128i b = half ? _mm_unpackhi_epi8(base, zero) : _mm_unpacklo_epi8(base, zero);
                result[half] = Mode == BlendMix
                                   ? _mm_srli_epi16(_mm_mullo_epi16(b, _mm_set1_epi16(127)), 7)
                                   : _mm_mulhi_epu16(b, _mm_set1_epi16(short(2 * 255 * 127)));
            }
            return _mm_and_si128(_mm_packus_epi16(result[0], result[1]),
                                 _mm_set1_epi32(0x00FFFFFF));
        }
    }
    template <int Mode>
    static void blendRun(const Palette& palette, uint32_t amount, const uint16_t* source,
                         const uint16_t* base, int count, uint32_t* row) {
        const uint32_t amountBits = amount << 24;
        auto sourceColour = [&](uint16_t entry) {
            uint32_t index = entry & 0xFF;
            uint32_t opaque = 0u - uint32_t(index != 0);
            return ((palette[index] & 0x00FFFFFF) | amountBits) & opaque;
        };
        int x = 0;
        for (; x + 4 <= count; x += 4) {
            __m128i b =
                _mm_set_epi32(int(palette[base[x + 3] & 0xFF]), int(palette[base[x + 2] & 0xFF]),
                              int(palette[base[x + 1] & 0xFF]), int(palette[base[x] & 0xFF]));
            auto* out = reinterpret_cast<__m128i*>(row + x);
            // Blending layers mostly cover part of the screen: skip the source where it is
            // transparent.
            if (((source[x] | source[x + 1] | source[x + 2] | source[x + 3]) & 0xFF) == 0) {
                _mm_storeu_si128(out, blendOverNothing<Mode>(b));
                continue;
            }
            __m128i s =
                _mm_set_epi32(int(sourceColour(source[x + 3])), int(sourceColour(source[x + 2])),
                              int(sourceColour(source[x + 1])), int(sourceColour(source[x])));
            _mm_storeu_si128(out, blendFour<Mode>(s, b));
        }
        PortableKernels::blend(palette, Mode, amount, source + x, base + x, count - x, row + x);
    }
    static void blend(const Palette& palette, int mode, uint32_t amount, const uint16_t* source,
                      const uint16_t* base, int count, uint32_t* row) {
        switch (mode) {
        case BlendMix: blendRun<BlendMix>(palette, amount, source, base, count, row); break;
        case BlendAdd: blendRun<BlendAdd>(palette, amount, source, base, count, row); break;
        default: blendRun<BlendMultiply>(palette, amount, source, base, count, row); break;
        }
    }
};
#endif

// Clears the entries a run of `count` pixels uses, margins included.
void clearBuffer(LineBuffer& buffer, int count) {
    for (int i = 0; i < Margin + count + Margin; ++i) buffer.entries[i] = LineEmpty;
}

// Draws sprites [first, end) of the line's list into the buffer, nearest first.
template <class Kernels>
void drawSprites(const VideoMemory& memory, const LineSprite* const* sprites, int first, int end,
                 int y, int start, int count, LineBuffer& buffer) {
    for (int i = first; i < end; ++i) {
        const LineSprite& sprite = *sprites[i];
        int rowOffset = sprite.rowBase + y * sprite.rowStep;
        for (int group = 0; group < sprite.groups; ++group) {
            int x = sprite.x0 + 8 * group - start;
            if (x <= -8 || x >= count) continue;
            // One linear offset: a block crossing the sheet's right edge runs on one row
            // lower. The sheet ends at SheetBytes; what lies beyond it is transparent.
            // Offsets are multiples of 4, so a word is either wholly inside or wholly beyond.
            int offset = rowOffset + sprite.groupBase + group * sprite.groupStep;
            if (offset >= SheetBytes) continue;
            uint32_t word = sheetWord(memory.sheet, offset);
            if (word == 0) continue;
            word = mirrorWord(word, sprite.mirror);
            Kernels::mergeFirst(buffer.at(x), word, sprite.bits);
        }
    }
}

// Draws one layer's line into the buffer. True when the layer is opaque over the whole run,
// so that the layers behind it cannot show.
template <class Kernels>
bool drawLayer(const VideoMemory& memory, int layer, int y, int start, int count,
               LineBuffer& buffer) {
    LayerWord word = memory.layers[size_t(layer)];
    int px = (start + layerScrollX(word)) & MapPixelMask;
    int py = (y + layerScrollY(word)) & MapPixelMask;
    const TileCell* mapRow = memory.maps.data() + mapIndex(layer, 0, py >> 3);
    int rowOffset = (py & 7) * SheetRowBytes;
    int flippedRowOffset = (7 - (py & 7)) * SheetRowBytes;
    int column = px >> 3;
    int fine = px & 7;
    int tiles = (count + fine + 7) >> 3;
    uint16_t* entries = buffer.at(-fine);
    // Screens repeat cells along a row (blank areas, panels), so a cell like the one before
    // reuses its decoded row, and a run of blank cells is passed over four at a time.
    int previous = -1;
    bool blank = true;
    bool covers = true;
    typename Kernels::TileRow row{};
    for (int k = 0; k < tiles; ++k) {
        int at = (column + k) & (MapSide - 1);
        TileCell cell = mapRow[at];
        if (cell != previous) {
            previous = cell;
            int offset = ((cell & 0x3F0) << 5) + ((cell & 15) << 2) +
                         ((cell & CellFlipY) ? flippedRowOffset : rowOffset);
            uint32_t pixels = sheetWord(memory.sheet, offset);
            blank = pixels == 0;
            covers = covers && wordOpaque(pixels);
            if (!blank) {
                pixels = mirrorWord(pixels, (cell & CellFlipX) != 0);
                row = Kernels::tileRow(pixels, tileDepthBits(layer, cell));
            }
        }
        if (!blank) {
            Kernels::mergeNearest(entries + 8 * k, row);
            continue;
        }
        const uint64_t run = cell * 0x0001000100010001u;
        while (k + 4 < tiles && at + 4 < MapSide) {
            uint64_t next;
            std::memcpy(&next, mapRow + at + 1, sizeof next);
            if (next != run) break;
            k += 4;
            at += 4;
        }
    }
    return covers;
}

// Draws the enabled layers from `first` back, front to back, up to the first that covers
// the run.
template <class Kernels>
void drawLayers(const VideoMemory& memory, int first, int y, int start, int count,
                LineBuffer& buffer) {
    for (int layer = first; layer < LayerCount; ++layer) {
        if (layerEnabled(memory.layers[size_t(layer)]) &&
            drawLayer<Kernels>(memory, layer, y, start, count, buffer)) {
            return;
        }
    }
}

template <class Kernels>
void composeRun(const VideoMemory& memory, int y, const LineSprite* const* sprites, int spriteCount,
                int start, int count, uint32_t* row) {
    LineBuffer base;
    clearBuffer(base, count);
    LayerWord word0 = memory.layers[0];
    int mode = layerBlendMode(word0);
    if (!layerEnabled(word0) || mode == BlendNone) {
        drawSprites<Kernels>(memory, sprites, 0, spriteCount, y, start, count, base);
        drawLayers<Kernels>(memory, 0, y, start, count, base);
        const uint16_t* entries = base.at(0);
        for (int x = 0; x < count; ++x) row[x] = memory.palette[entries[x] & 0xFF];
        return;
    }

    // Layer 0 blends: it and the level-0 sprites (first in the list) make the source, the
    // rest the base.
    int front = 0;
    while (front < spriteCount && sprites[front]->front) ++front;
    drawSprites<Kernels>(memory, sprites, front, spriteCount, y, start, count, base);
    drawLayers<Kernels>(memory, 1, y, start, count, base);
    if (mode > BlendMultiply) {
        // The source is not seen at all.
        const uint16_t* entries = base.at(0);
        for (int x = 0; x < count; ++x) row[x] = memory.palette[entries[x] & 0xFF] & 0x00FFFFFF;
        return;
    }
    LineBuffer source;
    clearBuffer(source, count);
    drawSprites<Kernels>(memory, sprites, 0, front, y, start, count, source);
    drawLayer<Kernels>(memory, 0, y, start, count, source);
    Kernels::blend(memory.palette, mode, uint32_t(layerBlendAmount(word0)), source.at(0),
                   base.at(0), count, row);
}

template <class Kernels>
void composeLine(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                 int spriteCount, uint32_t* row, int32_t width) {
    for (int start = 0; start < width; start += LineSpan) {
        int count = width - start < LineSpan ? width - start : LineSpan;
        composeRun<Kernels>(memory, y, sprites, spriteCount, start, count, row + start);
    }
}

}  // namespace

LineSprite lineSprite(SpriteEntry entry) {
    uint32_t attributes = entry.attributes;
    uint32_t placement = entry.placement;
    LineSprite sprite;
    sprite.x0 = int(placement & 0x1FF) - 32;
    sprite.y0 = int(attributes & 0x1FF) - 32;
    sprite.y1 = sprite.y0 + 8 * int(attributes >> 12 & 3) + 7;
    sprite.groups = spriteWidthTiles(attributes);
    int tile = spriteTileOf(attributes);
    int sheetBase = (tile >> 4) * SheetTileRowBytes + (tile & 15) * 4;
    // Row y - y0 of the block, or y1 - y when flipped vertically.
    bool flipY = (attributes & SpriteFlipY) != 0;
    sprite.rowStep = flipY ? -SheetRowBytes : SheetRowBytes;
    sprite.rowBase = sheetBase + (flipY ? sprite.y1 : -sprite.y0) * SheetRowBytes;
    sprite.mirror = (attributes & SpriteFlipX) != 0;
    sprite.groupStep = sprite.mirror ? -4 : 4;
    sprite.groupBase = sprite.mirror ? 4 * (sprite.groups - 1) : 0;
    int level = spriteLevelOf(placement);
    int depth = 4 * level + ((placement & SpritePriority) ? 2 : 0);
    sprite.bits = uint16_t(depth << 8 | (placement >> 12 & 15) << 4);
    sprite.front = level == 0;
    return sprite;
}

void composeLinePortable(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                         int spriteCount, uint32_t* row, int32_t width) {
    composeLine<PortableKernels>(memory, y, sprites, spriteCount, row, width);
}

#ifdef __SSE2__
void composeLineSimd(const VideoMemory& memory, int32_t y, const LineSprite* const* sprites,
                     int spriteCount, uint32_t* row, int32_t width) {
    composeLine<SimdKernels>(memory, y, sprites, spriteCount, row, width);
}
#endif
