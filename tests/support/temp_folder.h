// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of its scope; and whole files read and written as bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

struct TempFolder {
    std::filesystem::path path;

    explicit TempFolder(const std::string& prefix = "quenmore-test") {
        std::random_device random;
        std::error_code error;
        do {
            path = std::filesystem::temp_directory_path() /
                   (prefix + "-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directories(path, error));
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path / name).string(); }
};

using Bytes = std::vector<uint8_t>;

// At most the file's first `limit` bytes (a device is not read forever); none if unreadable.
inline Bytes readBytes(const std::string& path, size_t limit = 1 << 20) {
    Bytes bytes(limit);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    bytes.resize(std::fread(bytes.data(), 1, limit, file));
    std::fclose(file);
    return bytes;
}

inline bool writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
