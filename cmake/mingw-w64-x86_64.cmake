# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix threading flavour,
# which the C++ standard library's threads need). Libraries are looked up only in the
# MinGW system root and in the Windows builds of the dependencies that script/windows
# makes, never among the Linux ones; Windows programs built here run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENMORE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUENMORE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENMORE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENMORE_MINGW_TRIPLE}-windres)

# Where script/windows installs the static SDL2, libpng and GoogleTest built for Windows.
get_filename_component(QUENMORE_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps"
                       ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENMORE_MINGW_TRIPLE} ${QUENMORE_WINDOWS_DEPS}/libsdl2
                         ${QUENMORE_WINDOWS_DEPS}/libpng1.6 ${QUENMORE_WINDOWS_DEPS}/googletest)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, in a Wine prefix of the build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine)
