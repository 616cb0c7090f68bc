# The manual pages, compressed as Debian's policy asks; man reads them either way.
set(PLINKORA_MAN_SOURCES ${PROJECT_SOURCE_DIR}/resources/man/plinkora-convert.1)
if(PLINKORA_BUILD_APP)
    list(APPEND PLINKORA_MAN_SOURCES ${PROJECT_SOURCE_DIR}/resources/man/plinkora.1)
endif()
set(PLINKORA_MAN_PAGES)
foreach(source ${PLINKORA_MAN_SOURCES})
    get_filename_component(page ${source} NAME)
    set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                       COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${source} ${compressed}
                       DEPENDS ${source} VERBATIM)
    list(APPEND PLINKORA_MAN_PAGES ${compressed})
endforeach()
add_custom_target(plinkora_man_pages ALL DEPENDS ${PLINKORA_MAN_PAGES})
install(FILES ${PLINKORA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
