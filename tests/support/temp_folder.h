// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of its scope; and whole files read and written as bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A whole file's bytes (none if unreadable); whether all of them could be written.
inline Bytes readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

inline bool writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    return bool(
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())));
}
