# The program's manners on the command line: --help, --version, and no display.
if(TARGET plinkora)
    add_test(NAME command_line
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/command_line.sh
                     $<TARGET_FILE:plinkora> ${PROJECT_VERSION})
    set_tests_properties(command_line PROPERTIES TIMEOUT 60 LABELS shell)
endif()
