# plinkora-convert.exe under Wine against the Linux converter: the same documents must give the
# same .mid files, messages and exit statuses; what only Windows refuses is checked on its own.
set(PLINKORA_LINUX_CONVERT "" CACHE FILEPATH
    "The Linux plinkora-convert the Windows one is compared with (none: no comparison)")
find_program(PLINKORA_PYTHON3 python3 REQUIRED)
add_test(NAME converter_on_windows
         COMMAND ${PLINKORA_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/converter_on_windows.py
                 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:plinkora-convert>
                 "${PLINKORA_LINUX_CONVERT}")
set_tests_properties(converter_on_windows PROPERTIES TIMEOUT 300 LABELS "converter")
