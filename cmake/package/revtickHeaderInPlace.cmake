# The older form of revtick_build_number: HEADER without COUNTER, raised in
# place in the source tree.
#
# The header's time says nothing reliable about what must be compiled again:
# revtick stamps it two seconds back, so make skips a source compiled within
# the last two seconds; KEEP_TIME does not move it at all; and Ninja looks
# at it only once, before the step. So the step also touches a witness file
# in the build folder, and every source of the target depends on it: all of
# them are compiled again after each update, with every generator and
# option, and the program always carries the header's number. The COUNTER
# form compiles again only the files that include the header; configure
# says how to move to it.
function(_revtick_header_in_place target header settings words)
  cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
  cmake_path(GET header FILENAME name)
  _revtick_step_name(${header} step)
  if(NOT TARGET ${step})
    if(NOT EXISTS ${header})
      message(WARNING "revtick_build_number: ${header} does not exist yet; the build fails until "
                      "it holds one line such as '#define BUILD_NUMBER 0' ending in CR LF")
    endif()
    message(DEPRECATION "revtick_build_number: ${header} is raised in place, so every source of "
                        "the targets that name it is compiled again after each update. To "
                        "compile again only the files that include it, rename it to a counter "
                        "such as build_number, call revtick_build_number(TARGET ${target} "
                        "COUNTER build_number HEADER ${name}), and delete ${name} from the "
                        "source tree: the build writes it.")
  endif()
  set(witness ${CMAKE_BINARY_DIR}/CMakeFiles/${step}.witness)
  _revtick_add_step(${header} ${step} "${settings}" "in place;${words}" ${target}
    "COMMAND;${CMAKE_COMMAND};-E;touch;${witness}" ${witness})
  add_dependencies(${target} ${step})
  # After the target's sources are all known: the end of this folder.
  cmake_language(EVAL CODE "
    cmake_language(DEFER CALL _revtick_depend_on_witness [[${target}]] [[${witness}]])")
endfunction()

# Makes the compilation of every source of `target` depend on the witness.
function(_revtick_depend_on_witness target witness)
  get_target_property(listed ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  set(sources "")
  foreach(source IN LISTS listed)
    if(source MATCHES "\\$<")
      continue()  # chosen at generation time: the COUNTER form covers these
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
    list(APPEND sources ${source})
  endforeach()
  if(sources)
    set_property(SOURCE ${sources} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
                 ${witness})
  endif()
endfunction()
