# The whole program end to end on a virtual display and a virtual sound card: real keys, real
# sound, the transport buttons, saving and converting. Skipped (77) where PulseAudio or Xvfb
# cannot start.
if(TARGET plinkora AND TARGET plinkora-convert)
    add_test(NAME end_to_end
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run.sh
                     $<TARGET_FILE:plinkora> $<TARGET_FILE:plinkora-convert>
                     ${PROJECT_SOURCE_DIR}/resources/tips.txt)
    # Alone, so that other tests do not starve its real-time sound.
    set_tests_properties(end_to_end PROPERTIES
        SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE LABELS e2e
        ENVIRONMENT PLINKORA_TEST_SOUNDFONT=${PLINKORA_TEST_SOUNDFONT})
endif()
