// The path rules, written once for every system.
#include "platform/platform.h"

#include <cstring>

namespace platform {

namespace {

#ifdef _WIN32
constexpr size_t LongestWidePath = 259;

// Number of UTF-16 units the UTF-8 text takes once widened: one per character, two for the
// characters beyond the 16-bit range (four-byte sequences).
size_t wideLength(const std::string& text) {
    size_t units = 0;
    for (unsigned char byte : text) {
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}
#endif

}  // namespace

bool pathFits(const std::string& path) {
#ifdef _WIN32
    return wideLength(path) <= LongestWidePath;
#else
    (void)path;
    return true;
#endif
}

bool isBuildOutputFolder(const char* folder) {
    return std::strstr(folder, "\\Release\\") != nullptr ||
           std::strstr(folder, "\\Debug\\") != nullptr;
}

}  // namespace platform
