# Windows x86 (32-bit) with MinGW-w64. Built so that pointer-size faults show
# at compile time; shipped as win32.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
