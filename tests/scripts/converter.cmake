# End to end: plinkora-convert on documents made by the script, the .mid files read back with
# mido. The first python3 that can import mido runs it (pyenv shims may hide the system one).
set(PLINKORA_MIDO_PYTHON "" CACHE FILEPATH "python3 with mido, for the converter test")
if(NOT PLINKORA_MIDO_PYTHON)
    find_program(_path_python3 python3)
    foreach(candidate ${_path_python3} /usr/bin/python3)
        if(candidate AND EXISTS ${candidate})
            execute_process(COMMAND ${candidate} -c "import mido"
                            RESULT_VARIABLE _no_mido OUTPUT_QUIET ERROR_QUIET)
            if(_no_mido EQUAL 0)
                set(PLINKORA_MIDO_PYTHON ${candidate} CACHE FILEPATH "" FORCE)
                break()
            endif()
        endif()
    endforeach()
endif()
if(PLINKORA_MIDO_PYTHON)
    add_test(NAME converter_end_to_end
             COMMAND ${PLINKORA_MIDO_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/check_converter.py
                     $<TARGET_FILE:plinkora-convert> ${PLINKORA_TEST_SOUNDFONT})
else()
    # Fails loudly rather than passing without its reader.
    add_test(NAME converter_end_to_end
             COMMAND sh -c "echo 'python3 with mido (python3-mido) not found' >&2; exit 1")
endif()
set_tests_properties(converter_end_to_end PROPERTIES TIMEOUT 300 LABELS "converter")
