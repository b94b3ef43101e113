# The POSIX platform's own routines, on real files and the real clock.
file(GLOB platform_sources CONFIGURE_DEPENDS platform/*.cpp)
add_executable(revtick_platform_tests ${platform_sources})
# GoogleTest's main comes first, so that the program's own in the platform
# library is never pulled in.
target_link_libraries(revtick_platform_tests PRIVATE GTest::gtest_main GTest::gtest revtick_platform)
target_link_options(revtick_platform_tests PRIVATE ${test_link_options})
gtest_discover_tests(revtick_platform_tests)

# Where the C library must be asked for 64-bit time, a build that forgets
# to ask does not compile.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME revtick_narrow_time_refused
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/narrow_time_test.sh
      ${CMAKE_CXX_COMPILER} ${PROJECT_SOURCE_DIR})
endif()
