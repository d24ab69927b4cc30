#include "course/app/program.h"

#include "course/app/startup.h"
#include "course/screens/lesson_menu.h"
#include "course/screens/title_screen.h"

void runCourse(VideoState& video, LessonMenu& menu) {
    setUpTitleScreen(video);
    if (runTitleScreen(video) == ScreenExit::Done) {
        setUpLessonMenu(video, menu);
        runLessonMenu(menu);
    }
    shutDown(video);
}
