# Cross-compiling the 32-bit Windows build (the shipped one) with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(WRENFIELD_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
