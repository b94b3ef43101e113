# The installed revtick: the imported programs revtick::revtick and
# revtick::step, and the function revtick_build_number.
include(${CMAKE_CURRENT_LIST_DIR}/revtickTargets.cmake)

# The build-number step runs revtick-step during the build, on this
# machine. A package made for another machine (a Windows ZIP on Linux,
# another architecture's .deb) is refused here, rather than failing the
# build later.
set(revtick_FOUND TRUE)
foreach(_revtick_target IN ITEMS revtick step)
  get_target_property(_revtick_program revtick::${_revtick_target} LOCATION)
  execute_process(COMMAND ${_revtick_program}
    RESULT_VARIABLE _revtick_status OUTPUT_VARIABLE _revtick_usage ERROR_QUIET)
  if(NOT _revtick_status EQUAL 1 OR NOT _revtick_usage MATCHES "^revtick(-step)? ")
    set(revtick_FOUND FALSE)
    string(CONCAT revtick_NOT_FOUND_MESSAGE
      "the program ${_revtick_program} does not run on this machine (${_revtick_status}). "
      "A build-number step runs revtick-step while building, so it needs the package of a "
      "revtick built for the build machine: install one and point revtick_DIR at its "
      "lib/cmake/revtick folder (in a cross build too, where the toolchain's root path hides "
      "host packages from CMAKE_PREFIX_PATH).")
    break()
  endif()
endforeach()
if(revtick_FOUND)
  include(${CMAKE_CURRENT_LIST_DIR}/revtickBuildNumber.cmake)
endif()
unset(_revtick_target)
unset(_revtick_program)
unset(_revtick_status)
unset(_revtick_usage)
