// Quenmore: a touch-typing tutor. The main function brings the system up, shows the title
// screen, hands over to the lesson menu and ends through shutDown.
#include "course/lesson_menu.h"
#include "course/startup.h"
#include "course/title_screen.h"

#include <SDL.h>

int main(int argc, char* argv[]) {
    (void)argc;  // the program has no command-line options
    (void)argv;
    static VideoState video{};
    static LessonMenu menu{};
    StartupFailure failure{};
    if (!startUp(video, failure)) stopWithMessage(video, failure.message);
    setUpTitleScreen(video);
    runTitleScreen(video);
    setUpLessonMenu(video, menu);
    runLessonMenu(menu);
    shutDown(video);
}
