# Sound servers that stop answering without going away, under the real window: JACK with the
# synthesizer and the own port on it, and PulseAudio from start-up on. Skipped (77) where the
# server or Xvfb cannot start.
if(TARGET plinkora)
    foreach(server jack pulse)
        add_test(NAME frozen_${server}
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frozen_${server}.sh
                         $<TARGET_FILE:plinkora>)
        set_tests_properties(frozen_${server} PROPERTIES
            SKIP_RETURN_CODE 77 TIMEOUT 180 LABELS e2e RESOURCE_LOCK sound_servers
            ENVIRONMENT PLINKORA_TEST_SOUNDFONT=${PLINKORA_TEST_SOUNDFONT})
    endforeach()
endif()
