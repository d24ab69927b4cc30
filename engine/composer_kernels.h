// The kernels of the line composer: the work done on 8 pixels at a time (a tile row or a
// sprite group into a line buffer) and the blend of two line buffers into colours. Two sets
// with one meaning and one interface: PortableKernels, plain C++, and SimdKernels, SSE2,
// present only where the compiler targets it. Included by the line composer alone.
#pragma once

#include "engine/composer_line.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The 4 sheet bytes of a tile row, as one word whose byte 0 is the first in memory. Pixel i
// (0 = left) is the high nibble of byte i / 2 when i is even and the low nibble when odd.
inline uint32_t sheetWord(const CharacterSheet& sheet, int offset) {
    uint32_t word;
    std::memcpy(&word, sheet.data() + offset, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = word >> 24 | (word >> 8 & 0xFF00) | (word << 8 & 0xFF0000) | word << 24;
    }
    return word;
}

// The same 8 pixels, right to left when `mirror` is set. Without a branch, for lines where
// mirrored and plain cells mix at random: a mispredicted branch costs more than mirroring.
inline uint32_t mirrorWord(uint32_t word, bool mirror) {
    uint32_t bytes = word >> 24 | (word >> 8 & 0xFF00) | (word << 8 & 0xFF0000) | word << 24;
    uint32_t mirrored = (bytes >> 4 & 0x0F0F0F0F) | (bytes << 4 & 0xF0F0F0F0);
    uint32_t select = 0u - uint32_t(mirror);
    return (mirrored & select) | (word & ~select);
}

// True when all 8 pixels are opaque.
inline bool wordOpaque(uint32_t word) {
    uint32_t any = word | word >> 1;
    any |= any >> 2;
    return (any & 0x11111111) == 0x11111111;
}

inline int wordPixel(uint32_t word, int i) {
    return int(word >> ((i >> 1) * 8 + ((i & 1) ? 0 : 4)) & 15);
}

// One colour channel of a blend: mix, add (limited to 255) or multiply, with weights a and
// 127 - a over 128.
template <int Mode> inline uint32_t blendChannel(uint32_t source, uint32_t base, uint32_t amount) {
    if constexpr (Mode == BlendMix) {
        return (source * amount + base * (127 - amount)) >> 7;
    } else if constexpr (Mode == BlendAdd) {
        uint32_t sum = base + ((source * amount) >> 7);
        return sum > 255 ? 255 : sum;
    } else {
        return (base * (source * amount + 255 * (127 - amount))) >> 15;
    }
}

// One blended pixel from the two buffer entries. A transparent source is black with amount 0.
template <int Mode>
inline uint32_t blendPixel(const Palette& palette, uint32_t amount, uint16_t source,
                           uint16_t base) {
    uint32_t opaque = 0u - uint32_t((source & 0xFF) != 0);
    uint32_t sourceColour = palette[source & 0xFF] & opaque;
    amount &= opaque;
    uint32_t baseColour = palette[base & 0xFF];
    uint32_t pixel = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        pixel |=
            blendChannel<Mode>(sourceColour >> shift & 0xFF, baseColour >> shift & 0xFF, amount)
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
            entries[i] = row.entries[i] < entries[i] ? row.entries[i] : entries[i];
        }
    }
    // Opaque pixels of the sprite group take the entries no earlier sprite has taken.
    // Written as selects, not branches, as pixels are opaque or not at random.
    static void mergeFirst(uint16_t* entries, uint32_t word, uint16_t bits) {
        for (int i = 0; i < 8; ++i) {
            int value = wordPixel(word, i);
            uint16_t entry = entries[i];
            entries[i] = value != 0 && entry == LineEmpty ? uint16_t(bits | value) : entry;
        }
    }
    // Each entry's palette colour, unchanged.
    static void colour(const Palette& palette, const uint16_t* entries, int count, uint32_t* row) {
        for (int x = 0; x < count; ++x) row[x] = palette[entries[x] & 0xFF];
    }
    template <int Mode>
    static void blendRun(const Palette& palette, uint32_t amount, const uint16_t* source,
                         const uint16_t* base, int count, uint32_t* row) {
        for (int x = 0; x < count; ++x) {
            row[x] = blendPixel<Mode>(palette, amount, source[x], base[x]);
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
    static void colour(const Palette& palette, const uint16_t* entries, int count, uint32_t* row) {
        auto colourFour = [&](int at) {
            uint64_t four;  // entries at .. at + 3, the first in the low bits (x86)
            std::memcpy(&four, entries + at, sizeof four);
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(row + at),
                _mm_set_epi32(int(palette[four >> 48 & 0xFF]), int(palette[four >> 32 & 0xFF]),
                              int(palette[four >> 16 & 0xFF]), int(palette[four & 0xFF])));
        };
        int x = 0;
        for (; x + 8 <= count; x += 8) {
            // Eight pixels of one colour (backdrop, flat panels) take one palette read.
            __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + x));
            __m128i first = _mm_shuffle_epi32(_mm_shufflelo_epi16(eight, 0), 0);
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(eight, first)) == 0xFFFF) {
                __m128i colour = _mm_set1_epi32(int(palette[entries[x] & 0xFF]));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), colour);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x + 4), colour);
            } else {
                colourFour(x);
                colourFour(x + 4);
            }
        }
        if (x + 4 <= count) {
            colourFour(x);
            x += 4;
        }
        PortableKernels::colour(palette, entries + x, count - x, row + x);
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
        PortableKernels::blendRun<Mode>(palette, amount, source + x, base + x, count - x, row + x);
    }
};
#endif
