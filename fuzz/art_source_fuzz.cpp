// The art source parser: any text as one source file. A fault is reported with its line; what
// was read stays within the sheet and the palette, and encodes into asset files that load back
// into the same sheet and colours.
#include "fuzz/fuzz_support.h"
#include "tools/art_book.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto book = std::make_unique<ArtBook>();
    *book = ArtBook{};
    std::string error;
    const bool read = readArtText(*book, std::string(reinterpret_cast<const char*>(data), size),
                                  "fuzz.txt", error);
    FUZZ_CHECK(read == error.empty());
    if (!read) {
        FUZZ_CHECK(error.find("fuzz.txt") != std::string::npos);
        return 0;
    }
    for (uint8_t pixel : book->pixels) FUZZ_CHECK(pixel < 16);
    for (uint32_t colour : book->colours) FUZZ_CHECK(colour <= 0xFFFFFF);
    const PaletteBytes colours = encodePalette(*book);
    for (size_t k = 0; k < PaletteSize; ++k) {
        FUZZ_CHECK((uint32_t(colours[3 * k]) << 16 | uint32_t(colours[3 * k + 1]) << 8 |
                    colours[3 * k + 2]) == book->colours[k]);
    }
    static auto sheet = std::make_unique<CharacterSheet>();
    const CharacterSetBytes planar = encodeCharacterSet(*book);
    std::copy(planar.begin(), planar.end(), sheet->begin());
    convertCharacterSheet(*sheet);
    FUZZ_CHECK(*sheet == packedSheet(*book));
    return 0;
}
