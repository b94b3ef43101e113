# Every option of the build, in one place; included first.
#
# A project that brings revtick in with add_subdirectory or FetchContent gets
# the program and revtick_build_number alone: our tests, fuzz targets,
# Windows builds, install rules and packages only when it asks for them.
option(REVTICK_BUILD_TESTS "Build the unit and end-to-end tests" ${PROJECT_IS_TOP_LEVEL})
option(REVTICK_INSTALL "Install rules and packages (CPack)" ${PROJECT_IS_TOP_LEVEL})

# How the program is built.
option(REVTICK_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(REVTICK_FUZZ "Build the fuzz targets with libFuzzer (clang)" OFF)
option(REVTICK_STATIC "Link the POSIX program statically: no dynamic loader at start-up" OFF)
option(REVTICK_MUSL "Build the POSIX program statically against musl (musl-tools, GCC)" OFF)
option(REVTICK_HARDEN "Build the POSIX program with full RELRO, BIND_NOW, stack protector, _FORTIFY_SOURCE and CET" ON)
set(REVTICK_WINDOWS AUTO CACHE STRING "Cross-build the Windows programs: AUTO, ON or OFF")
set_property(CACHE REVTICK_WINDOWS PROPERTY STRINGS AUTO ON OFF)
set(REVTICK_WINDOWS_TOOLCHAINS "mingw-w64;clang-cl" CACHE STRING
  "The toolchains that cross-build the Windows programs: mingw-w64, clang-cl or both")

# The packages.
set(REVTICK_MAINTAINER "revtick maintainers <maintainers@revtick.org>" CACHE STRING
  "Name and address of whoever answers for the packages (Debian's Maintainer field)")
set(REVTICK_DEBIAN_ARCHITECTURE "" CACHE STRING
  "The Debian package's architecture (empty: the build machine's, or a cross build's target's)")

# The tests.
option(REVTICK_GTEST_FROM_SOURCE "Build GoogleTest from REVTICK_GTEST_SOURCE_DIR"
  ${CMAKE_CROSSCOMPILING})
set(REVTICK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")

# A project that cross-compiles and brings revtick's source in
# (cmake/BuildMachineProgram.cmake).
set(REVTICK_BUILD_MACHINE_PROGRAM "" CACHE FILEPATH
  "A revtick that runs on the build machine, revtick-step beside it, for a cross build's steps")
