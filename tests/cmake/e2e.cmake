# End-to-end: the real program run as a process. The command prefix that
# starts the program under test follows the test binary's own arguments.
# The Windows suite (windows.cmake) runs the same tests against the
# Windows programs.
file(GLOB e2e_sources CONFIGURE_DEPENDS e2e/*.cpp)
add_executable(revtick_e2e_tests ${e2e_sources})
target_link_libraries(revtick_e2e_tests PRIVATE revtick_flags GTest::gtest)
target_link_options(revtick_e2e_tests PRIVATE ${test_link_options})
gtest_discover_tests(revtick_e2e_tests EXTRA_ARGS ${program_command})
