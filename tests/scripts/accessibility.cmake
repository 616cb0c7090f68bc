# The real program read through the AT-SPI bus, as a screen reader reads it. Skipped (77) where
# the display or the accessibility bus cannot start.
if(TARGET plinkora)
    add_test(NAME accessibility_bus
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/accessibility.sh $<TARGET_FILE:plinkora>)
    set_tests_properties(accessibility_bus PROPERTIES
        SKIP_RETURN_CODE 77 TIMEOUT 90 LABELS e2e)
endif()
