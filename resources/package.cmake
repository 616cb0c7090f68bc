# The Debian package, built by scripts/package.sh with CPack's DEB generator: everything that
# cmake --install puts on a desktop, under /usr, with a copyright file and a changelog. Its
# Depends come from the libraries the programs link (dpkg-shlibdeps), plus what they load at
# run time: Qt's platform plugins, and the fonts that stand in for "Times New Roman".
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(PLINKORA_CHANGELOG ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${PLINKORA_CHANGELOG}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
                   COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip
                           ${PROJECT_SOURCE_DIR}/resources/debian/changelog ${PLINKORA_CHANGELOG}
                   DEPENDS ${PROJECT_SOURCE_DIR}/resources/debian/changelog VERBATIM)
add_custom_target(plinkora_changelog ALL DEPENDS ${PLINKORA_CHANGELOG})
install(FILES ${PLINKORA_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plinkora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Plinkora developers")
set(CPACK_PACKAGE_CONTACT
    "Plinkora developers <maintainers@users.noreply.c-seed-719e2b04.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "play music on the computer keyboard")
# Installs under /usr through DESTDIR, so that the menu entry and the launcher name the final
# paths and the install step leaves the system's desktop caches to dpkg's triggers.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
# Without qt6-wayland a Wayland desktop runs the program through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm | timgm6mb-soundfont, qt6-wayland")
# CPack puts the summary first and indents the rest; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Plinkora turns the computer's typing keyboard into a musical instrument.
45 keys play the notes of a fixed layout written in numbered notation; one
of 24 key signatures places the layout on real pitches, and Shift or Ctrl
at the start of a chord moves it an octave.

Performances can be recorded, played back once or in a loop, saved as .plk
documents and exported as Standard MIDI Files. A General MIDI synthesizer
(FluidSynth) is built in; any MIDI port of the system can be played
instead, and Plinkora offers a MIDI output port of its own that DAWs and
synthesizers connect to (ALSA sequencer or JACK).

plinkora-convert turns .plk documents into MIDI and WAV files from the
command line.")
include(CPack)
