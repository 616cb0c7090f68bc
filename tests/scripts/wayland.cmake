# The program as a native Wayland client of a headless sway, typed on by a virtual keyboard of
# the test's own that uploads a real layout's keymap and presses keys by position. The keyboard
# is built where wayland-scanner and wayland-client are found; the tests skip (77) where sway
# cannot start.
find_program(WAYLAND_SCANNER wayland-scanner)
find_package(PkgConfig)
pkg_check_modules(VIRTUAL_KEYBOARD_DEPS IMPORTED_TARGET wayland-client xkbcommon)
if(TARGET plinkora AND WAYLAND_SCANNER AND VIRTUAL_KEYBOARD_DEPS_FOUND)
    enable_language(C)
    set(protocol ${CMAKE_CURRENT_SOURCE_DIR}/wayland/virtual-keyboard-unstable-v1.xml)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/wayland)
    add_custom_command(
        OUTPUT ${generated}/virtual-keyboard-unstable-v1-client-protocol.h
               ${generated}/virtual-keyboard-unstable-v1-protocol.c
        COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
        COMMAND ${WAYLAND_SCANNER} client-header ${protocol}
                ${generated}/virtual-keyboard-unstable-v1-client-protocol.h
        COMMAND ${WAYLAND_SCANNER} private-code ${protocol}
                ${generated}/virtual-keyboard-unstable-v1-protocol.c
        DEPENDS ${protocol} VERBATIM)
    add_executable(plinkora-virtual-keyboard
        wayland/virtual_keyboard.c
        ${generated}/virtual-keyboard-unstable-v1-client-protocol.h
        ${generated}/virtual-keyboard-unstable-v1-protocol.c)
    target_include_directories(plinkora-virtual-keyboard PRIVATE ${generated})
    target_link_libraries(plinkora-virtual-keyboard PRIVATE PkgConfig::VIRTUAL_KEYBOARD_DEPS)
    foreach(part keymap floating scale tiled)
        add_test(NAME wayland_${part}
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/wayland.sh $<TARGET_FILE:plinkora>
                         $<TARGET_FILE:plinkora-virtual-keyboard> ${part})
        set_tests_properties(wayland_${part} PROPERTIES
            SKIP_RETURN_CODE 77 TIMEOUT 90 LABELS e2e
            ENVIRONMENT PLINKORA_TEST_SOUNDFONT=${PLINKORA_TEST_SOUNDFONT})
    endforeach()
endif()
