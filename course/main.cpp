// Quenmore: a touch-typing tutor. The main function brings the system up, runs the
// screens and ends through shutDown.
#include "course/startup.h"

#include <SDL.h>

int main(int argc, char* argv[]) {
    (void)argc;  // the program has no command-line options
    (void)argv;
    static VideoState video{};
    StartupFailure failure{};
    if (!startUp(video, failure)) stopWithMessage(video, failure.message);
    shutDown(video);
}
