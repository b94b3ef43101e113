# GoogleTest: the installed one, or else (and always for a cross build,
# whose tests run on the target) one built here from its sources
# (REVTICK_GTEST_FROM_SOURCE, REVTICK_GTEST_SOURCE_DIR: cmake/Options.cmake).
if(NOT REVTICK_GTEST_FROM_SOURCE)
  find_package(GTest)
endif()
if(NOT TARGET GTest::gtest)
  if(NOT EXISTS ${REVTICK_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest not found: install libgtest-dev (or googletest for its "
      "sources), or set REVTICK_GTEST_SOURCE_DIR")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${REVTICK_GTEST_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/googletest
    EXCLUDE_FROM_ALL)
  # Its warnings are not ours to fix.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
endif()
include(GoogleTest)
