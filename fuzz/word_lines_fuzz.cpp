// The word-line generator: any word list (the input after a 4-byte seed, one entry a line).
// Every line ends within the budget, is entries joined by single spaces, and is empty only
// when no entry fits a line.
#include "course/lesson/lesson_screen.h"
#include "fuzz/fuzz_support.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// True when the line is entries of the set joined by single spaces.
bool madeOfEntries(const std::string& line, const std::set<std::string>& entries) {
    std::vector<bool> reachable(line.size() + 2, false);  // an entry may start at i
    reachable[0] = true;
    for (size_t start = 0; start <= line.size(); ++start) {
        if (!reachable[start]) continue;
        for (const std::string& entry : entries) {
            if (line.compare(start, entry.size(), entry) != 0) continue;
            const size_t end = start + entry.size();
            if (end == line.size()) return true;
            if (end < line.size() && line[end] == ' ') reachable[end + 1] = true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static auto screen = std::make_unique<LessonScreen>();
    std::mt19937 random(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                        uint32_t(data[3]) << 24);
    // One exact-length heap copy an entry, so a read past one is caught.
    std::vector<std::unique_ptr<char[]>> copies;
    std::vector<const char*> words;
    std::set<std::string> entries;
    bool oneFits = false;
    for (size_t start = 4; start <= size && words.size() < 256;) {
        size_t stop = start;
        while (stop < size && data[stop] != '\n') ++stop;
        copies.push_back(std::make_unique<char[]>(stop - start + 1));
        std::memcpy(copies.back().get(), data + start, stop - start);
        words.push_back(copies.back().get());
        const std::string entry = words.back();
        entries.insert(entry);
        oneFits = oneFits || (!entry.empty() && entry.size() < size_t(LineBudget - 1));
        start = stop + 1;
    }
    makeWordLines(screen->lines, words.data(), int32_t(words.size()), random);
    for (const char* line : screen->lines) {
        const size_t length = strnlen(line, LineStride);
        FUZZ_CHECK(length < size_t(LineBudget));
        FUZZ_CHECK((length > 0) == oneFits);
        if (length > 0) FUZZ_CHECK(madeOfEntries(line, entries));
    }
    return 0;
}
