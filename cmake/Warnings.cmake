# Warnings are errors on every compiler we build with.
add_library(fizzlet_warnings INTERFACE)
target_compile_options(fizzlet_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
# GCC 12 reports impossible overlaps and out-of-bounds copies inside the
# standard library's own inlined code ("literal" + std::string, inserting a
# range into a std::vector) at -O2 and above (GCC bugs 105329, 107852); those
# reports say nothing about our code.  The sanitizer build checks bounds at
# run time instead.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(fizzlet_warnings INTERFACE -Wno-restrict -Wno-array-bounds
    -Wno-stringop-overread -Wno-stringop-overflow)
endif()
