#include "tools/art_book.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

int tilePixel(const ArtBook& book, int tile, int x, int y) {
    return book.pixels[size_t(((tile / 16) * 8 + y) * SheetWidth + (tile % 16) * 8 + x)];
}

namespace {

constexpr int NoValue = -1;

// The state of reading one source text.
struct Reader {
    ArtBook& book;
    const std::string& sourceName;
    std::string& error;
    std::vector<std::string_view> lines;
    size_t next = 0;  // index of the next line to read
    std::array<int, 256> legend{};
    int group = NoValue;
    int base = NoValue;
    int shadow = NoValue;
};

bool fail(Reader& reader, size_t lineIndex, const std::string& message) {
    reader.error = reader.sourceName + ":" + std::to_string(lineIndex + 1) + ": " + message;
    return false;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

// A whole decimal number from `low` to `high`, or NoValue.
int parseNumber(std::string_view word, int low, int high) {
    if (word.empty() || word.size() > 6) return NoValue;
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return NoValue;
        value = value * 10 + (c - '0');
    }
    return (value < low || value > high) ? NoValue : value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return NoValue;
}

void resetLegend(Reader& reader) {
    reader.legend.fill(NoValue);
    reader.legend['.'] = 0;
    for (int digit = 0; digit <= 9; ++digit) reader.legend[size_t('0' + digit)] = digit;
    for (int digit = 10; digit <= 15; ++digit) reader.legend[size_t('a' + digit - 10)] = digit;
}

// Reads `height` rows of `width` pixel characters into a scratch block.
bool readBlock(Reader& reader, size_t headerLine, int width, int height,
               std::vector<uint8_t>& block) {
    block.assign(size_t(width * height), 0);
    for (int y = 0; y < height; ++y) {
        if (reader.next >= reader.lines.size())
            return fail(reader, headerLine,
                        "the block ends after " + std::to_string(y) + " of its " +
                            std::to_string(height) + " rows");
        const size_t lineIndex = reader.next++;
        std::string_view row = reader.lines[lineIndex];
        if (int(row.size()) != width)
            return fail(reader, lineIndex,
                        "a row of " + std::to_string(row.size()) + " pixels where the block is " +
                            std::to_string(width) + " wide");
        for (int x = 0; x < width; ++x) {
            const int value = reader.legend[uint8_t(row[size_t(x)])];
            if (value == NoValue)
                return fail(reader, lineIndex,
                            std::string("the pixel character '") + row[size_t(x)] +
                                "' is not in the legend");
            block[size_t(y * width + x)] = uint8_t(value);
        }
    }
    return true;
}

// Places a block whose top-left tile is `tile` into the sheet, refusing tiles given before.
bool placeBlock(Reader& reader, size_t headerLine, int tile, int width, int height,
                const std::vector<uint8_t>& block) {
    const int columns = width / 8;
    const int rows = height / 8;
    if (tile % 16 + columns > 16 || tile / 16 + rows > TileCount / 16)
        return fail(reader, headerLine, "the block runs past the edge of the sheet");
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int t = tile + 16 * r + c;
            if (reader.book.tileGiven[size_t(t)])
                return fail(reader, headerLine, "tile " + std::to_string(t) + " is given twice");
            reader.book.tileGiven[size_t(t)] = true;
        }
    }
    const int left = (tile % 16) * 8;
    const int top = (tile / 16) * 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reader.book.pixels[size_t((top + y) * SheetWidth + left + x)] =
                block[size_t(y * width + x)];
    return true;
}

// Fills empty pixels whose upper-left neighbour is part of the glyph.
void addShadow(std::vector<uint8_t>& glyph, int value) {
    const std::vector<uint8_t> ink = glyph;
    for (int y = 1; y < 8; ++y)
        for (int x = 1; x < 8; ++x)
            if (ink[size_t(y * 8 + x)] == 0 && ink[size_t((y - 1) * 8 + x - 1)] != 0)
                glyph[size_t(y * 8 + x)] = uint8_t(value);
}

bool readColour(Reader& reader, size_t lineIndex, const std::vector<std::string_view>& words) {
    if (reader.group == NoValue) return fail(reader, lineIndex, "a colour before any group");
    if (words.size() < 3) return fail(reader, lineIndex, "a colour needs an entry and RRGGBB");
    const int entry = words[1].size() == 1 ? hexDigit(words[1][0]) : NoValue;
    if (entry == NoValue) return fail(reader, lineIndex, "a colour entry is one hex digit");
    if (words[2].size() != 6) return fail(reader, lineIndex, "a colour must be six hex digits");
    uint32_t rgb = 0;
    for (char c : words[2]) {
        const int digit = hexDigit(c);
        if (digit == NoValue) return fail(reader, lineIndex, "a colour must be six hex digits");
        rgb = rgb << 4 | uint32_t(digit);
    }
    const size_t index = size_t(reader.group * 16 + entry);
    if (reader.book.colourGiven[index])
        return fail(reader, lineIndex,
                    "palette entry " + std::to_string(index) + " is given twice");
    reader.book.colourGiven[index] = true;
    reader.book.colours[index] = rgb;
    return true;
}

bool readLegend(Reader& reader, size_t lineIndex, const std::vector<std::string_view>& words) {
    if (words.size() < 3 || words.size() % 2 == 0)
        return fail(reader, lineIndex, "a legend is pairs of a character and a value");
    for (size_t i = 1; i + 1 < words.size(); i += 2) {
        const int value = parseNumber(words[i + 1], 0, 15);
        if (words[i].size() != 1 || value == NoValue)
            return fail(reader, lineIndex, "a legend pair is one character and a value 0 to 15");
        reader.legend[uint8_t(words[i][0])] = value;
    }
    return true;
}

// Takes the optional name of a tile, picture or base: words[at], when given.
bool readName(Reader& reader, size_t lineIndex, const std::vector<std::string_view>& words,
              size_t at, int tile) {
    if (words.size() <= at) return true;
    const std::string_view name = words[at];
    bool valid = words.size() == at + 1 && name[0] >= 'A' && name[0] <= 'Z';
    for (char c : name)
        valid =
            valid && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    if (!valid) return fail(reader, lineIndex, "a name is a capital, then letters and digits");
    for (const auto& [given, number] : reader.book.tileNames)
        if (given == name) return fail(reader, lineIndex, "the name " + given + " is given twice");
    reader.book.tileNames.emplace_back(std::string(name), tile);
    return true;
}

bool readLine(Reader& reader) {
    const size_t lineIndex = reader.next++;
    const std::string_view line = reader.lines[lineIndex];
    const std::vector<std::string_view> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string_view command = words[0];
    std::vector<uint8_t> block;

    if (command == "group") {
        reader.group = words.size() >= 2 ? parseNumber(words[1], 0, 15) : NoValue;
        if (reader.group == NoValue) return fail(reader, lineIndex, "a group must be 0 to 15");
        return true;
    }
    if (command == "colour") return readColour(reader, lineIndex, words);
    if (command == "legend") return readLegend(reader, lineIndex, words);
    if (command == "base") {
        reader.base = words.size() >= 2 ? parseNumber(words[1], 0, TileCount - 1) : NoValue;
        if (reader.base == NoValue) return fail(reader, lineIndex, "a base must be a tile number");
        return readName(reader, lineIndex, words, 2, reader.base);
    }
    if (command == "shadow") {
        if (words.size() == 2 && words[1] == "off") {
            reader.shadow = NoValue;
            return true;
        }
        reader.shadow = words.size() == 2 ? parseNumber(words[1], 1, 15) : NoValue;
        if (reader.shadow == NoValue) return fail(reader, lineIndex, "a shadow is 1 to 15 or off");
        return true;
    }
    if (command == "tile") {
        const int tile = words.size() >= 2 ? parseNumber(words[1], 0, TileCount - 1) : NoValue;
        if (tile == NoValue) return fail(reader, lineIndex, "a tile must be 0 to 1023");
        return readName(reader, lineIndex, words, 2, tile) &&
               readBlock(reader, lineIndex, 8, 8, block) &&
               placeBlock(reader, lineIndex, tile, 8, 8, block);
    }
    if (command == "char") {
        // The character is the one right after "char ", so that "#" and the like can be named;
        // one from U+0080 to U+00FF is written in UTF-8 and stands for its Latin-1 code.
        if (line.size() < 6 || line.substr(0, 5) != "char " || line[5] == ' ')
            return fail(reader, lineIndex, "a char line names one character");
        int code = uint8_t(line[5]);
        size_t end = 6;
        if ((code == 0xC2 || code == 0xC3) && line.size() > 6 &&
            (uint8_t(line[6]) & 0xC0) == 0x80) {
            code = (code & 0x03) << 6 | (uint8_t(line[6]) & 0x3F);
            end = 7;
        }
        if (line.size() > end && line[end] != ' ')
            return fail(reader, lineIndex, "a char line names one character");
        if (reader.base == NoValue) return fail(reader, lineIndex, "a char before any base");
        const int tile = reader.base + code;
        if (tile >= TileCount) return fail(reader, lineIndex, "the character's tile is past 1023");
        if (!readBlock(reader, lineIndex, 8, 8, block)) return false;
        if (reader.shadow != NoValue) addShadow(block, reader.shadow);
        return placeBlock(reader, lineIndex, tile, 8, 8, block);
    }
    if (command == "picture") {
        const bool sized = words.size() == 4 || words.size() == 5;
        const int tile = sized ? parseNumber(words[1], 0, TileCount - 1) : NoValue;
        const int width = sized ? parseNumber(words[2], 8, SheetWidth) : NoValue;
        const int height = sized ? parseNumber(words[3], 8, SheetHeight) : NoValue;
        if (tile == NoValue || width == NoValue || height == NoValue || width % 8 != 0 ||
            height % 8 != 0)
            return fail(reader, lineIndex, "a picture needs a tile and a size in whole tiles");
        return readName(reader, lineIndex, words, 4, tile) &&
               readBlock(reader, lineIndex, width, height, block) &&
               placeBlock(reader, lineIndex, tile, width, height, block);
    }
    return fail(reader, lineIndex, "unknown directive '" + std::string(command) + "'");
}

bool readWholeFile(const std::string& path, std::string& text) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return false;
    text.clear();
    char chunk[4096];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, read);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// The file holds its old bytes or the whole new ones, whatever happens meanwhile.
bool writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size) {
    std::string reason;
    return platform::writeFileAtomically(path, bytes, size, reason);
}

// "assets/quenmore.chr" -> "quenmore.chr"
std::string fileNameOf(const char* relativeName) {
    const std::string name = relativeName;
    const size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

bool readArtText(ArtBook& book, const std::string& text, const std::string& sourceName,
                 std::string& error) {
    Reader reader{book, sourceName, error, splitLines(text)};
    resetLegend(reader);
    while (reader.next < reader.lines.size())
        if (!readLine(reader)) return false;
    return true;
}

bool readArtFolder(ArtBook& book, const std::string& folder, std::string& error) {
    std::error_code code;
    std::vector<std::filesystem::path> sources;
    for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end;
         it.increment(code)) {
        if (it->path().extension() == ".txt") sources.push_back(it->path());
    }
    if (code) {
        error = folder + ": " + code.message();
        return false;
    }
    if (sources.empty()) {
        error = folder + ": no .txt art sources";
        return false;
    }
    std::sort(sources.begin(), sources.end());
    std::string text;
    for (const std::filesystem::path& source : sources) {
        if (!readWholeFile(source.string(), text)) {
            error = source.string() + ": cannot be read";
            return false;
        }
        if (!readArtText(book, text, source.filename().string(), error)) return false;
    }
    return true;
}

CharacterSetBytes encodeCharacterSet(const ArtBook& book) {
    CharacterSetBytes bytes{};
    for (int tile = 0; tile < TileCount; ++tile) {
        uint8_t* out = bytes.data() + 32 * tile;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int value = tilePixel(book, tile, x, y);
                const uint8_t bit = uint8_t(0x80 >> x);
                if (value & 1) out[2 * y] |= bit;
                if (value & 2) out[2 * y + 1] |= bit;
                if (value & 4) out[16 + 2 * y] |= bit;
                if (value & 8) out[17 + 2 * y] |= bit;
            }
        }
    }
    return bytes;
}

namespace {

PaletteBytes paletteBytes(const Palette& colours) {
    PaletteBytes bytes{};
    for (size_t k = 0; k < PaletteSize; ++k) {
        bytes[3 * k] = uint8_t(colours[k] >> 16);
        bytes[3 * k + 1] = uint8_t(colours[k] >> 8);
        bytes[3 * k + 2] = uint8_t(colours[k]);
    }
    return bytes;
}

}  // namespace

PaletteBytes encodePalette(const ArtBook& book) {
    return paletteBytes(book.colours);
}

bool readPaletteVariant(const ArtBook& book, const std::string& path, Palette& palette,
                        std::string& error) {
    auto variant = std::make_unique<ArtBook>();
    std::string text;
    const std::string name = std::filesystem::path(path).filename().string();
    if (!readWholeFile(path, text)) {
        error = path + ": cannot be read";
        return false;
    }
    if (!readArtText(*variant, text, name, error)) return false;
    if (std::find(variant->tileGiven.begin(), variant->tileGiven.end(), true) !=
        variant->tileGiven.end()) {
        error = name + ": a colour scheme gives colours only";
        return false;
    }
    palette = book.colours;
    for (size_t i = 0; i < PaletteSize; ++i)
        if (variant->colourGiven[i]) palette[i] = variant->colours[i];
    return true;
}

bool writePaletteFile(const Palette& palette, const std::string& path, std::string& error) {
    const PaletteBytes bytes = paletteBytes(palette);
    if (writeWholeFile(path, bytes.data(), bytes.size())) return true;
    error = path + ": cannot be written";
    return false;
}

CharacterSheet packedSheet(const ArtBook& book) {
    CharacterSheet sheet{};
    for (size_t i = 0; i < book.pixels.size(); i += 2)
        sheet[i / 2] = uint8_t(book.pixels[i] << 4 | book.pixels[i + 1]);
    return sheet;
}

bool writeAssetFiles(const ArtBook& book, const std::string& folder, std::string& error) {
    const CharacterSetBytes characterSet = encodeCharacterSet(book);
    const PaletteBytes palette = encodePalette(book);
    const std::string characterSetPath = folder + "/" + fileNameOf(CharacterSetFileName);
    const std::string palettePath = folder + "/" + fileNameOf(PaletteFileName);
    if (!writeWholeFile(characterSetPath, characterSet.data(), characterSet.size())) {
        error = characterSetPath + ": cannot be written";
        return false;
    }
    if (!writeWholeFile(palettePath, palette.data(), palette.size())) {
        error = palettePath + ": cannot be written";
        return false;
    }
    return true;
}

std::string tileNamesHeader(const ArtBook& book) {
    std::string text =
        "// The tiles that art/ names, for the screens: written by the asset build with the two\n"
        "// asset files (cmake --build --preset dev --target assets). Do not edit.\n"
        "#pragma once\n\nnamespace art {\n\n";
    for (const auto& [name, tile] : book.tileNames)
        text += "constexpr int " + name + " = " + std::to_string(tile) + ";\n";
    return text + "\n}  // namespace art\n";
}

bool writeTileNames(const ArtBook& book, const std::string& path, std::string& error) {
    const std::string text = tileNamesHeader(book);
    if (writeWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        return true;
    error = path + ": cannot be written";
    return false;
}
