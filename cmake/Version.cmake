# The version of Wrenfield and Torvane, kept in the file VERSION at the top of the
# tree and nowhere else (semantic versioning: MAJOR.MINOR.PATCH, optionally
# -PRERELEASE). Sets WRENFIELD_VERSION and its numeric parts for the version
# resources, and gives the programs the header wrenfield_version.h through the
# interface target wrenfield_version.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION WRENFIELD_VERSION LIMIT_COUNT 1)
if(NOT WRENFIELD_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(-[0-9A-Za-z.-]+)?$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH[-PRERELEASE], not '${WRENFIELD_VERSION}'")
endif()
set(WRENFIELD_VERSION_MAJOR ${CMAKE_MATCH_1})
set(WRENFIELD_VERSION_MINOR ${CMAKE_MATCH_2})
set(WRENFIELD_VERSION_PATCH ${CMAKE_MATCH_3})
# A changed VERSION configures the build again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)

configure_file(${CMAKE_CURRENT_LIST_DIR}/wrenfield_version.h.in
  ${CMAKE_BINARY_DIR}/generated/wrenfield_version.h @ONLY)
add_library(wrenfield_version INTERFACE)
target_include_directories(wrenfield_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
