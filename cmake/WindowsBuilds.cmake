# The Windows programs, cross-compiled in build trees of their own inside
# this one by each toolchain of REVTICK_WINDOWS_TOOLCHAINS: mingw-w64's in
# <build>/{i686,x86_64}-w64-mingw32/, clang-cl's (Visual Studio's ClangCL
# compiler, with lld-link) in <build>/{i686,x86_64,aarch64}-pc-windows-msvc/.
# REVTICK_WINDOWS: AUTO builds them when a toolchain's tools are installed,
# ON requires them, OFF leaves them out; REVTICK_REQUIRE_WINDOWS=1 in the
# environment turns AUTO into ON, so that CI cannot skip them.
set(REVTICK_WINDOWS_REQUIRED OFF)
if(REVTICK_WINDOWS STREQUAL "ON" OR "$ENV{REVTICK_REQUIRE_WINDOWS}" STREQUAL "1")
  set(REVTICK_WINDOWS_REQUIRED ON)
endif()

# What is missing is a configuration error when required, otherwise a note,
# and for tests/cmake/windows.cmake a suite skipped (the test standing for
# it in REVTICK_WINDOWS_SKIPPED_TESTS, item for item with the reason in
# REVTICK_WINDOWS_SKIPPED_REASONS). REVTICK_WINDOWS_ENABLED and
# REVTICK_CLANG_CL_ENABLED say which toolchain builds its programs.
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

set(revtick_windows_machines i686 x86_64)
set(revtick_clang_cl_machines i686 x86_64 aarch64)
set(REVTICK_WINDOWS_ENABLED OFF)
set(REVTICK_CLANG_CL_ENABLED OFF)
set(REVTICK_WINDOWS_MISSING "")  # the tools not found
if(NOT REVTICK_WINDOWS STREQUAL "OFF" AND "mingw-w64" IN_LIST REVTICK_WINDOWS_TOOLCHAINS)
  foreach(machine IN LISTS revtick_windows_machines)
    set(triple ${machine}-w64-mingw32)
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

# The programs of one toolchain, for each of `machines`: the target
# <prefix>_<machine> builds one in <build>/<machine><suffix>, which
# REVTICK_<PREFIX>_<machine>_DIR names, with
# cmake/toolchains/<toolchain>-<machine>.cmake; <prefix>_packages makes
# their ZIPs in <build>/packages.
include(ExternalProject)
function(revtick_windows_programs prefix toolchain suffix tests machines)
  string(TOUPPER ${prefix} variable_prefix)
  set(packs "")
  foreach(machine IN LISTS machines)
    set(folder ${CMAKE_BINARY_DIR}/${machine}${suffix})
    set(${variable_prefix}_${machine}_DIR ${folder} PARENT_SCOPE)
    ExternalProject_Add(${prefix}_${machine}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${folder}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchains/${toolchain}-${machine}.cmake
        -DCMAKE_BUILD_TYPE=MinSizeRel
        -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
        -DREVTICK_BUILD_TESTS=${tests}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${folder}/revtick.exe ${folder}/revtick-step.exe)
    list(APPEND packs COMMAND ${CMAKE_CPACK_COMMAND} --config ${folder}/CPackConfig.cmake
      -B ${CMAKE_BINARY_DIR}/packages)
  endforeach()
  list(TRANSFORM machines PREPEND ${prefix}_)
  add_custom_target(${prefix}_packages ${packs} DEPENDS ${machines}
    COMMENT "Packing the ${toolchain} programs" VERBATIM)
endfunction()

# mingw-w64's make revtick-<version>-win32.zip and -win64.zip, and the NuGet
# package of both (cmake/Packaging.cmake); clang-cl's -win32-msvc.zip,
# -win64-msvc.zip and -arm64-msvc.zip. clang-cl's test helpers would need a
# Windows SDK: the suites start mingw-w64's.
if(REVTICK_WINDOWS_ENABLED)
  revtick_windows_programs(revtick_windows mingw-w64 -w64-mingw32 ${REVTICK_BUILD_TESTS}
    "${revtick_windows_machines}")
endif()
if(REVTICK_CLANG_CL_ENABLED)
  revtick_windows_programs(revtick_clang_cl clang-cl -pc-windows-msvc OFF
    "${revtick_clang_cl_machines}")
endif()
