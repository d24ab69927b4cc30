// The fixture of the real-window tests: a private X server with a window manager, a fresh
// data folder, and the program under test. When a test fails it leaves the last screenshot
// and the program's output behind, and it always resets Caps Lock and stops what it started.
#pragma once

#include "tests/real_window/window_session.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>

// Where the assets, the golden frames and the failure evidence are.
constexpr const char* SourceAssets = QUENMORE_SOURCE_DIR "/assets";
constexpr const char* FailureFolder = QUENMORE_FAILURE_DIR;

class RealWindowTest : public ::testing::Test {
  protected:
    TempFolder folder{"quenmore-real-window"};
    WindowSession session;

#ifdef QUENMORE_PROGRAM
    // Starts the X session with a screen of width x height for the native program (or the
    // one QUENMORE_WINE_PROGRAM names), with its own data folder.
    void openScreen(int width = 640, int height = 360) {
        openScreenFor(programUnderTest(QUENMORE_PROGRAM, folder.file("data")), width, height);
    }
#endif

    // Starts the X session with a screen of width x height, and Wine's session when the
    // program is a Windows one, and prepares the program; Caps Lock starts off.
    void openScreenFor(const ProgramUnderTest& program, int width, int height) {
        std::string error;
        ASSERT_TRUE(
            openWindowSession(session, width, height, folder.path.string(), SourceAssets, error))
            << error;
        session.program = program;
        ASSERT_TRUE(startWineSession(session, error)) << error;
        ASSERT_TRUE(setCapsLock(session.x, false));
    }

    void launch() {
        ASSERT_TRUE(launchProgram(session)) << "cannot run " << session.program.command[0];
    }

    // The program's exit status once it has ended within `seconds`; -1 otherwise.
    int exitStatusWithin(double seconds) {
        if (!waitForExit(session.process, seconds)) return -1;
        return exitCode(session.process);
    }

    void TearDown() override {
        if (HasFailure()) keepEvidence();
        if (session.x.display != nullptr) setCapsLock(session.x, false);
        stopProcess(session.process);
    }

  private:
    void keepEvidence() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        std::error_code ignored;
        std::filesystem::create_directories(FailureFolder, ignored);
        const std::string shot = std::string(FailureFolder) + "/" + name + ".png";
        if (saveScreenshot(session.lastShot, shot))
            std::cerr << "last screenshot: " << shot << "\n";
        std::cerr << "program (" << describeEnd(session.process) << ") wrote:\n"
                  << programOutput(session) << "\n";
    }
};
