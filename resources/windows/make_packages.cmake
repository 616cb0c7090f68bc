# cmake -P make_packages.cmake, run by the plinkora_packages target with every path it needs
# (see packages.cmake): lays out the files as installed, then writes the installer and the zip
# from that one layout, so both always hold the same files.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${PROGRAMS} ${TIPS} ${HELP} DESTINATION ${STAGE})
# The build keeps its debugging information; the packages do without it.
if(STRIP)
    foreach(program ${PROGRAMS})
        get_filename_component(name ${program} NAME)
        execute_process(COMMAND ${STRIP} --strip-all ${STAGE}/${name} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()
file(COPY ${ICON} DESTINATION ${STAGE})

execute_process(
    COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DVERSION_QUAD=${VERSION_QUAD}
            -DSTAGE=${STAGE} -DOUTFILE=${SETUP}.part ${NSI}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${SETUP}.part)
    message(FATAL_ERROR "makensis failed (${status}): no installer written")
endif()
file(RENAME ${SETUP}.part ${SETUP})

# One folder inside the zip, so unpacking it anywhere gives "Plinkora-<version>" and no clutter.
get_filename_component(stage_parent ${STAGE} DIRECTORY)
get_filename_component(stage_name ${STAGE} NAME)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP}.part --format=zip ${stage_name}
    WORKING_DIRECTORY ${stage_parent}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${ZIP}.part)
    message(FATAL_ERROR "the portable zip could not be written (${status})")
endif()
file(RENAME ${ZIP}.part ${ZIP})
