// The platform layer's files and folders with names beyond ASCII: the learner's data folder
// may be named in any script, and every path the program hands over is UTF-8. The names on
// disk are read back through std::filesystem, which does not go through the platform layer,
// so a name mangled on the way (UTF-8 bytes taken for another code page) is caught too.
#include "platform/platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A folder and file names in Latin with accents, Greek, Cyrillic, Japanese and an emoji
// (four bytes in UTF-8, two UTF-16 units).
const std::string AccentedFolder = "Donn\xC3\xA9"
                                   "es de l'\xC3\xA9l\xC3\xA8ve";
const std::string OtherScriptsFolder = "\xCE\xB1\xCE\xB2\xCE\xB3 \xD0\xB6\xD1\x83\xD0\xBA "
                                       "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB9";
const std::string NewFileName = "meilleurs-temps.new";
const std::string FileName = "temps r\xC3\xA9"
                             "ussis \xE2\x80\x93 \xD0\xB4.dat";

std::string utf8(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path fromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string join(const std::string& folder, const std::string& name) {
    return folder + platform::pathSeparator() + name;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* file = platform::openFile(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The file (of at most 256 bytes), or "<missing>" when it cannot be opened.
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
    for (const auto& entry : std::filesystem::directory_iterator(fromUtf8(folder), error)) {
        names.push_back(utf8(entry.path().filename()));
    }
    return names;
}

class PlatformFilesTest : public ::testing::Test {
  protected:
    TempFolder temp{"quenmore-platform"};
    std::string base = utf8(temp.path);
};

TEST_F(PlatformFilesTest, FoldersAndFilesWithNamesInAnyScript) {
    const std::string parent = join(base, AccentedFolder);
    const std::string folder = join(parent, OtherScriptsFolder);
    ASSERT_TRUE(platform::createFolders(folder));
    EXPECT_TRUE(std::filesystem::is_directory(fromUtf8(folder)));
    EXPECT_EQ(namesIn(base), std::vector<std::string>{AccentedFolder});
    EXPECT_EQ(namesIn(parent), std::vector<std::string>{OtherScriptsFolder});
    // Existing folders are fine, also when the path ends with a separator.
    EXPECT_TRUE(platform::createFolders(folder));
    EXPECT_TRUE(platform::createFolders(folder + platform::pathSeparator()));

    // A file is written, replaced, read back and removed under such a folder.
    const std::string newFile = join(folder, NewFileName);
    const std::string file = join(folder, FileName);

    ASSERT_TRUE(writeFile(newFile, std::string("first\0bytes", 11)));
    ASSERT_TRUE(platform::replaceFile(newFile, file));
    EXPECT_EQ(readFile(file), std::string("first\0bytes", 11));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{FileName});

    // A second save replaces the first one whole.
    ASSERT_TRUE(writeFile(newFile, "second"));
    ASSERT_TRUE(platform::replaceFile(newFile, file));
    EXPECT_EQ(readFile(file), "second");
    EXPECT_EQ(readFile(newFile), "<missing>");

    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_EQ(readFile(file), "<missing>");
    EXPECT_TRUE(namesIn(folder).empty());
    // Removing what is already gone, even with its folder, is no failure.
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_TRUE(platform::removeFile(join(join(folder, "absent"), FileName)));
}

TEST_F(PlatformFilesTest, FailuresLeaveWhatWasSavedAlone) {
    const std::string file = join(base, FileName);
    ASSERT_TRUE(writeFile(file, "saved"));
    // Replacing with a file that is not there fails and keeps the saved one.
    EXPECT_FALSE(platform::replaceFile(join(base, NewFileName), file));
    EXPECT_EQ(readFile(file), "saved");
    // A folder cannot be made where a file is, nor below it.
    EXPECT_FALSE(platform::createFolders(file));
    EXPECT_FALSE(platform::createFolders(join(file, AccentedFolder)));
    EXPECT_FALSE(platform::createFolders(""));
    EXPECT_EQ(readFile(file), "saved");
    // Nothing opens in a folder that does not exist.
    EXPECT_EQ(platform::openFile(join(join(base, AccentedFolder), FileName).c_str(), "wb"),
              nullptr);
}

#ifndef _WIN32
// The best-times tests choose their folder through the host; here the real lookup.
TEST(PlatformDataFolder, IsAnAbsoluteXdgDataHomeElseUnderHome) {
    const char* names[] = {"XDG_DATA_HOME", "HOME"};
    const char* saved[2] = {std::getenv(names[0]), std::getenv(names[1])};
    const std::string savedText[2] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};
    std::string folder;
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_TRUE(platform::userDataFolder(folder) && folder == "/data/home") << folder;
    setenv("XDG_DATA_HOME", "relative/data", 1);  // ignored, as an empty one is
    setenv("HOME", "/home/learner", 1);
    EXPECT_TRUE(platform::userDataFolder(folder) && folder == "/home/learner/.local/share");
    unsetenv("HOME");
    EXPECT_FALSE(platform::userDataFolder(folder));
    for (int i = 0; i < 2; ++i)
        saved[i] ? setenv(names[i], savedText[i].c_str(), 1) : unsetenv(names[i]);
}
#else
TEST_F(PlatformFilesTest, MalformedUtf8NamesOpenNothing) {
    // A lone continuation byte and a cut-off sequence are not taken for some other name.
    EXPECT_EQ(platform::openFile(join(base, "bad\x80name").c_str(), "wb"), nullptr);
    EXPECT_EQ(platform::openFile(join(base, "cut\xE6\x97").c_str(), "wb"), nullptr);
    EXPECT_FALSE(platform::createFolders(join(base, "bad\x80name")));
    EXPECT_TRUE(namesIn(base).empty());
}

TEST(PlatformDataFolder, IsAnExistingFolderOnADrive) {
    std::string folder;
    ASSERT_TRUE(platform::userDataFolder(folder));
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
    EXPECT_TRUE(std::filesystem::is_directory(fromUtf8(folder))) << folder;
}
#endif

}  // namespace
