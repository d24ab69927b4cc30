// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of its scope.
#pragma once

#include <filesystem>
#include <random>
#include <string>

struct TempFolder {
    std::filesystem::path path;

    explicit TempFolder(const std::string& prefix = "quenmore-test") {
        std::random_device random;
        std::error_code error;
        for (;;) {
            path = std::filesystem::temp_directory_path() /
                   (prefix + "-" + std::to_string(random()) + std::to_string(random()));
            if (std::filesystem::create_directories(path, error)) break;
        }
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
