# Run by cpack once the files are staged, before the Debian package is made:
# the package depends on the C library version the packed program truly
# needs. The dynamic loader refuses to start a program that needs a symbol
# version its libc lacks, so the floor is the highest GLIBC_x.y the program
# names in its version needs. A static program needs no C library at all
# and gets no Depends.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(program "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_REVTICK_PROGRAM}")
if(NOT EXISTS "${program}")
  message(FATAL_ERROR "No program to compute the package's dependencies from: ${program}")
endif()
if(NOT CPACK_REVTICK_READELF)
  message(FATAL_ERROR "readelf not found (binutils): cannot tell which C library the program needs")
endif()
execute_process(COMMAND "${CPACK_REVTICK_READELF}" -lVW "${program}"
  OUTPUT_VARIABLE info RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "readelf cannot read ${program}")
endif()

if(NOT info MATCHES "Requesting program interpreter")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
  message(STATUS "revtick: static program, no Depends")
  return()
endif()
string(REGEX MATCHALL "Name: GLIBC_[0-9]+(\\.[0-9]+)+" needs "${info}")
set(floor "")
foreach(need IN LISTS needs)
  string(REGEX REPLACE "^Name: GLIBC_" "" version "${need}")
  if(floor STREQUAL "" OR version VERSION_GREATER floor)
    set(floor ${version})
  endif()
endforeach()
if(floor STREQUAL "")
  message(FATAL_ERROR "${program} names no GLIBC symbol version: "
    "built against another C library, whose Debian package this build does not know")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${floor})")
message(STATUS "revtick: Depends: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
