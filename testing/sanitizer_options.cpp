// Built into the sanitizer build of the program only, so that a clean run by hand ends with
// status 0 instead of 1 for leaks that are none of the program's doing.
//
// Libraries stay loaded until the process ends: SDL_Quit unloads the graphics driver and
// input libraries with some of their memory still hanging from them, which the leak check
// would then report from an unknown module that no suppression can name.
extern "C" int dlclose(void*) {
    return 0;
}

// libdbus, which SDL starts, keeps a buffer for good. The program's own leaks are still
// reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
