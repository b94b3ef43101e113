# The Windows programs, cross-compiled with mingw-w64 in build trees of their
# own inside this one: <build>/i686-w64-mingw32/revtick.exe (32-bit) and
# <build>/x86_64-w64-mingw32/revtick.exe (64-bit).
#
# REVTICK_WINDOWS: AUTO builds them when both compilers are installed, ON
# requires them, OFF leaves them out. The environment variable
# REVTICK_REQUIRE_WINDOWS=1 turns AUTO into ON, so that CI cannot skip them.
set(REVTICK_WINDOWS AUTO CACHE STRING "Cross-build the Windows programs: AUTO, ON or OFF")
set_property(CACHE REVTICK_WINDOWS PROPERTY STRINGS AUTO ON OFF)

set(REVTICK_WINDOWS_REQUIRED OFF)
if(REVTICK_WINDOWS STREQUAL "ON" OR "$ENV{REVTICK_REQUIRE_WINDOWS}" STREQUAL "1")
  set(REVTICK_WINDOWS_REQUIRED ON)
endif()

set(revtick_windows_triples i686-w64-mingw32 x86_64-w64-mingw32)
set(REVTICK_WINDOWS_ENABLED OFF)
set(REVTICK_WINDOWS_MISSING "")  # the tools not found
if(NOT REVTICK_WINDOWS STREQUAL "OFF")
  foreach(triple IN LISTS revtick_windows_triples)
    find_program(REVTICK_${triple}_CXX ${triple}-g++)
    find_program(REVTICK_${triple}_OBJDUMP ${triple}-objdump)
    find_program(REVTICK_${triple}_NM ${triple}-nm)
    find_program(REVTICK_${triple}_STRIP ${triple}-strip)
    foreach(tool CXX OBJDUMP NM STRIP)
      if(NOT REVTICK_${triple}_${tool})
        list(APPEND REVTICK_WINDOWS_MISSING REVTICK_${triple}_${tool})
      endif()
    endforeach()
  endforeach()
  if(REVTICK_WINDOWS_MISSING)
    list(JOIN REVTICK_WINDOWS_MISSING ", " missing)
    string(CONCAT why "mingw-w64 not found (${missing}): "
                      "apt-get install g++-mingw-w64-i686 g++-mingw-w64-x86-64")
    if(REVTICK_WINDOWS_REQUIRED)
      message(FATAL_ERROR "Windows build required, but ${why}")
    endif()
    message(STATUS "Windows build skipped: ${why}")
  else()
    set(REVTICK_WINDOWS_ENABLED ON)
  endif()
endif()

if(REVTICK_WINDOWS_ENABLED)
  include(ExternalProject)
  foreach(triple IN LISTS revtick_windows_triples)
    string(REGEX REPLACE "-.*" "" arch ${triple})
    set(dir ${CMAKE_BINARY_DIR}/${triple})
    set(REVTICK_WINDOWS_${arch}_DIR ${dir})
    ExternalProject_Add(revtick_windows_${arch}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchains/mingw-w64-${arch}.cmake
        -DCMAKE_BUILD_TYPE=MinSizeRel
        -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
        -DREVTICK_BUILD_TESTS=${REVTICK_BUILD_TESTS}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${dir}/revtick.exe)
  endforeach()

  # A ZIP of each program: <build>/packages/revtick-<version>-win32.zip and -win64.zip.
  add_custom_target(revtick_windows_packages
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${REVTICK_WINDOWS_i686_DIR}/CPackConfig.cmake
      -B ${CMAKE_BINARY_DIR}/packages
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${REVTICK_WINDOWS_x86_64_DIR}/CPackConfig.cmake
      -B ${CMAKE_BINARY_DIR}/packages
    DEPENDS revtick_windows_i686 revtick_windows_x86_64
    COMMENT "Packing the Windows programs"
    VERBATIM)
endif()
