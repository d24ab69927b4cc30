#include "course/app/command_line.h"

#include <cstring>
#include <string_view>

namespace {

constexpr const char* Usage =
    "Usage: quenmore [OPTION...]\n"
    "A touch-typing tutor.\n"
    "\n"
    "  --window[=SCALE]  open in a window, SCALE times 320x180 (2 to 16; the largest that\n"
    "                    fits when not given)\n"
    "  --fullscreen      open full screen\n"
    "  --monitor N       full screen (or the window) on monitor N, 1 for the first\n"
    "  --speech          speak every screen aloud (F2 turns speech on and off)\n"
    "  --help            show this help and end\n"
    "  --version         show the version and end\n"
    "\n"
    "A choice made here holds for this run; the Options screen (O in the lesson menu) keeps\n"
    "choices for good.\n";

bool wholeNumber(std::string_view text, int32_t low, int32_t high, int32_t& value) {
    if (text.empty() || text.size() > 4) return false;
    int32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high) return false;
    value = number;
    return true;
}

CommandLine refused(const std::string& reason) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.reason = reason;
    return line;
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] != nullptr ? argv[i] : "";
        if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
        } else if (argument == "--version") {
            if (line.action != CommandLine::Action::Help)
                line.action = CommandLine::Action::Version;
        } else if (argument == "--fullscreen") {
            line.fullScreenGiven = true;
        } else if (argument == "--speech") {
            line.speechGiven = true;
        } else if (argument == "--window") {
            line.windowGiven = true;
        } else if (argument.starts_with("--window=")) {
            line.windowGiven = true;
            if (!wholeNumber(argument.substr(9), 2, LargestWindowScale, line.scale))
                return refused("--window takes a scale from 2 to 16, not \"" +
                               std::string(argument.substr(9)) + "\"");
        } else if (argument == "--monitor" || argument.starts_with("--monitor=")) {
            std::string_view number;
            if (argument == "--monitor") {
                if (i + 1 >= argc) return refused("--monitor needs a monitor's number");
                number = argv[++i];
            } else {
                number = argument.substr(10);
            }
            if (!wholeNumber(number, 1, 64, line.monitor))
                return refused("--monitor takes a number from 1 to 64, not \"" +
                               std::string(number) + "\"");
        } else {
            return refused("unknown option \"" + std::string(argument) + "\"");
        }
    }
    if (line.windowGiven && line.fullScreenGiven)
        return refused("--window and --fullscreen cannot both be given");
    return line;
}

void applyCommandLine(const CommandLine& line, Settings& settings) {
    if (line.windowGiven) settings.display = DisplayMode::Window;
    if (line.fullScreenGiven) settings.display = DisplayMode::FullScreen;
    if (line.scale > 0) settings.windowScale = line.scale;
    if (line.monitor > 0) settings.monitor = line.monitor;
    if (line.speechGiven) settings.speech = settings.speechChosen = true;
}

const char* usageText() {
    return Usage;
}

std::string versionText() {
    return std::string("Quenmore ") + QUENMORE_VERSION + "\n";
}
