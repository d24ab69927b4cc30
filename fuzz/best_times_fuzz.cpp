// The best-times reader: any bytes as the file. Every time read is -1 or a sane time, each
// whole record is read as its conversion says, and a save followed by a load gives the same
// times back.
#include "course/records/best_times.h"
#include "fuzz/fuzz_support.h"
#include "testing/virtual_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static VirtualHost clock;
    static const std::string file = [] {
        installVirtualHost(clock);
        clock.dataFolder = scratchFolder();
        return clock.dataFolder + "/" + BestTimesFileName;
    }();
    FUZZ_CHECK(writeWhole(file, data, size));
    BestTimes times;
    times.fill(-1);
    loadBestTimes(times);
    for (int32_t row = 0; row < LessonCount; ++row) {
        const int32_t time = times[size_t(row)];
        FUZZ_CHECK(time == -1 || saneBestTime(time));
        int32_t expected = -1;
        if (size_t(row + 1) * 4 <= size) {
            const uint8_t* record = data + size_t(row) * 4;
            expected = decodeBestTime(uint32_t(record[0]) | uint32_t(record[1]) << 8 |
                                      uint32_t(record[2]) << 16 | uint32_t(record[3]) << 24);
        }
        FUZZ_CHECK(time == expected);
    }
    FUZZ_CHECK(saveBestTimes(times));
    BestTimes again;
    again.fill(-1);
    loadBestTimes(again);
    FUZZ_CHECK(again == times);
    return 0;
}
