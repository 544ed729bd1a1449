# Shared by the MinGW-w64 toolchain files, which set WRENFIELD_MINGW_TRIPLET first.
# The posix-threads compilers: GoogleTest and the C++ threads need them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${WRENFIELD_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WRENFIELD_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${WRENFIELD_MINGW_TRIPLET}-windres)

# scripts/setup.sh installs the MinGW builds of the libraries under $WRENFIELD_DEPS/<triplet>.
include(${CMAKE_CURRENT_LIST_DIR}/WrenfieldDeps.cmake)

set(CMAKE_FIND_ROOT_PATH /usr/${WRENFIELD_MINGW_TRIPLET} ${WRENFIELD_DEPS}/${WRENFIELD_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
