# What the Windows build adds to the common one: programs that carry their runtimes inside,
# SDL's main for the program alone, the windowed program's icon and version resource, and
# the `windows` label on every test.

enable_language(RC)

# A Windows program that misses a DLL quits before main without a word, so every program
# links the C, C++ and thread runtimes statically and needs nothing beside it.
target_link_options(quenmore_flags INTERFACE -static)
# For the same reason libraries are found as static archives, never as DLL import libraries.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
# SQLite's static build from script/windows (kept out of the toolchain file, whose hash the
# other dependencies' builds depend on).
list(APPEND CMAKE_FIND_ROOT_PATH ${QUENMORE_WINDOWS_DEPS}/sqlite3)

# On Windows SDL.h renames main to SDL_main, for SDL2main's WinMain to call with the command
# line in UTF-8. Only the program links SDL2main (see quenmore_windows_program); the tests and
# tools keep a main of their own, which SDL_MAIN_HANDLED leaves alone.
target_compile_definitions(quenmore_flags INTERFACE
                           $<$<NOT:$<BOOL:$<TARGET_PROPERTY:QUENMORE_SDL_MAIN>>>:SDL_MAIN_HANDLED>)

# Every test of this build carries the label `windows`, whether it runs under Wine or not.
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY LABELS windows)

find_program(QUENMORE_CONVERT NAMES convert DOC "ImageMagick's convert, which makes the icon")
if(NOT QUENMORE_CONVERT)
    message(FATAL_ERROR "ImageMagick's convert is needed for the program's icon: "
                        "apt-get install imagemagick (script/windows does it)")
endif()

# The icon file: the 16- and 32-pixel pictures, and the 32-pixel one scaled up without
# smoothing to 64, 128 and 256 pixels. PNG dates are left out so the file does not change
# from one build to the next.
set(QUENMORE_ICON ${CMAKE_BINARY_DIR}/windows/quenmore.ico)
set(QUENMORE_ICON_16 ${CMAKE_SOURCE_DIR}/windows/quenmore-icon-16.xpm)
set(QUENMORE_ICON_32 ${CMAKE_SOURCE_DIR}/windows/quenmore-icon-32.xpm)
add_custom_command(
    OUTPUT ${QUENMORE_ICON}
    COMMAND ${QUENMORE_CONVERT} ${QUENMORE_ICON_16} ${QUENMORE_ICON_32}
            ( ${QUENMORE_ICON_32} -scale 200% ) ( ${QUENMORE_ICON_32} -scale 400% )
            ( ${QUENMORE_ICON_32} -scale 800% ) -define png:exclude-chunks=date,time
            ${QUENMORE_ICON}
    DEPENDS ${QUENMORE_ICON_16} ${QUENMORE_ICON_32}
    COMMENT "Making the program's icon"
    VERBATIM)
add_custom_target(quenmore_icon DEPENDS ${QUENMORE_ICON})
configure_file(${CMAKE_SOURCE_DIR}/windows/quenmore.rc.in ${CMAKE_BINARY_DIR}/windows/quenmore.rc
               @ONLY)
# The manifest declares the program aware of each monitor's DPI, as SDL is told at start-up.
configure_file(${CMAKE_SOURCE_DIR}/windows/quenmore.manifest.in
               ${CMAKE_BINARY_DIR}/windows/quenmore.manifest @ONLY)

# Makes TARGET a windowed program (no console window), started through SDL2main, with the
# program's icon, version and manifest.
function(quenmore_windows_program target)
    set_target_properties(${target} PROPERTIES QUENMORE_SDL_MAIN ON)
    target_link_libraries(${target} PRIVATE SDL2::SDL2main)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/windows/quenmore.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/windows/quenmore.rc PROPERTIES
                                OBJECT_DEPENDS
                                "${QUENMORE_ICON};${CMAKE_BINARY_DIR}/windows/quenmore.manifest")
    add_dependencies(${target} quenmore_icon)
    target_link_options(${target} PRIVATE -mwindows)
endfunction()

# The installer, quenmore-VERSION-windows-x64-setup.exe, made with NSIS's makensis from
# windows/quenmore.nsi, and the winget manifests that name it (in winget/); script/package
# publishes both, and zips the folder it installs (installer/Quenmore). A second installer of
# an older version, holding the unstripped program and a file the release lacks, is for the
# upgrade tests alone.
find_program(QUENMORE_MAKENSIS NAMES makensis DOC "NSIS's makensis, which makes the installer")
if(NOT QUENMORE_MAKENSIS)
    message(FATAL_ERROR "NSIS's makensis is needed for the installer: "
                        "apt-get install nsis (script/windows does it)")
endif()
set(QUENMORE_OLDER_VERSION 0.0.0)
set(QUENMORE_SETUP ${CMAKE_BINARY_DIR}/quenmore-${PROJECT_VERSION}-windows-x64-setup.exe)
set(older_setup
    ${CMAKE_BINARY_DIR}/older-installer/quenmore-older-setup.exe)
set(winget_templates ${CMAKE_SOURCE_DIR}/windows/winget)
file(GLOB installer_assets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*)
set(installer_inputs quenmore ${QUENMORE_ICON} ${CMAKE_SOURCE_DIR}/windows/quenmore.nsi
                     ${CMAKE_SOURCE_DIR}/windows/installer.cmake ${installer_assets})
set(installer_options -DICON=${QUENMORE_ICON} -DNSIS_SCRIPT=${CMAKE_SOURCE_DIR}/windows/quenmore.nsi
                      -DMAKENSIS=${QUENMORE_MAKENSIS} -DASSETS=${CMAKE_SOURCE_DIR}/assets
                      -DPROGRAM=$<TARGET_FILE:quenmore>)
add_custom_command(
    OUTPUT ${QUENMORE_SETUP}
    COMMAND ${CMAKE_COMMAND} ${installer_options} -DVERSION=${PROJECT_VERSION}
            -DSTRIP=${CMAKE_STRIP} -DSTAGE=${CMAKE_BINARY_DIR}/installer/Quenmore
            -DOUTFILE=${QUENMORE_SETUP} -DWINGET=${CMAKE_BINARY_DIR}/winget
            -DWINGET_TEMPLATES=${winget_templates} -DHOMEPAGE=${QUENMORE_HOMEPAGE}
            -P ${CMAKE_SOURCE_DIR}/windows/installer.cmake
    DEPENDS ${installer_inputs} ${winget_templates}/Quenmore.Quenmore.yaml.in
            ${winget_templates}/Quenmore.Quenmore.installer.yaml.in
            ${winget_templates}/Quenmore.Quenmore.locale.en-US.yaml.in
    COMMENT "Making the installer and its winget manifests"
    VERBATIM)
add_custom_command(
    OUTPUT ${older_setup}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/older-installer
    COMMAND ${CMAKE_COMMAND} -E echo "retired in a later version" >
            ${CMAKE_BINARY_DIR}/older-installer/retired.txt
    COMMAND ${CMAKE_COMMAND} ${installer_options} -DVERSION=${QUENMORE_OLDER_VERSION}
            -DSTAGE=${CMAKE_BINARY_DIR}/older-installer/Quenmore
            -DEXTRA_FILES=${CMAKE_BINARY_DIR}/older-installer/retired.txt
            -DOUTFILE=${older_setup} -P ${CMAKE_SOURCE_DIR}/windows/installer.cmake
    DEPENDS ${installer_inputs}
    COMMENT "Making an installer of an older version for the upgrade tests"
    VERBATIM)
add_custom_target(quenmore_installer ALL DEPENDS ${QUENMORE_SETUP} ${older_setup})
