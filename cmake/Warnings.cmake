# Warnings are errors on every compiler we build with.
add_library(fizzlet_warnings INTERFACE)
target_compile_options(fizzlet_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)

# Helper: a portable core library of one subsystem.
function(fizzlet_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC fizzlet_warnings)
endfunction()
