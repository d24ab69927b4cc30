// The menu's pages of courses: the built-in course first, then the learner's course files,
// stepped through with Left and Right.
#include "course/common/art_tiles.h"
#include "course/common/screen_text.h"
#include "course/content/practice.h"
#include "course/records/course_folder.h"
#include "course/records/history.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/progress_screen.h"
#include "engine/display.h"

#include <algorithm>
#include <string>

namespace {

constexpr int HeaderSprites = 64;  // the header's text, from sprite 64 on (the hint has 0 on)
constexpr TileCell HeaderBody = CellPriority | art::BoxBody;
constexpr TileCell HeaderEdge = CellPriority | art::BoxTop | CellFlipY;
constexpr TileCell Clear = art::MainFont + ' ';

// One row of sprites, in front of everything, so the list's rows slide under the band.
int writeSprites(VideoMemory& memory, int sprite, int column, int row, const std::string& text) {
    for (size_t i = 0; i < text.size() && column + int(i) < ScreenColumns; ++i, ++sprite) {
        SpriteEntry& entry = memory.sprites[size_t(sprite)];
        entry.attributes = SpriteVisible | spriteTile(mainFontTile(uint8_t(text[i]))) |
                           encodeSpriteCoordinate(8 * row, ScreenHeight);
        entry.placement = encodeSpriteCoordinate(8 * (column + int(i)), ScreenWidth) |
                          spriteLevel(0) | spriteGroup(MenuHintGroup);
    }
    return sprite;
}

// `text` broken between words into rows of `width`.
std::vector<std::string> wrapped(const std::string& text, size_t width) {
    std::vector<std::string> rows;
    for (size_t at = 0; at < text.size();) {
        size_t length = std::min(width, text.size() - at);
        if (at + length < text.size()) {
            const size_t space = text.rfind(' ', at + length);
            if (space != std::string::npos && space > at) length = space - at;
        }
        rows.push_back(text.substr(at, length));
        at += length;
        while (at < text.size() && text[at] == ' ') ++at;
    }
    return rows;
}

}  // namespace

const Course* shownCourse(const LessonMenu& menu) {
    if (menu.course <= 0 || size_t(menu.course) > menu.courses.size()) return nullptr;
    return &menu.courses[size_t(menu.course - 1)];
}

void chooseBuiltInCourse(LessonMenu& menu) {
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    readKeyboardLayout(keyboard);
    menu.builtInChoice = menu.settings != nullptr ? menu.settings->course : CourseChoice::Automatic;
    PlayedCourse played = playedCourse(learnersBook(menu.builtInChoice, keyboard), keyboard);
    menu.builtIn = std::move(played.course);
    menu.usLessons = played.usLessons;
    BestTimes& times = menu.builtInTimes;
    times.fill(-1);
    if (menu.usLessons) {
        loadBestTimes(times);
    } else {
        std::vector<std::string> titles;
        for (const CourseLesson& lesson : menu.builtIn.lessons) titles.push_back(lesson.title);
        const std::vector<int32_t> found = courseBestTimes(menu.builtIn.name, titles);
        for (size_t i = 0; i < times.size() && i < found.size(); ++i) times[i] = found[i];
    }
    if (menu.course != 0) return;
    buildMenuRows(menu);
    setMenuBestTimes(menu, times);
}

void loadMenuCourses(LessonMenu& menu) {
    KeyboardModel keyboard{};
    buildKeyboard(keyboard);
    readKeyboardLayout(keyboard);
    menu.courses = loadLearnersCourses(keyboard);
    menu.course = 0;
    chooseBuiltInCourse(menu);
}

void showCourse(LessonMenu& menu, int32_t course) {
    if (menu.course == 0 && menu.entries) menu.builtInTimes = menuBestTimes(menu);
    menu.course = std::clamp(course, 0, int32_t(menu.courses.size()));
    const Course* shown = shownCourse(menu);
    if (shown == nullptr) {
        buildMenuRows(menu);
        setMenuBestTimes(menu, menu.builtInTimes);
        return;
    }
    std::vector<std::string> titles;
    for (const CourseLesson& lesson : shown->lessons) titles.push_back(lesson.title);
    const std::vector<int32_t> times = courseBestTimes(shown->name, titles);
    menu.entryCount = int32_t(shown->lessons.size());
    menu.entries = std::make_unique<LessonEntry[]>(size_t(std::max(menu.entryCount, 1)));
    for (size_t i = 0; i < shown->lessons.size(); ++i)
        menu.entries[i] =
            LessonEntry{shown->lessons[i].title.c_str(), times[i], &shown->lessons[i]};
    menu.selectedIndex = 0;
}

bool stepCourse(LessonMenu& menu, int step) {
    const int32_t next = menu.course + step;
    if (next < 0 || next > int32_t(menu.courses.size())) return false;
    showCourse(menu, next);
    return true;
}

LessonKey selectedLessonKey(const LessonMenu& menu) {
    const Course* shown = shownCourse(menu);
    if (shown == nullptr && (menu.usLessons || menu.selectedIndex >= LessonCount))
        return {menu.selectedIndex, {}, {}};
    if (shown == nullptr) shown = &menu.builtIn;
    if (menu.entryCount == 0) return {menu.selectedIndex, {}, {}};
    return {AllLessons, shown->name, shown->lessons[size_t(menu.selectedIndex)].title};
}

void drawCourseHeader(LessonMenu& menu) {
    VideoMemory& memory = menu.video->memory;
    if (menu.courses.empty()) return;
    fillMapCells(memory, TextLayer, Clear);
    for (int column = 0; column < MapSide; ++column) {
        for (int row = 0; row < 2; ++row)
            memory.maps[size_t(mapIndex(TextLayer, column, row))] = HeaderBody;
        memory.maps[size_t(mapIndex(TextLayer, column, 2))] = HeaderEdge;
    }
    memory.layers[TextLayer] = LayerEnable;
    const Course* shown = shownCourse(menu);
    const std::string name = shown == nullptr ? menu.builtIn.name : shown->name;
    const std::string title = std::string(menu.course > 0 ? "< " : "  ") + name +
                              (size_t(menu.course) < menu.courses.size() ? " >" : "  ");
    int sprite =
        writeSprites(memory, HeaderSprites, (ScreenColumns - int(title.size())) / 2, 0, title);
    // The band covers the menu's hint of the Options screen: it is named in the band instead,
    // right of the file's first fault.
    constexpr const char* OptionsHint = "O: Options";
    constexpr int HintColumn = ScreenColumns - 11;
    sprite = writeSprites(memory, sprite, HintColumn, 1, OptionsHint);
    if (shown == nullptr || shown->errors.empty()) return;
    const std::string fault = describeError(shown->fileName, shown->errors[0]);
    std::string first = fault.substr(0, size_t(HintColumn - 2));
    if (fault.size() > first.size()) first.replace(first.size() - 3, 3, "...");
    writeSprites(memory, sprite, 1, 1, first);
    if (menu.entryCount > 0) return;
    // No lesson to play: in the bar, and the whole fault below it.
    writeText(memory, ListLayer, 4, 8, "No lesson here can be played.", Font::Main, cellTile(0, 0));
    int row = 12;
    for (const std::string& line : wrapped(fault, size_t(ScreenColumns - 2)))
        writeText(memory, ListLayer, 1, row++, line.c_str(), Font::Main, cellTile(0, 1));
}

std::vector<ProgressPage> courseProgressPages(const LessonMenu& menu) {
    const Course* shown = shownCourse(menu);
    if (shown == nullptr && menu.usLessons) return builtInProgressPages();
    std::vector<ProgressPage> pages;
    for (const CourseLesson& lesson : (shown != nullptr ? *shown : menu.builtIn).lessons)
        pages.push_back(
            {{AllLessons, (shown != nullptr ? *shown : menu.builtIn).name, lesson.title},
             lesson.title});
    if (shown == nullptr) pages.push_back({{PracticeRow, {}, {}}, PracticeTitle});
    pages.push_back({{AllLessons, {}, {}}, AllLessonsTitle});
    return pages;
}
