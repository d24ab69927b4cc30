// The settings reader: any bytes as "quenmoreSettings.ini". Every value read is within its
// range, every line ignored is named, and the text a save makes of the file reads back as the
// same settings, keeping every line of other keys.
#include "course/records/settings.h"
#include "fuzz/fuzz_support.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Settings settings;
    std::string problems;
    readSettingsText(text, settings, problems);
    FUZZ_CHECK(settings.display == DisplayMode::FullScreen ||
               settings.display == DisplayMode::Window);
    FUZZ_CHECK(settings.windowScale == 0 ||
               (settings.windowScale >= 2 && settings.windowScale <= LargestWindowScale));
    FUZZ_CHECK(settings.monitor >= 0 && settings.monitor <= 64);
    FUZZ_CHECK(int(settings.colours) >= 0 && int(settings.colours) < ColourSchemeCount);
    for (size_t at = 0; (at = problems.find('\n', at)) != std::string::npos; ++at)
        FUZZ_CHECK(at == 0 || problems.rfind("line ", at) != std::string::npos);

    // A save of every key over the text, read back: the same settings, and nothing to ignore
    // that was not ignored before but for lines of the keys written.
    const uint32_t every =
        DisplayKey | WindowScaleKey | WindowPositionKey | MonitorKey | ColoursKey;
    Settings saved = settings;
    if (saved.windowScale == 0) saved.windowScale = 2;
    const std::string rewritten = settingsTextWith(text, saved, every);
    Settings again;
    std::string later;
    readSettingsText(rewritten, again, later);
    FUZZ_CHECK(again.display == saved.display && again.windowScale == saved.windowScale &&
               again.monitor == saved.monitor && again.colours == saved.colours);
    FUZZ_CHECK(again.windowPlaced && again.windowX == saved.windowX &&
               again.windowY == saved.windowY);
    return 0;
}
