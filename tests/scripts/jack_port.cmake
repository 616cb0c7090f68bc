# Plinkora's own MIDI output port on a real JACK server, read by a real JACK MIDI reader while
# keys are typed in the real window. Skipped (77) where the JACK server or Xvfb cannot start.
if(TARGET plinkora)
    add_test(NAME jack_output_port
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/jack_port.sh $<TARGET_FILE:plinkora>)
    set_tests_properties(jack_output_port PROPERTIES
        SKIP_RETURN_CODE 77 TIMEOUT 120 LABELS e2e RESOURCE_LOCK sound_servers
        ENVIRONMENT PLINKORA_TEST_SOUNDFONT=${PLINKORA_TEST_SOUNDFONT})
endif()
