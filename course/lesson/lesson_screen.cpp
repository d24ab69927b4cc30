#include "course/lesson/lesson_screen.h"

#include "course/common/art_tiles.h"
#include "course/common/screen_text.h"
#include "engine/display.h"
#include "engine/host.h"

namespace {

constexpr TileCell LessonBlank = cellTile(art::LessonBlank, 0);

constexpr int TextBoxTopRow = TextBoxFirstLine / 8;
constexpr int TextBoxLastRow = 23;
constexpr TileCell TextBoxTop = CellPriority | art::BoxTop;
constexpr TileCell TextBoxBody = CellPriority | art::BoxBody;
constexpr int TitleRow = 62;

void setCell(VideoMemory& memory, int map, int column, int row, TileCell cell) {
    memory.maps[size_t(mapIndex(map, column, row))] = cell;
}

void drawTextBox(VideoMemory& memory) {
    for (int column = 0; column < MapSide; ++column) {
        setCell(memory, TextBoxLayer, column, TextBoxTopRow, TextBoxTop);
        for (int row = TextBoxTopRow + 1; row <= TextBoxLastRow; ++row) {
            setCell(memory, TextBoxLayer, column, row, TextBoxBody);
        }
    }
}

// A longer title would run off the right edge and, the map wrapping, reappear at the left.
void drawTitle(VideoMemory& memory, const char* title) {
    if (title == nullptr) return;
    for (int column = 0; column < TitleColumns && title[column] != '\0'; ++column) {
        setCell(memory, KeyboardLayer, column, TitleRow,
                fontCell(Font::Main, uint8_t(title[column]), CellPriority));
    }
}

}  // namespace

void drawLessonMaps(VideoMemory& memory, const KeyboardModel& keyboard,
                    KeyboardPlacement placement) {
    memory.maps.fill(LessonBlank);
    drawKeyboardPanel(memory);
    drawAllKeys(memory, keyboard, placement, false, false);
    drawTextBox(memory);
}

void setUpLessonScreen(VideoState& video, LessonScreen& screen, const char* const* words,
                       int32_t wordCount, const char* title, const Intro* intro) {
    screen.video = &video;
    // Re-seeded at every set-up: the same lesson started twice within one second of the
    // calendar clock gets the same lines.
    std::mt19937 random(uint32_t(host.calendarSeconds()));
    makeWordLines(screen.lines, words, wordCount, random);

    buildKeyboard(screen.keyboard);
    readKeyboardLayout(screen.keyboard);
    screen.placement = {KeyboardScrollX, LessonKeyboardScrollY};
    drawLessonMaps(video.memory, screen.keyboard, screen.placement);
    drawTitle(video.memory, title);

    video.memory.lineCallback = lessonRasterCallback;
    video.memory.lineCallbackData = &screen;
    screen.frameCounter = 0;
    screen.intro = intro;
    screen.title = title;
    screen.language = Language::English;
    screen.fingerGuide = false;
}

void setUpLessonScreen(VideoState& video, LessonScreen& screen, const CourseLesson& lesson) {
    std::vector<const char*> words;
    for (const std::string& entry : lesson.entries) words.push_back(entry.c_str());
    setUpLessonScreen(video, screen, words.data(), int32_t(words.size()), lesson.title.c_str(),
                      &lesson.intro);
}

void lessonRasterCallback(VideoMemory& memory, int32_t line, void* data) {
    LessonScreen& screen = *static_cast<LessonScreen*>(data);
    if (line == 0) {
        screen.frameCounter = int32_t(uint32_t(screen.frameCounter) + 1);
        memory.layers[TextBoxLayer] = LayerEnable;
    } else if (line == TextBoxFirstLine) {
        memory.layers[TextBoxLayer] = LayerEnable | layerScroll(screen.frameCounter, 0);
    }
}
