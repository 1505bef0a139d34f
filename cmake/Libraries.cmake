# One library per folder: the portable core of a subsystem is
# fizzlet_<subsystem> (src/<subsystem>/*.cpp); each of its layers is in a
# folder named after what it needs: fizzlet_<subsystem>_win32 (win32/), _x11
# (x11/), _posix (posix/, what every POSIX host shares), _fluidsynth
# (fluidsynth/, the Linux hosts' music player).  Each links only the
# libraries below it; the entry points (src/app) sit above all of them and
# are the only code that knows every window.
#
# The build holds every library to that: each is also linked whole into a
# small check program, <library>_links, together with nothing but what the
# library links itself.  A call into a library it does not link (one above
# it, or a sibling) is then an undefined reference, and the build fails.
function(fizzlet_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC fizzlet_warnings)
  if(NOT FIZZLET_FUZZ)  # (the fuzz build's instrumentation needs libFuzzer's main)
    add_executable(${name}_links ${PROJECT_SOURCE_DIR}/cmake/layer_check.cpp)
    target_link_libraries(${name}_links PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
  endif()
endfunction()

# A folder's Windows layer: a library that may include windows.h.
function(fizzlet_win32_library name)
  fizzlet_library(${name} ${ARGN})
  target_compile_definitions(${name} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601)
endfunction()

# fizzlet_wayland_protocol(NAME XML BASENAME): a library of the client code
# that wayland-scanner generates from the protocol description XML, with its
# header BASENAME-client-protocol.h.  Generated code is not held to the
# project's warnings.
function(fizzlet_wayland_protocol name xml basename)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/protocols)
  add_custom_command(OUTPUT ${out}/${basename}-client-protocol.h ${out}/${basename}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${FIZZLET_WAYLAND_SCANNER} client-header ${xml} ${out}/${basename}-client-protocol.h
    COMMAND ${FIZZLET_WAYLAND_SCANNER} private-code ${xml} ${out}/${basename}-protocol.c
    DEPENDS ${xml} VERBATIM)
  add_library(${name} STATIC ${out}/${basename}-protocol.c ${out}/${basename}-client-protocol.h)
  target_include_directories(${name} PUBLIC ${out})
  target_link_libraries(${name} PUBLIC PkgConfig::Wayland)
endfunction()
