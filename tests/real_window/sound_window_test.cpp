// The sound of the real program in a real X session: off, it opens no audio device; on, SDL's
// disk driver receives its sounds; without any device it says so once and plays on. The same
// file runs the native program (real_window_tests) and quenmore.exe under Wine
// (wine_window_tests), where the program asks SDL for DirectSound.
#include "tests/real_window/real_window_test.h"

#include <fstream>

namespace {

class SoundWindowTest : public RealWindowTest {
  protected:
    // The program under test, with `environment` added, and its settings file.
    ProgramUnderTest programWith(const std::vector<std::string>& environment) {
#ifdef QUENMORE_WINDOWS_PROGRAM
        if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM)) return {};
        ProgramUnderTest exe = wineProgram(QUENMORE_WINDOWS_PROGRAM, QUENMORE_WINE_PREFIX);
        // The prefix is shared with the other Wine window tests: none of their choices or
        // times carry over.
        std::error_code ignored;
        std::filesystem::remove(settingsFile(exe), ignored);
        std::filesystem::remove(exe.bestTimesFile, ignored);
#else
        ProgramUnderTest exe = nativeProgram(QUENMORE_PROGRAM, folder.file("data"));
#endif
        exe.environment.insert(exe.environment.end(), environment.begin(), environment.end());
        return exe;
    }
    static std::string settingsFile(const ProgramUnderTest& exe) {
        return (std::filesystem::path(exe.bestTimesFile).parent_path() / "quenmoreSettings.ini")
            .string();
    }
    static void writeSettings(const ProgramUnderTest& exe, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(settingsFile(exe)).parent_path());
        std::ofstream(settingsFile(exe)) << text;
    }
    // The file SDL's disk driver writes, as the program names it.
    std::string diskFile() const {
        return folder.file("sound.raw");
    }
    std::string diskFileForProgram() const {
#ifdef QUENMORE_WINDOWS_PROGRAM
        std::string path = "Z:" + diskFile();  // Wine's drive Z: is the root
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
#else
        return diskFile();
#endif
    }
    // From the title to lesson 1's exercise, a wrong key among right ones, and out.
    void typeALittle() {
        ASSERT_TRUE(leaveTitle()) << "no menu";
        ASSERT_TRUE(reachExercise()) << "no exercise";
        const std::string line = read(look(), LineToType);
        ASSERT_GE(line.size(), 3u) << line;
        std::string typed = line.substr(0, 3);
        typed.insert(1, 1, otherOnKey(line[1]));
        ASSERT_TRUE(pressKeys(x, keysFor(typed, false, {}), 150));
        ASSERT_TRUE(waitForText(TypedLine, line.substr(0, 3) + CursorCell));
        ASSERT_TRUE(pressKeys(x, {"Escape"}));
        ASSERT_TRUE(waitForText(MenuBestTime, "Best Time: --:--")) << "no menu after Escape";
        ASSERT_NO_FATAL_FAILURE(escapeFromMenu());
    }
};

#ifdef QUENMORE_WINDOWS_PROGRAM
#define SKIP_WITHOUT_PROGRAM()                                                                     \
    if (!std::filesystem::exists(QUENMORE_WINDOWS_PROGRAM))                                        \
    GTEST_SKIP() << QUENMORE_WINDOWS_PROGRAM << " does not exist; script/windows builds it"
#else
#define SKIP_WITHOUT_PROGRAM() (void)0
#endif

// Sound off, the program never opens SDL's disk device, which would make its file; turned on
// in the settings file, the file holds whole samples, and sound among them.
TEST_F(SoundWindowTest, OffOpensNoDeviceAndOnSoundsTheKeys) {
    SKIP_WITHOUT_PROGRAM();
    const ProgramUnderTest exe =
        programWith({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + diskFileForProgram()});
    ASSERT_NO_FATAL_FAILURE(start(exe, ScreenWidth, ScreenHeight));
    ASSERT_NO_FATAL_FAILURE(typeALittle());
    EXPECT_FALSE(std::filesystem::exists(diskFile()));

    writeSettings(exe, "sound = all\n");
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(typeALittle());
    const Bytes bytes = readBytes(diskFile());
    EXPECT_EQ(bytes.size() % 2, 0u);
    int loudest = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        loudest = std::max(loudest, std::abs(int(int16_t(bytes[i] | bytes[i + 1] << 8))));
    EXPECT_GT(loudest, 0) << bytes.size() << " bytes of silence";
    EXPECT_EQ(readFile(process.log).find("Quenmore:"), std::string::npos) << readFile(process.log);
}

// No sound server and no sound card (Wine's own drivers find none either): one line on stderr
// names the driver, DirectSound under Wine, and the lesson plays on in silence.
TEST_F(SoundWindowTest, WithoutADeviceItSaysSoOnceAndPlaysOn) {
    SKIP_WITHOUT_PROGRAM();
    ProgramUnderTest exe =
        programWith({"SDL_AUDIODRIVER", "PULSE_SERVER=unix:" + folder.file("no-server")});
    writeSettings(exe, "sound = all\n");
    ASSERT_NO_FATAL_FAILURE(start(exe, ScreenWidth, ScreenHeight));
    ASSERT_NO_FATAL_FAILURE(typeALittle());
    const std::string said = readFile(process.log);
    const std::string line = "Quenmore: no audio device could be opened (";
    const size_t at = said.find(line);
    ASSERT_NE(at, std::string::npos) << said;
    EXPECT_EQ(said.find(line, at + 1), std::string::npos) << said;
#ifdef QUENMORE_WINDOWS_PROGRAM
    EXPECT_EQ(said.substr(at + line.size(), 12), "directsound:") << said;
#endif
}

}  // namespace
