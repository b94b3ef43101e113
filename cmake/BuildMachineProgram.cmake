# revtick::revtick: the program that revtick_build_number runs during a
# build, so one that runs on the build machine.
#
# In a native build that is the program built here. A project that
# cross-compiles and brings revtick's source in would build the program for
# its target machine, which the build machine may not run; so it gets a
# second build of revtick made with the build machine's own compiler
# (<build>/build-machine/revtick), unless REVTICK_BUILD_MACHINE_PROGRAM
# (cmake/Options.cmake) names one it already has.
if(NOT CMAKE_CROSSCOMPILING OR PROJECT_IS_TOP_LEVEL)
  add_executable(revtick::revtick ALIAS revtick)
  return()
endif()

add_executable(revtick::revtick IMPORTED GLOBAL)
if(REVTICK_BUILD_MACHINE_PROGRAM)
  set_target_properties(revtick::revtick PROPERTIES IMPORTED_LOCATION ${REVTICK_BUILD_MACHINE_PROGRAM})
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
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target revtick
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${dir}/revtick${CMAKE_HOST_EXECUTABLE_SUFFIX})
set_target_properties(revtick::revtick PROPERTIES
  IMPORTED_LOCATION ${dir}/revtick${CMAKE_HOST_EXECUTABLE_SUFFIX})
# An imported program brings no build order of its own: every step waits for it.
set_property(GLOBAL APPEND PROPERTY revtick_program_depends revtick_build_machine)
