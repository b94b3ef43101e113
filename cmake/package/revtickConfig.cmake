# The installed revtick: the imported program revtick::revtick and the
# function revtick_build_number.
include(${CMAKE_CURRENT_LIST_DIR}/revtickTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/revtickBuildNumber.cmake)
