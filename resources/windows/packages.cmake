# The plinkora_packages target writes, into the build folder:
#   Plinkora-<version>-setup.exe    the installer (NSIS, needs makensis)
#   Plinkora-<version>-windows.zip  the same files to run from any folder
# It is not part of a plain build: scripts/windows.sh builds it. It exists once the Windows
# program's target (plinkora_win32) does, and so it is made when the whole project has been
# read.
set(PLINKORA_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package/Plinkora-${PROJECT_VERSION}
    CACHE INTERNAL "")
set(PLINKORA_SETUP ${CMAKE_BINARY_DIR}/Plinkora-${PROJECT_VERSION}-setup.exe CACHE INTERNAL
    "The installer the plinkora_packages target writes")
set(PLINKORA_PORTABLE_ZIP ${CMAKE_BINARY_DIR}/Plinkora-${PROJECT_VERSION}-windows.zip
    CACHE INTERNAL "The portable zip the plinkora_packages target writes")

function(plinkora_windows_packages)
    if(NOT TARGET plinkora_win32 OR NOT TARGET plinkora-convert)
        message(STATUS "No Windows program to package yet: no plinkora_packages target")
        return()
    endif()
    if(NOT PLINKORA_CHM)
        message(STATUS "No help file (chmcmd is missing): no plinkora_packages target")
        return()
    endif()
    find_program(PLINKORA_MAKENSIS makensis)
    if(NOT PLINKORA_MAKENSIS)
        message(STATUS "makensis is missing (package nsis): no plinkora_packages target")
        return()
    endif()
    set(nsi ${PLINKORA_WINDOWS_RESOURCE_DIR}/plinkora.nsi)
    add_custom_command(
        OUTPUT ${PLINKORA_SETUP} ${PLINKORA_PORTABLE_ZIP}
        COMMAND ${CMAKE_COMMAND}
                -DSTAGE=${PLINKORA_PACKAGE_STAGE}
                -DPROGRAMS=$<TARGET_FILE:plinkora_win32>$<SEMICOLON>$<TARGET_FILE:plinkora-convert>
                -DTIPS=${PROJECT_SOURCE_DIR}/resources/tips.txt
                -DHELP=${PLINKORA_CHM}
                -DICON=${PLINKORA_ICO}
                -DMAKENSIS=${PLINKORA_MAKENSIS}
                -DSTRIP=${CMAKE_STRIP}
                -DNSI=${nsi}
                -DVERSION=${PROJECT_VERSION}
                -DVERSION_QUAD=${PLINKORA_WINDOWS_VERSION_QUAD}
                -DSETUP=${PLINKORA_SETUP}
                -DZIP=${PLINKORA_PORTABLE_ZIP}
                -P ${PLINKORA_WINDOWS_RESOURCE_DIR}/make_packages.cmake
        DEPENDS plinkora_win32 plinkora-convert plinkora_ico ${PLINKORA_ICO} plinkora_help
                ${PLINKORA_CHM} ${nsi}
                ${PLINKORA_WINDOWS_RESOURCE_DIR}/make_packages.cmake
                ${PROJECT_SOURCE_DIR}/resources/tips.txt
        COMMENT "Writing Plinkora-${PROJECT_VERSION}-setup.exe and the portable zip"
        VERBATIM)
    add_custom_target(plinkora_packages DEPENDS ${PLINKORA_SETUP} ${PLINKORA_PORTABLE_ZIP})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL plinkora_windows_packages)
