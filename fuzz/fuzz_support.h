// What the fuzz targets share: a scratch folder in memory where there is one, whole files
// written from the input, and a check that stops the run with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// A fresh folder for this process's files, on a memory file system when there is one (the
// saves flush to the disk, which would cost more than everything else).
inline std::string scratchFolder() {
    static const std::string folder = [] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/quenmore-fuzz-XXXXXX");
        return std::string(mkdtemp(pattern.data()) != nullptr ? pattern.c_str() : "/tmp");
    }();
    return folder;
}

inline bool writeWhole(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// An invariant that does not hold is a finding: the input is kept as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
