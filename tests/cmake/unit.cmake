# The tool's own code and its build step's, linked with the
# fault-injecting stand-in for the platform instead of the real one. The
# step's entry is left out: it and the tool's both define ToolEntry.
add_library(revtick_double STATIC double/platform_double.cpp)
target_link_libraries(revtick_double PUBLIC revtick_platform_portable)

file(GLOB unit_sources CONFIGURE_DEPENDS unit/*.cpp)
add_executable(revtick_unit_tests ${unit_sources})
target_link_libraries(revtick_unit_tests PRIVATE revtick_core revtick_entry revtick_step_core
  revtick_double GTest::gtest GTest::gtest_main)
target_link_options(revtick_unit_tests PRIVATE ${test_link_options})
gtest_discover_tests(revtick_unit_tests)
