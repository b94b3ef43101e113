# The Windows programs, cross-compiled in build trees of their own inside
# this one, by each toolchain of REVTICK_WINDOWS_TOOLCHAINS
# (cmake/Options.cmake):
#   mingw-w64  <build>/i686-w64-mingw32/revtick.exe (32-bit) and
#              <build>/x86_64-w64-mingw32/revtick.exe (64-bit)
#   clang-cl   <build>/<machine>-pc-windows-msvc/revtick.exe for i686, x86_64
#              and aarch64: Visual Studio's ClangCL compiler with lld-link
#
# REVTICK_WINDOWS (cmake/Options.cmake): AUTO builds them when a toolchain's
# tools are installed, ON requires them, OFF leaves them out. The
# environment variable REVTICK_REQUIRE_WINDOWS=1 turns AUTO into ON, so that
# CI cannot skip them.
set(REVTICK_WINDOWS_REQUIRED OFF)
if(REVTICK_WINDOWS STREQUAL "ON" OR "$ENV{REVTICK_REQUIRE_WINDOWS}" STREQUAL "1")
  set(REVTICK_WINDOWS_REQUIRED ON)
endif()

# What cannot be built here, and what cannot run the Windows suite
# (tests/cmake/wine.cmake), is a configuration error when required,
# otherwise a note and, for tests/cmake/windows.cmake, the skipped suite and
# its reason:
#   REVTICK_WINDOWS_ENABLED          both mingw-w64 programs are built
#   REVTICK_CLANG_CL_ENABLED         the three clang-cl programs are built
#   REVTICK_WINDOWS_SKIPPED_TESTS    the test standing for each suite that cannot run,
#   REVTICK_WINDOWS_SKIPPED_REASONS  and, item for item, why not
set(REVTICK_WINDOWS_SKIPPED_TESTS "")
set(REVTICK_WINDOWS_SKIPPED_REASONS "")
macro(revtick_windows_unavailable what test why)
  if(REVTICK_WINDOWS_REQUIRED)
    message(FATAL_ERROR "${what} required, but ${why}")
  endif()
  message(STATUS "${what} skipped: ${why}")
  list(APPEND REVTICK_WINDOWS_SKIPPED_TESTS ${test})
  list(APPEND REVTICK_WINDOWS_SKIPPED_REASONS "${what} skipped: ${why}")
endmacro()

set(revtick_windows_triples i686-w64-mingw32 x86_64-w64-mingw32)
set(revtick_clang_cl_machines i686 x86_64 aarch64)
set(REVTICK_WINDOWS_ENABLED OFF)
set(REVTICK_CLANG_CL_ENABLED OFF)
set(REVTICK_WINDOWS_MISSING "")  # the tools not found
if(NOT REVTICK_WINDOWS STREQUAL "OFF" AND "mingw-w64" IN_LIST REVTICK_WINDOWS_TOOLCHAINS)
  foreach(triple IN LISTS revtick_windows_triples)
    foreach(tool CXX=g++ OBJDUMP=objdump NM=nm STRIP=strip)
      string(REGEX MATCH "^([^=]*)=(.*)$" tool ${tool})
      find_program(REVTICK_${triple}_${CMAKE_MATCH_1} ${triple}-${CMAKE_MATCH_2})
      if(NOT REVTICK_${triple}_${CMAKE_MATCH_1})
        list(APPEND REVTICK_WINDOWS_MISSING REVTICK_${triple}_${CMAKE_MATCH_1})
      endif()
    endforeach()
  endforeach()
  if(REVTICK_WINDOWS_MISSING)
    list(JOIN REVTICK_WINDOWS_MISSING ", " missing)
    revtick_windows_unavailable("Windows build" revtick_windows_suite
      "mingw-w64 not found (${missing}): apt-get install g++-mingw-w64-i686 g++-mingw-w64-x86-64")
  else()
    set(REVTICK_WINDOWS_ENABLED ON)
  endif()
endif()

# clang-cl, lld-link and the LLVM tools the toolchain file names
# (cmake/toolchains/clang-cl.cmake), and llvm-readobj for the checks.
if(NOT REVTICK_WINDOWS STREQUAL "OFF" AND "clang-cl" IN_LIST REVTICK_WINDOWS_TOOLCHAINS)
  set(missing "")
  foreach(tool clang-cl lld-link llvm-lib llvm-rc llvm-mt llvm-dlltool llvm-readobj)
    string(TOUPPER ${tool} variable)
    string(REPLACE "-" "_" variable REVTICK_${variable})
    find_program(${variable} NAMES ${tool}-14 ${tool})
    if(NOT ${variable})
      list(APPEND missing ${tool})
    endif()
  endforeach()
  if(missing)
    list(JOIN missing ", " missing)
    revtick_windows_unavailable("Windows build with clang-cl" revtick_clang_cl_suite
      "${missing} not found: apt-get install clang-14 lld-14 llvm-14")
  else()
    set(REVTICK_CLANG_CL_ENABLED ON)
  endif()
endif()

# One Windows program, built by cmake/toolchains/<toolchain>.cmake in
# `folder`; `packs` gains the command that makes its ZIP in <build>/packages.
include(ExternalProject)
macro(revtick_windows_program target toolchain folder tests)
  ExternalProject_Add(${target}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${folder}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchains/${toolchain}.cmake
      -DCMAKE_BUILD_TYPE=MinSizeRel
      -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
      -DREVTICK_BUILD_TESTS=${tests}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${folder}/revtick.exe)
  list(APPEND packs COMMAND ${CMAKE_CPACK_COMMAND} --config ${folder}/CPackConfig.cmake
    -B ${CMAKE_BINARY_DIR}/packages)
endmacro()

# mingw-w64's: revtick-<version>-win32.zip and -win64.zip, and the NuGet
# package of both (cmake/Packaging.cmake).
if(REVTICK_WINDOWS_ENABLED)
  set(packs "")
  foreach(triple IN LISTS revtick_windows_triples)
    string(REGEX REPLACE "-.*" "" arch ${triple})
    set(REVTICK_WINDOWS_${arch}_DIR ${CMAKE_BINARY_DIR}/${triple})
    revtick_windows_program(revtick_windows_${arch} mingw-w64-${arch}
      ${REVTICK_WINDOWS_${arch}_DIR} ${REVTICK_BUILD_TESTS})
  endforeach()
  add_custom_target(revtick_windows_packages ${packs}
    DEPENDS revtick_windows_i686 revtick_windows_x86_64
    COMMENT "Packing the Windows programs"
    VERBATIM)
endif()

# clang-cl's: revtick-<version>-win32-msvc.zip, -win64-msvc.zip and
# -arm64-msvc.zip. Their test helpers would need a Windows SDK; the suites
# start the mingw-w64 build's.
if(REVTICK_CLANG_CL_ENABLED)
  set(packs "")
  foreach(machine IN LISTS revtick_clang_cl_machines)
    set(REVTICK_CLANG_CL_${machine}_DIR ${CMAKE_BINARY_DIR}/${machine}-pc-windows-msvc)
    revtick_windows_program(revtick_clang_cl_${machine} clang-cl-${machine}
      ${REVTICK_CLANG_CL_${machine}_DIR} OFF)
  endforeach()
  list(TRANSFORM revtick_clang_cl_machines PREPEND revtick_clang_cl_ OUTPUT_VARIABLE builds)
  add_custom_target(revtick_clang_cl_packages ${packs}
    DEPENDS ${builds}
    COMMENT "Packing the clang-cl programs"
    VERBATIM)
endif()
