# revtick::revtick and revtick::step: the tool, and the build step that
# revtick_build_number runs during a build, so both run on the build
# machine.
#
# In a native build those are the programs built here. A project that
# cross-compiles and brings revtick's source in would build them for its
# target machine, which the build machine may not run; so it gets a second
# build of them made with the build machine's own compiler
# (<build>/build-machine/), unless REVTICK_BUILD_MACHINE_PROGRAM
# (cmake/Options.cmake) names a revtick it already has, with revtick-step
# beside it.
if(NOT CMAKE_CROSSCOMPILING OR PROJECT_IS_TOP_LEVEL)
  add_executable(revtick::revtick ALIAS revtick)
  add_executable(revtick::step ALIAS revtick-step)
  return()
endif()

add_executable(revtick::revtick IMPORTED GLOBAL)
add_executable(revtick::step IMPORTED GLOBAL)
if(REVTICK_BUILD_MACHINE_PROGRAM)
  cmake_path(GET REVTICK_BUILD_MACHINE_PROGRAM PARENT_PATH dir)
  set(suffix "")
  if(REVTICK_BUILD_MACHINE_PROGRAM MATCHES "\\.exe$")
    set(suffix .exe)
  endif()
  set_target_properties(revtick::revtick PROPERTIES IMPORTED_LOCATION ${REVTICK_BUILD_MACHINE_PROGRAM})
  set_target_properties(revtick::step PROPERTIES IMPORTED_LOCATION ${dir}/revtick-step${suffix})
  return()
endif()

# The toolchain of this build must not reach the build machine's: no
# toolchain file, and none of the compiler variables a cross setup exports.
include(ExternalProject)
set(dir ${CMAKE_CURRENT_BINARY_DIR}/build-machine)
ExternalProject_Add(revtick_build_machine
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${dir}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env --unset=CMAKE_TOOLCHAIN_FILE --unset=CXX
    --unset=CXXFLAGS --unset=LDFLAGS --unset=CPPFLAGS
    ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -G ${CMAKE_GENERATOR}
    -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM} -DCMAKE_BUILD_TYPE=Release
    -DREVTICK_BUILD_TESTS=OFF -DREVTICK_INSTALL=OFF -DREVTICK_WINDOWS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target revtick revtick-step
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${dir}/revtick${CMAKE_HOST_EXECUTABLE_SUFFIX}
    ${dir}/revtick-step${CMAKE_HOST_EXECUTABLE_SUFFIX})
set_target_properties(revtick::revtick PROPERTIES
  IMPORTED_LOCATION ${dir}/revtick${CMAKE_HOST_EXECUTABLE_SUFFIX})
set_target_properties(revtick::step PROPERTIES
  IMPORTED_LOCATION ${dir}/revtick-step${CMAKE_HOST_EXECUTABLE_SUFFIX})
# An imported program brings no build order of its own: every step waits for it.
set_property(GLOBAL APPEND PROPERTY revtick_program_depends revtick_build_machine)
