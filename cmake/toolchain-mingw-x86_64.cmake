# Cross build for 64-bit Windows with MinGW-w64.
# The -posix compilers use the posix thread model: the default win32 model
# has no std::mutex/std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FIZZLET_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
