# Warnings are errors on every compiler we build with.
add_library(fizzlet_warnings INTERFACE)
target_compile_options(fizzlet_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
# GCC 12 reports impossible overlaps inside std::string's own inlined code
# ("literal" + std::string, assign from a literal) at -O2 and above
# (GCC bug 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(fizzlet_warnings INTERFACE -Wno-restrict)
endif()

# Helper: a portable core library of one subsystem.
function(fizzlet_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC fizzlet_warnings)
endfunction()
