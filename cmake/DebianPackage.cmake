# The Debian package's control fields: maintainer, long description, and a
# Depends on the C library computed from the program that is packed (see
# DebianDepends.cmake, run by cpack once the files are staged).
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REVTICK_MAINTAINER}")
# The long description; CPack puts the synopsis
# (CPACK_PACKAGE_DESCRIPTION_SUMMARY) above it and indents it.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "revtick raises the build number kept in a C header by one on every build.\n"
  "A build script runs it before anything that includes the header is\n"
  "compiled; it checks that the file holds one #define line with a decimal\n"
  "number, rewrites it with the number plus one (optionally with a second\n"
  "definition holding the number after that), stamps the file two seconds\n"
  "back or keeps its time, and reports the outcome in its exit code.\n"
  ".\n"
  "The package holds the program, its man page and a CMake package whose\n"
  "revtick_build_number() adds the step to a CMake target.")

find_program(REVTICK_GNU_READELF NAMES ${CMAKE_LIBRARY_ARCHITECTURE}-readelf readelf)
set(CPACK_REVTICK_READELF "${REVTICK_GNU_READELF}")
set(CPACK_REVTICK_PROGRAM "${CMAKE_INSTALL_BINDIR}/revtick")
list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDepends.cmake)
