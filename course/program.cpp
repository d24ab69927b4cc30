#include "course/program.h"

#include "course/lesson_menu.h"
#include "course/startup.h"
#include "course/title_screen.h"

void runCourse(VideoState& video, LessonMenu& menu) {
    setUpTitleScreen(video);
    runTitleScreen(video);
    setUpLessonMenu(video, menu);
    runLessonMenu(menu);
    shutDown(video);
}
