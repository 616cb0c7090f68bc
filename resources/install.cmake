# Installs Plinkora for a Linux desktop: the tips, the help pages, the menu entry, the icon and
# the document type. The program and the converter install themselves beside their targets.
set(PLINKORA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/plinkora)
set(PLINKORA_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/plinkora)
set(PLINKORA_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)

install(FILES ${PROJECT_SOURCE_DIR}/resources/tips.txt DESTINATION ${PLINKORA_DATA_DIR})

# The help is compiled into the program; the same pages are installed to read without it.
file(GLOB PLINKORA_HELP_PAGES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/resources/help/*.htm ${PROJECT_SOURCE_DIR}/resources/help/*.css)
install(FILES ${PLINKORA_HELP_PAGES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/html)

# The launcher starts Plinkora in a folder of the user's own, where the tips can be read and
# the tip log written. It and the menu entry name installed paths, so they are made at install
# time, when the prefix is final (cmake --install --prefix may change it).
install(CODE "
    set(plinkora_bin_dir \"${CMAKE_INSTALL_BINDIR}\")
    set(plinkora_data_dir \"${CMAKE_INSTALL_DATADIR}\")
    set(plinkora_libexec_dir \"${PLINKORA_LIBEXEC_DIR}\")
    set(plinkora_templates \"${PLINKORA_DESKTOP_DIR}\")
    set(plinkora_staging \"${PROJECT_BINARY_DIR}/desktop\")
")
install(CODE [[
    foreach(dir bin_dir data_dir libexec_dir)
        cmake_path(ABSOLUTE_PATH plinkora_${dir} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}")
    endforeach()
    set(PLINKORA_PROGRAM "${plinkora_bin_dir}/plinkora")
    set(PLINKORA_TIPS "${plinkora_data_dir}/plinkora/tips.txt")
    set(PLINKORA_DESKTOP_LAUNCHER "${plinkora_libexec_dir}/plinkora-desktop")
    configure_file("${plinkora_templates}/plinkora-desktop.in"
                   "${plinkora_staging}/plinkora-desktop" @ONLY)
    configure_file("${plinkora_templates}/plinkora.desktop.in"
                   "${plinkora_staging}/plinkora.desktop" @ONLY)
    file(INSTALL "${plinkora_staging}/plinkora-desktop" TYPE PROGRAM
         DESTINATION "${plinkora_libexec_dir}")
    file(INSTALL "${plinkora_staging}/plinkora.desktop" TYPE FILE
         DESTINATION "${plinkora_data_dir}/applications")
]])
install(FILES ${PLINKORA_DESKTOP_DIR}/plinkora-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plinkora.xml)

# The icon in every size drawn, in the theme every desktop falls back on.
set(PLINKORA_ICON_DIR ${PROJECT_SOURCE_DIR}/resources/images/icons)
file(GLOB PLINKORA_ICON_PNGS CONFIGURE_DEPENDS ${PLINKORA_ICON_DIR}/plinkora-*.png)
foreach(icon ${PLINKORA_ICON_PNGS})
    string(REGEX REPLACE ".*plinkora-([0-9]+)\\.png$" "\\1" size ${icon})
    install(FILES ${icon} RENAME plinkora.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
if(EXISTS ${PLINKORA_ICON_DIR}/plinkora.svg)
    install(FILES ${PLINKORA_ICON_DIR}/plinkora.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Refresh the desktop's caches when installing onto the running system; a staging folder for a
# package (DESTDIR) is left to the package's own scripts. The icon cache is only refreshed where
# a theme index says one belongs: a forced cache that nothing else updates would hide icons
# installed there later.
install(CODE [[
    if("$ENV{DESTDIR}" STREQUAL "")
        foreach(refresh "update-mime-database;mime" "update-desktop-database;applications"
                        "gtk-update-icon-cache;-q;icons/hicolor")
            list(POP_FRONT refresh tool)
            list(POP_BACK refresh folder)
            unset(tool_path)  # a found path would stop the next search
            find_program(tool_path ${tool} NO_CACHE)
            if(tool_path)
                execute_process(COMMAND ${tool_path} ${refresh} "${plinkora_data_dir}/${folder}"
                                OUTPUT_QUIET ERROR_QUIET)
            endif()
        endforeach()
    endif()
]])
