// The two asset loaders and the sheet conversion: any bytes as the file. A load succeeds
// exactly when the file is long enough, takes the bytes it has and leaves or clears the rest
// as promised; the conversion gives every pixel the colour number of its four bit planes.
#include "engine/asset_files.h"
#include "fuzz/fuzz_support.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = scratchFolder() + "/asset";
    static auto sheet = std::make_unique<CharacterSheet>();
    static auto planar = std::make_unique<CharacterSheet>();
    FUZZ_CHECK(writeWhole(file, data, size));

    sheet->fill(0x5A);
    const bool whole = loadCharacterSheet(*sheet, file.c_str());
    FUZZ_CHECK(whole == (size >= CharacterSetFileBytes));
    for (size_t i = 0; i < sheet->size(); ++i)
        FUZZ_CHECK((*sheet)[i] == (i < size ? data[i] : 0x5A));
    *planar = *sheet;
    convertCharacterSheet(*sheet);
    for (int tile = 0; tile < TileCount; ++tile) {
        const uint8_t* planes = planar->data() + tile * 32;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int bit = 7 - x;
                const int colour =
                    (planes[2 * y] >> bit & 1) | (planes[2 * y + 1] >> bit & 1) << 1 |
                    (planes[16 + 2 * y] >> bit & 1) << 2 | (planes[17 + 2 * y] >> bit & 1) << 3;
                const uint8_t packed = (*sheet)[size_t(sheetOffset(tile, x, y))];
                FUZZ_CHECK((x % 2 == 0 ? packed >> 4 : packed & 0x0F) == colour);
            }
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
