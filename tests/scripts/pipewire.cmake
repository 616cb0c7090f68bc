# The built-in synthesizer on a private PipeWire under the real window: its own node, middle C
# at its pitch and the first note after a silence; a frozen PipeWire; PulseAudio where PipeWire
# carries no sound; and real-time priority through rtkit on an account without it. Skipped (77)
# where a server or Xvfb cannot start.
if(TARGET plinkora)
    foreach(test pipewire_synth frozen_pipewire pipewire_fallback)
        add_test(NAME ${test}
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${test}.sh $<TARGET_FILE:plinkora>)
    endforeach()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(TEST_DBUS REQUIRED IMPORTED_TARGET dbus-1)
    add_executable(polkit_grants ${CMAKE_CURRENT_SOURCE_DIR}/e2e/polkit_grants.cpp)
    target_link_libraries(polkit_grants PRIVATE PkgConfig::TEST_DBUS)
    add_test(NAME realtime_rtkit
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/realtime_rtkit.sh $<TARGET_FILE:plinkora>
                     $<TARGET_FILE:polkit_grants>)
    set_tests_properties(pipewire_synth frozen_pipewire pipewire_fallback realtime_rtkit
        PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180 LABELS e2e RESOURCE_LOCK sound_servers
                   ENVIRONMENT PLINKORA_TEST_SOUNDFONT=${PLINKORA_TEST_SOUNDFONT})
    # Timing is heard in the recording: alone, so that other tests do not starve the sound.
    set_tests_properties(pipewire_synth PROPERTIES RUN_SERIAL TRUE)
endif()
