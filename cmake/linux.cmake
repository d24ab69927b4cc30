# What the Linux build installs (cmake --install build/release --prefix PREFIX), laid out as any
# desktop program: bin/quenmore, its two asset files in share/quenmore/ (where the program
# looks for them, relative to itself), a desktop entry, icons, AppStream metainfo, a manual page
# and the package's copyright and changelog; and the Debian package CPack makes of the same
# tree (script/package).

# Where the project shows itself (QUENMORE_HOMEPAGE is set in CMakeLists.txt). It has no
# address of its own yet: these stand in for it, and change together once it has one.
set(QUENMORE_SCREENSHOTS "${QUENMORE_HOMEPAGE}screenshots" CACHE STRING
    "Where the screenshots of build/linux/screenshots/ are published")
set(QUENMORE_APP_ID "example.quenmore.Quenmore" CACHE STRING
    "The reverse-DNS name of the program in software centres")
set(QUENMORE_MAINTAINER "Quenmore developers <developers@quenmore.example>" CACHE STRING
    "Who answers for the Debian package")
# The day PROJECT_VERSION came out: it moves with the version.
set(QUENMORE_RELEASE_DATE 2026-12-07)

# Folders made by the install get the usual rights, whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(linux_source ${CMAKE_SOURCE_DIR}/linux)
set(linux_build ${CMAKE_BINARY_DIR}/linux)
set(share_folder share)

find_program(QUENMORE_CONVERT NAMES convert DOC "ImageMagick's convert, which makes the icons")
if(NOT QUENMORE_CONVERT)
    message(FATAL_ERROR "ImageMagick's convert is needed for the program's icons: "
                        "apt-get install imagemagick (script/setup test does it)")
endif()
find_program(QUENMORE_GZIP NAMES gzip REQUIRED)

# The icons are the Windows icon's pictures scaled up without smoothing, so every pixel of the
# art stays a sharp square: 48 pixels from the 16-pixel picture, the others from the 32-pixel
# one. PNG dates are left out so the files do not change from one build to the next.
set(icon_files)
foreach(size 32 48 64 128 256)
    if(size EQUAL 48)
        set(picture 16)
    else()
        set(picture 32)
    endif()
    math(EXPR percent "${size} * 100 / ${picture}")
    set(icon ${linux_build}/icons/${size}/quenmore.png)
    add_custom_command(
        OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${linux_build}/icons/${size}
        COMMAND ${QUENMORE_CONVERT} ${CMAKE_SOURCE_DIR}/windows/quenmore-icon-${picture}.xpm
                -scale ${percent}% -define png:exclude-chunks=date,time,tIME PNG32:${icon}
        DEPENDS ${CMAKE_SOURCE_DIR}/windows/quenmore-icon-${picture}.xpm
        COMMENT "Making the ${size}-pixel icon"
        VERBATIM)
    list(APPEND icon_files ${icon})
    install(FILES ${icon} DESTINATION ${share_folder}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The screenshots the metainfo names: the golden frames, four times their size. They are
# published beside the package, not installed.
set(screenshot_files)
foreach(frame title menu intro exercise-shift results progress)
    set(screenshot ${linux_build}/screenshots/${frame}.png)
    add_custom_command(
        OUTPUT ${screenshot}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${linux_build}/screenshots
        COMMAND ${QUENMORE_CONVERT} ${CMAKE_SOURCE_DIR}/tests/golden/${frame}.png -scale 400%
                -define png:exclude-chunks=date,time,tIME ${screenshot}
        DEPENDS ${CMAKE_SOURCE_DIR}/tests/golden/${frame}.png
        COMMENT "Making the screenshot ${frame}.png"
        VERBATIM)
    list(APPEND screenshot_files ${screenshot})
endforeach()
add_custom_target(quenmore_screenshots DEPENDS ${screenshot_files})

# The manual page and the changelog, filled in and compressed as Debian keeps them.
execute_process(COMMAND date -u -R -d "${QUENMORE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE QUENMORE_RELEASE_DATE_DEBIAN OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${linux_source}/quenmore.1 ${linux_build}/quenmore.1 @ONLY)
configure_file(${linux_source}/changelog.in ${linux_build}/changelog @ONLY)
configure_file(${linux_source}/quenmore.metainfo.xml.in
               ${linux_build}/${QUENMORE_APP_ID}.metainfo.xml @ONLY)
foreach(text quenmore.1 changelog)
    add_custom_command(
        OUTPUT ${linux_build}/${text}.gz
        COMMAND ${QUENMORE_GZIP} -9 -n -c ${linux_build}/${text} > ${linux_build}/${text}.gz
        DEPENDS ${linux_build}/${text}
        VERBATIM)
endforeach()
add_custom_target(quenmore_desktop_files ALL
                  DEPENDS ${icon_files} ${linux_build}/quenmore.1.gz ${linux_build}/changelog.gz)

install(TARGETS quenmore RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/assets/quenmore.chr ${CMAKE_SOURCE_DIR}/assets/quenmore.pal
              ${CMAKE_SOURCE_DIR}/assets/quenmore-high-contrast.pal
              ${CMAKE_SOURCE_DIR}/assets/quenmore-colour-blind.pal
        DESTINATION ${share_folder}/quenmore)
install(FILES ${linux_source}/quenmore.desktop DESTINATION ${share_folder}/applications)
install(FILES ${linux_build}/${QUENMORE_APP_ID}.metainfo.xml DESTINATION ${share_folder}/metainfo)
install(FILES ${linux_build}/quenmore.1.gz DESTINATION ${share_folder}/man/man1)
install(FILES ${linux_source}/copyright DESTINATION ${share_folder}/doc/quenmore)
install(FILES ${linux_build}/changelog.gz DESTINATION ${share_folder}/doc/quenmore)

# The Debian package: quenmore_VERSION_amd64.deb (script/package runs cpack). Its dependencies come from the libraries the
# program links, through dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenmore)
set(CPACK_PACKAGE_VENDOR "The Quenmore developers")
set(CPACK_PACKAGE_CONTACT "${QUENMORE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touch-typing tutor with ten lessons and an on-screen keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Quenmore teaches touch typing in ten lessons, from the left-hand home row
to the punctuation of program code, full screen and with the keyboard alone.
Each lesson introduces its keys on an on-screen keyboard, then asks for ten
lines of random words, and shows words per minute, errors and time. The best
time of every lesson is kept between runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUENMORE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
