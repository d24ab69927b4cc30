// Files and folders named beyond ASCII, read back through std::filesystem rather than the
// platform layer, so a name mangled on the way (UTF-8 taken for a code page) is caught too.
#include "platform/platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Latin with accents, Greek, Cyrillic, Japanese and an emoji (two UTF-16 units).
const std::string Folder = "Donn\xC3\xA9"
                           "es \xCE\xB1\xCE\xB2 \xD0\xB6\xD1\x83 \xE6\x97\xA5\xE6\x9C\xAC "
                           "\xF0\x9F\x8E\xB9";
const std::string FileName = "temps r\xC3\xA9"
                             "ussis \xE2\x80\x93 \xD0\xB4.dat";

std::string join(const std::string& folder, const std::string& name) {
    return folder + platform::pathSeparator() + name;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* file = platform::openFile(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string readFile(const std::string& path) {
    FILE* file = platform::openFile(path.c_str(), "rb");
    if (file == nullptr) return "<missing>";
    char buffer[256];
    const std::string bytes(buffer, std::fread(buffer, 1, sizeof buffer, file));
    std::fclose(file);
    return bytes;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(std::u8string(folder.begin(), folder.end())), error)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

TEST(PlatformFiles, NamesInAnyScriptAndFailuresLeaveWhatWasSavedAlone) {
    TempFolder temp{"quenmore-platform"};
    const std::u8string utf8Base = temp.path.u8string();
    const std::string base(utf8Base.begin(), utf8Base.end());
    const std::string folder = join(join(base, Folder), Folder);
    const std::string file = join(folder, FileName);
    const std::string newFile = join(folder, "new");
    ASSERT_TRUE(platform::createFolders(folder));
    EXPECT_TRUE(platform::createFolders(folder + platform::pathSeparator()));  // exists: fine
    EXPECT_EQ(namesIn(base), std::vector<std::string>{Folder});
    for (const std::string& bytes : {std::string("first\0bytes", 11), std::string("saved")}) {
        ASSERT_TRUE(writeFile(newFile, bytes));
        ASSERT_TRUE(platform::replaceFile(newFile, file));  // a save replaces the last whole
        EXPECT_EQ(readFile(file), bytes);
    }
    EXPECT_FALSE(platform::replaceFile(newFile, file));  // nothing to replace it with
    EXPECT_FALSE(platform::createFolders(file));
    EXPECT_FALSE(platform::createFolders(join(file, Folder)));
    EXPECT_FALSE(platform::createFolders(""));
    EXPECT_EQ(platform::openFile(join(join(base, "absent"), FileName).c_str(), "wb"), nullptr);
#ifdef _WIN32
    // A lone continuation byte or a cut-off sequence is not taken for some other name.
    EXPECT_EQ(platform::openFile(join(folder, "bad\x80name").c_str(), "wb"), nullptr);
    EXPECT_EQ(platform::openFile(join(folder, "cut\xE6\x97").c_str(), "wb"), nullptr);
    EXPECT_FALSE(platform::createFolders(join(folder, "bad\x80name")));
#endif
    EXPECT_EQ(readFile(file), "saved");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{FileName});
}

#ifndef _WIN32
TEST(PlatformDataFolder, IsAnAbsoluteXdgDataHomeElseUnderHome) {
    const char* saved[] = {std::getenv("XDG_DATA_HOME"), std::getenv("HOME")};
    const std::string savedText[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};
    std::string folder;
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_TRUE(platform::userDataFolder(folder) && folder == "/data/home") << folder;
    setenv("XDG_DATA_HOME", "relative/data", 1);  // ignored, as an empty one is
    setenv("HOME", "/home/learner", 1);
    EXPECT_TRUE(platform::userDataFolder(folder) && folder == "/home/learner/.local/share");
    unsetenv("HOME");
    EXPECT_FALSE(platform::userDataFolder(folder));
    saved[0] ? setenv("XDG_DATA_HOME", savedText[0].c_str(), 1) : unsetenv("XDG_DATA_HOME");
    saved[1] ? setenv("HOME", savedText[1].c_str(), 1) : unsetenv("HOME");
}
#else
TEST(PlatformDataFolder, IsAnExistingFolderOnADrive) {
    std::string folder;
    ASSERT_TRUE(platform::userDataFolder(folder));
    EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
    EXPECT_TRUE(std::filesystem::is_directory(std::u8string(folder.begin(), folder.end())));
}
#endif

}  // namespace
