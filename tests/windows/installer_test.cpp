// The Windows installer of the Windows build under Wine, run silently as winget runs it, in a
// fresh Wine prefix: what it installs and registers, the installed program's title, the
// uninstaller, then an upgrade over an older version in another folder, tried first while
// that one runs. The learner's best times in AppData\Roaming outlive all of it.
#include "tests/real_window/real_window_test.h"

#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using Entry = std::map<std::string, std::string>;

// Every file under `root` by its relative path: its size and a hash of its bytes.
std::map<std::string, std::string> filesIn(const fs::path& root) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        if (!entry.is_regular_file()) continue;
        const Bytes bytes = readBytes(entry.path());
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        files[entry.path().lexically_relative(root).string()] =
            std::to_string(bytes.size()) + " bytes #" +
            std::to_string(std::hash<std::string_view>{}(view));
    }
    return files;
}

class InstallerTest : public RealWindowTest {
  protected:
    const std::string prefix = folder.file("wine");
    // Wine names the user's folder after the Unix user.
    const std::string user = getpwuid(getuid()) != nullptr ? getpwuid(getuid())->pw_name : "root";
    const fs::path home = fs::path(prefix) / "drive_c/users" / user;
    const fs::path shortcut =
        home / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quenmore.lnk";

    // A Windows program's status in the prefix (-1: it did not end).
    int wine(std::vector<std::string> command, const std::string& log = "wine-programs") {
        command.insert(command.begin(), {QUENMORE_WINE_RUN, prefix});
        ChildProcess child;
        spawnProcess(child, command, {"DISPLAY=" + x.name}, logs(log));
        return waitForExit(child, 300) ? exitCode(child) : -1;
    }

    // The values of the Settings entry as reg.exe shows them ("0x1" for a number); none while
    // there is no entry.
    Entry uninstallEntry() {
        fs::remove(logs("reg"));
        Entry values;
        if (wine({"reg", "query",
                  R"(HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenmore)"},
                 "reg") != 0)
            return values;
        std::istringstream lines(readFile(logs("reg")));
        for (std::string line; std::getline(lines, line);) {  // "    Name    REG_SZ    Value"
            if (line.ends_with('\r')) line.pop_back();
            const size_t type = line.find("    REG_"), value = line.find("    ", type + 4);
            if (line.starts_with("    ") && type != std::string::npos)
                values[line.substr(4, type - 4)] =
                    value == std::string::npos ? "" : line.substr(value + 4);
        }
        return values;
    }

    // The folder holds the laid-out program's files alone, and its uninstaller.
    void expectInstalled(const fs::path& installed, const fs::path& staged) {
        std::map<std::string, std::string> files = filesIn(installed);
        EXPECT_EQ(files.erase("uninstall.exe"), 1u) << installed;
        EXPECT_EQ(files, filesIn(staged)) << installed;
    }
};

TEST_F(InstallerTest, InstallsForTheUserUninstallsAndUpgradesKeepingTheBestTimes) {
    if (!fs::exists(QUENMORE_SETUP) || !fs::exists(QUENMORE_OLDER_SETUP))
        GTEST_SKIP() << QUENMORE_SETUP << " does not exist; script/windows builds it";
    const std::string place = R"(C:\users\)" + user + R"(\AppData\Local\Programs\Quenmore)";
    const fs::path installed = home / "AppData/Local/Programs/Quenmore";
    ASSERT_NO_FATAL_FAILURE(
        startSession(wineProgram(place + "\\quenmore.exe", prefix), ScreenWidth, ScreenHeight));
    ASSERT_EQ(wine({QUENMORE_SETUP, "/S"}), 0) << readFile(logs("wine-programs"));
    expectInstalled(installed, QUENMORE_STAGED);
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_FALSE(fs::exists(home / "Desktop/Quenmore.lnk"));
    Entry entry = uninstallEntry();
    size_t bytes = 0;
    for (const auto& file : fs::recursive_directory_iterator(installed))
        bytes += file.is_regular_file() ? file.file_size() : 0;
    EXPECT_NEAR(std::strtol(entry["EstimatedSize"].c_str(), nullptr, 16), double(bytes) / 1024, 4);
    entry.erase("EstimatedSize");
    const std::string uninstaller = place + "\\uninstall.exe";
    EXPECT_EQ(entry, (Entry{{"DisplayName", "Quenmore"},
                            {"DisplayVersion", QUENMORE_VERSION},
                            {"Publisher", "The Quenmore developers"},
                            {"DisplayIcon", place + "\\quenmore.exe,0"},
                            {"InstallLocation", place},
                            {"UninstallString", '"' + uninstaller + '"'},
                            {"QuietUninstallString", '"' + uninstaller + "\" /S"},
                            {"NoModify", "0x1"},
                            {"NoRepair", "0x1"}}));
    // The uninstaller that the installer wrote is held to the same as the installer.
    EXPECT_TRUE(runCommand({QUENMORE_FILE_TEST, "program", (installed / "uninstall.exe").string(),
                            QUENMORE_ICON, QUENMORE_VERSION},
                           {}, logs("uninstaller")))
        << readFile(logs("uninstaller"));

    launch();
    ASSERT_NO_FATAL_FAILURE(expectFullScreenTitle());
    ASSERT_TRUE(leaveTitle()) << "no menu";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    const Bytes bestTimes(40, 0x2a);
    ASSERT_TRUE(writeBytes(program.bestTimesFile, bestTimes));
    ASSERT_EQ(wine({uninstaller, "/S"}), 0);
    // It goes on from a copy in the temporary folder, which lets this one end at once.
    EXPECT_TRUE(pollUntil([&] { return !fs::exists(installed) && uninstallEntry().empty(); }, 120))
        << filesIn(installed).size() << " files and " << uninstallEntry().size()
        << " values are left";
    EXPECT_FALSE(fs::exists(shortcut));
    EXPECT_EQ(readBytes(program.bestTimesFile), bestTimes);

    // An older version elsewhere, running: the installer changes nothing and tells winget why.
    const std::string older = R"(C:\Games\Quenmore)";
    const fs::path olderInstalled = fs::path(prefix) / "drive_c/Games/Quenmore";
    ASSERT_EQ(wine({QUENMORE_OLDER_SETUP, "/S", "/D=" + older}), 0);
    expectInstalled(olderInstalled, QUENMORE_OLDER_STAGED);
    const std::string olderVersion = uninstallEntry()["DisplayVersion"];
    EXPECT_NE(olderVersion, QUENMORE_VERSION);
    program.command.back() = older + "\\quenmore.exe";
    launch();
    ASSERT_TRUE(waitToSee([&](const Image&) { return screenCovered(); }, 60)) << "no window";
    EXPECT_EQ(wine({QUENMORE_SETUP, "/S"}), 3);
    expectInstalled(olderInstalled, QUENMORE_OLDER_STAGED);
    EXPECT_EQ(uninstallEntry()["DisplayVersion"], olderVersion);
    ASSERT_TRUE(leaveTitle()) << "no menu";
    ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    // Once it has ended, the new version replaces it where it is, without /D=.
    ASSERT_EQ(wine({QUENMORE_SETUP, "/S"}), 0) << readFile(logs("wine-programs"));
    expectInstalled(olderInstalled, QUENMORE_STAGED);
    entry = uninstallEntry();
    EXPECT_EQ((std::vector{entry["DisplayVersion"], entry["InstallLocation"]}),
              (std::vector<std::string>{QUENMORE_VERSION, older}));
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_FALSE(fs::exists(installed));
    EXPECT_EQ(readBytes(program.bestTimesFile), bestTimes);
}

}  // namespace
