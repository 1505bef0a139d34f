# The Linux saver's documentation and its Debian package (included by
# packaging/CMakeLists.txt in native builds of the X11 saver).
#
# The install target puts beside the program, at any prefix: the man page
# (section 6, like xscreensaver's own programs, whose Documentation button
# opens it), and in share/doc/fizzlet the copyright (machine-readable, with
# the licence text taken from LICENSE) and the changelog.  Debian wants man
# pages and changelogs compressed with gzip -9n (no name, no time stamp, so
# that the same sources make the same package).  They are made when the
# build is configured, so that installing needs nothing but the program.

set(FIZZLET_DEB_MAINTAINER "The Fizzlet developers <fizzlet@example.org>" CACHE STRING
  "Maintainer field of the Debian package")

set(debian_out ${CMAKE_CURRENT_BINARY_DIR}/debian)
find_program(FIZZLET_GZIP gzip REQUIRED)

# LICENSE is the MIT licence, which Debian's copyright format calls Expat:
# its copyright line and its text, indented one space, blank lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "\nCopyright \\(c\\) ([^\n]+)" copyright_line "${license}")
string(FIND "${license}" "Permission is hereby granted" terms_start)
if(NOT copyright_line OR terms_start EQUAL -1)
  message(FATAL_ERROR "LICENSE is no longer the MIT licence that debian/copyright.in describes")
endif()
set(FIZZLET_COPYRIGHT "${CMAKE_MATCH_1}")
string(SUBSTRING "${license}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
set(FIZZLET_LICENSE_TEXT " ${terms}")
configure_file(debian/copyright.in ${debian_out}/copyright @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)

configure_file(debian/changelog ${debian_out}/changelog COPYONLY)
configure_file(debian/fizzlet.6.in ${debian_out}/fizzlet.6 @ONLY)
execute_process(COMMAND ${FIZZLET_GZIP} -9nfk changelog fizzlet.6
  WORKING_DIRECTORY ${debian_out} COMMAND_ERROR_IS_FATAL ANY)

# A stripped install (cpack, cmake --install --strip) strips the program as
# Debian does: the .comment and .note sections go too.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${FIZZLET_PROGRAM_DIR}/fizzlet\" COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(FILES ${debian_out}/fizzlet.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${debian_out}/copyright ${debian_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# --- The package: cpack -G DEB in the build tree -----------------------------
# The X and Wayland libraries (libwayland-client0, libxkbcommon0) come from
# dpkg-shlibdeps.  FluidSynth is loaded only when
# the music starts (dlopen), so no tool sees it: it and a General MIDI
# SoundFont are declared here.  The music is on by default, and these are what
# it needs to be heard, hence Depends.  The SoundFonts are the ones the
# program looks for (src/music/music_places.h), the small one first.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fizzlet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FIZZLET_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libfluidsynth3, timgm6mb-soundfont | fluid-soundfont-gm | musescore-general-soundfont")
set(CPACK_DEBIAN_PACKAGE_ENHANCES xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
golden kernels roll, hop and pop: screen saver for xscreensaver
Golden kernels roll in along the bottom of a black screen from both sides,
bounce off the edges, hop now and then, and while in the air may pop into a
piece that flies up and falls off the screen, to a loop of ten background
MIDI pieces played with FluidSynth.

xscreensaver-settings sets the number of kernels, the chance of popping and
the music.  The program is installed where xscreensaver looks for its display
modes; fizzlet(6) tells how to add it to the list of display modes.  On a
Wayland desktop it draws one full-screen surface per output, started by an
idle daemon such as swayidle.]=])
include(CPack)
