// The two asset loaders and the sheet conversion: any bytes as the file. A load succeeds
// exactly when the file is long enough, takes the bytes it has and leaves or clears the rest
// as promised; the conversion gives every pixel the colour number of its four bit planes.
#include "engine/asset_files.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Every pixel of a tile from its four bit planes, checked against the packed sheet.
void checkTile(const uint8_t* planes, const CharacterSheet& sheet, int tile) {
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int bit = 7 - x;
            const int colour = (planes[2 * y] >> bit & 1) | (planes[2 * y + 1] >> bit & 1) << 1 |
                               (planes[16 + 2 * y] >> bit & 1) << 2 |
                               (planes[17 + 2 * y] >> bit & 1) << 3;
            const uint8_t packed = sheet[size_t(sheetOffset(tile, x, y))];
            FUZZ_CHECK((x % 2 == 0 ? packed >> 4 : packed & 0x0F) == colour);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = scratchFolder() + "/asset";
    static auto sheet = std::make_unique<CharacterSheet>();
    static const auto untouched = [] {  // a sheet the file left alone, before and after
        auto both = std::make_unique<std::pair<CharacterSheet, CharacterSheet>>();
        both->first.fill(0x5A);
        both->second = both->first;
        convertCharacterSheet(both->second);
        return both;
    }();
    FUZZ_CHECK(writeWhole(file, data, size));

    // The bytes read replace the sheet's; the others stay. Tiles the file reaches are checked
    // pixel by pixel: the first ones, the last and a few the input picks (every tile goes through
    // the same steps, and checking all 1024 would cost most of a run); the rest against the
    // conversion of the untouched sheet.
    *sheet = untouched->first;
    const bool whole = loadCharacterSheet(*sheet, file.c_str());
    FUZZ_CHECK(whole == (size >= CharacterSetFileBytes));
    const size_t read = std::min(size, CharacterSetFileBytes);
    FUZZ_CHECK(std::equal(data, data + read, sheet->begin()));
    FUZZ_CHECK(std::equal(sheet->begin() + ptrdiff_t(read), sheet->end(),
                          untouched->first.begin() + ptrdiff_t(read)));
    const int reached = int((read + 31) / 32);
    CharacterSheet& packed = *sheet;
    const CharacterSheet source = packed;
    convertCharacterSheet(packed);
    if (reached > 0) {
        const int picked[] = {0,
                              1,
                              2,
                              reached - 1,
                              int(data[0]) * reached / 256,
                              int(data[size / 2]) * reached / 256,
                              int(data[size - 1] % reached)};
        for (int tile : picked)
            if (tile < reached) checkTile(source.data() + tile * 32, packed, tile);
    }
    for (int tile = reached; tile < TileCount; ++tile) {
        for (int y = 0; y < 8; ++y) {
            const size_t at = size_t(sheetOffset(tile, 0, y));
            FUZZ_CHECK(std::equal(packed.begin() + ptrdiff_t(at),
                                  packed.begin() + ptrdiff_t(at + 4),
                                  untouched->second.begin() + ptrdiff_t(at)));
        }
    }

    Palette palette;
    palette.fill(0x00445566);
    FUZZ_CHECK(loadPalette(palette, file.c_str()) == (size >= PaletteFileBytes));
    for (size_t k = 0; k < PaletteSize; ++k) {
        const auto byte = [&](size_t i) { return uint32_t(i < size ? data[i] : 0); };
        FUZZ_CHECK(palette[k] == (byte(3 * k) << 16 | byte(3 * k + 1) << 8 | byte(3 * k + 2)));
    }
    return 0;
}
