# Makes the Windows installer (cmake -P, from the `quenmore_installer` target of the Windows
# build): lays out the program's folder, as it is installed and as the zip holds it, lists
# its files for windows/quenmore.nsi, runs makensis and, for a release, writes the winget
# manifests that name the installer by its SHA-256.
#
#   -DVERSION=       major.minor.patch
#   -DPROGRAM=       the quenmore.exe to pack; -DSTRIP= the strip program to drop its symbols
#                    with (none: packed as it is)
#   -DASSETS=        the folder of the asset files; -DEXTRA_FILES= more files for the folder
#   -DSTAGE=         the folder to lay out (made anew), named Quenmore
#   -DICON= -DNSIS_SCRIPT= -DMAKENSIS= -DOUTFILE=
#   -DWINGET=        where to write the manifests (none: no manifests), from the templates of
#                    -DWINGET_TEMPLATES=, with -DHOMEPAGE= the project's address
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/assets)
if(STRIP)
    # Symbols are of no use to a learner and make up much of the program's size.
    execute_process(COMMAND ${STRIP} --strip-unneeded -o ${STAGE}/quenmore.exe ${PROGRAM}
                    COMMAND_ERROR_IS_FATAL ANY)
else()
    file(COPY_FILE ${PROGRAM} ${STAGE}/quenmore.exe)
endif()
file(GLOB asset_files LIST_DIRECTORIES false ${ASSETS}/*)
list(FILTER asset_files EXCLUDE REGEX "/[.][^/]*$")
file(COPY ${asset_files} DESTINATION ${STAGE}/assets)
if(EXTRA_FILES)
    file(COPY ${EXTRA_FILES} DESTINATION ${STAGE})
endif()

# The File commands and the matching Delete commands, so that the uninstaller removes what
# the installer wrote and nothing else; folders go deepest first, and only when empty.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT files)
set(install_lines "")
set(remove_lines "")
set(folders "")
foreach(file IN LISTS files)
    get_filename_component(folder ${file} DIRECTORY)
    string(REPLACE "/" "\\" windows_folder "${folder}")
    string(REPLACE "/" "\\" windows_file "${file}")
    if(folder)
        list(APPEND folders ${windows_folder})
        set(windows_folder "\\${windows_folder}")
    endif()
    string(APPEND install_lines "    SetOutPath \"$INSTDIR${windows_folder}\"\n"
                                "    File \"${STAGE}/${file}\"\n")
    string(APPEND remove_lines "    Delete \"$INSTDIR\\${windows_file}\"\n")
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
    string(APPEND remove_lines "    RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
set(file_list ${STAGE}/../installer-files.nsh)
file(WRITE ${file_list} "; Written by windows/installer.cmake from ${STAGE}.\n"
                        "!macro QuenmoreFiles\n${install_lines}!macroend\n"
                        "!macro QuenmoreRemoveFiles\n${remove_lines}!macroend\n")

execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DFILES=${file_list} -DICON=${ICON}
                        -DOUTFILE=${OUTFILE} ${NSIS_SCRIPT}
                COMMAND_ERROR_IS_FATAL ANY)

if(WINGET)
    set(SETUP_NAME quenmore-${VERSION}-windows-x64-setup.exe)
    get_filename_component(setup_name ${OUTFILE} NAME)
    if(NOT setup_name STREQUAL SETUP_NAME)
        message(FATAL_ERROR "the installer ${OUTFILE} is to be named ${SETUP_NAME}")
    endif()
    file(SHA256 ${OUTFILE} SETUP_SHA256)
    string(TOUPPER ${SETUP_SHA256} SETUP_SHA256)
    # The layout of the community repository of manifests: by the identifier's letter and parts.
    set(folder ${WINGET}/manifests/q/Quenmore/Quenmore/${VERSION})
    file(REMOVE_RECURSE ${WINGET})
    foreach(part "" .installer .locale.en-US)
        configure_file(${WINGET_TEMPLATES}/Quenmore.Quenmore${part}.yaml.in
                       ${folder}/Quenmore.Quenmore${part}.yaml @ONLY)
    endforeach()
endif()
