# revtick_build_number([TARGET <target>...] [LIBRARY <name>] COUNTER <file>
#                      HEADER <name> [NEXT] [KEEP_TIME] [VERBOSE])
#
# Gives each TARGET a build number that rises with every build. COUNTER is
# your file (one '#define NAME <number>' line ending in CR LF), relative to
# the folder of the CMakeLists.txt that makes the call; name it so that no
# source includes it, such as build_number without .h. revtick raises it
# once per build, before any of TARGET's sources is compiled. The build then
# writes HEADER, the name the sources include, into a folder of the build
# tree with the number this raise gave and a fresh time, and puts that
# folder first on TARGET's include path. So exactly the files that include
# HEADER are compiled again, with every generator, and each build's program
# carries the number of that build's own raise, also when builds that share
# the counter run at once (one waits for the other a few seconds). NEXT,
# KEEP_TIME and VERBOSE pass -n, -t and -v. A failure stops the build with
# revtick's message and the counter's path, and leaves the generated header
# as it was. LIBRARY also makes an interface library of that name: a target
# that links it gets the header and waits for the step.
#
# With REVTICK_RAISE=OFF (a read-only source tree, a packager's build) the
# counter is never written: the build writes HEADER from it as it is.
#
# revtick_build_number(TARGET <target>... HEADER <file>... [NEXT] [KEEP_TIME] [VERBOSE])
#
# The older form: revtick raises each HEADER in place, in the source tree.
# Its time is no guide to what must be compiled again (revtick stamps it two
# seconds back, or keeps its time), so every source of TARGET is compiled
# again after each update; configure says how to move to the COUNTER form.
#
# One file gets one update step however many targets name it, in one folder
# or several: every such target depends on that step, so the number rises
# exactly once per build and parallel jobs never race for the file. Every
# call for the same file must therefore agree on its form, HEADER and
# options. A multi-configuration generator raises it once for each
# configuration a build builds, and each configuration gets a header of its
# own, so that configurations built at once never share a number.
#
# The step is a custom target, so it runs on every build, with every
# generator, before compilation. It runs in the file's own folder and names
# it by its file name alone, so a deep workspace never makes the name too
# long for the tool. The user's file is never declared as something the
# build makes: clean, a clean-first or a rebuild leave it in place.
#
# In a cross build the step needs a revtick that runs on the build machine:
# the installed package's program, or one that revtick's own source tree
# builds for the build machine when it is part of the project.
option(REVTICK_RAISE "Raise the build numbers; OFF writes the headers from the counters as they are" ON)
include(${CMAKE_CURRENT_LIST_DIR}/revtickGeneratedHeader.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/revtickHeaderInPlace.cmake)

function(revtick_build_number)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NEXT;KEEP_TIME;VERBOSE" "COUNTER;LIBRARY" "TARGET;HEADER;SOURCES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "revtick_build_number: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TARGET AND NOT arg_LIBRARY)
    message(FATAL_ERROR "revtick_build_number: name the targets that include the header "
                        "(TARGET), or a LIBRARY for them to link")
  endif()
  foreach(target IN LISTS arg_TARGET)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "revtick_build_number: TARGET ${target} is not an existing target")
    endif()
  endforeach()
  if(arg_LIBRARY AND NOT DEFINED arg_COUNTER)
    message(FATAL_ERROR "revtick_build_number: LIBRARY needs a COUNTER")
  endif()
  if(NOT arg_HEADER)
    message(FATAL_ERROR "revtick_build_number: HEADER is required")
  endif()
  if(DEFINED arg_SOURCES OR "SOURCES" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "revtick_build_number: SOURCES is gone: a file that includes the header "
                        "and was left out of it kept an old number. Name a COUNTER instead, and "
                        "exactly the files that include HEADER are compiled again.")
  endif()
  if(NOT TARGET revtick::revtick)
    message(FATAL_ERROR "revtick_build_number: there is no revtick::revtick program; "
                        "use find_package(revtick) or bring in revtick's source first")
  endif()
  # The step's settings, -D options of revtickRaise.cmake, and the same in
  # the words of the call.
  set(settings "")
  set(words "")
  foreach(word IN ITEMS VERBOSE KEEP_TIME NEXT)
    if(arg_${word})
      list(APPEND settings -D${word}=ON)
      list(APPEND words ${word})
    endif()
  endforeach()
  if(NOT REVTICK_RAISE)
    list(APPEND settings -DRAISE=OFF)
  endif()

  if(DEFINED arg_COUNTER)
    _revtick_generated_header("${arg_TARGET}" "${arg_LIBRARY}" "${arg_COUNTER}" "${arg_HEADER}"
      "${settings}" "${words}")
  else()
    foreach(target IN LISTS arg_TARGET)
      foreach(header IN LISTS arg_HEADER)
        _revtick_header_in_place(${target} ${header} "${settings}" "${words}")
      endforeach()
    endforeach()
  endif()
endfunction()

# The name of the update step of `file` (an absolute path), in `step_var`.
function(_revtick_step_name file step_var)
  string(MD5 key "${file}")
  string(SUBSTRING ${key} 0 8 short)
  cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE shown)
  string(MAKE_C_IDENTIFIER "${shown}" identifier)
  set(${step_var} revtick_${identifier}_${short} PARENT_SCOPE)
endfunction()

# Makes `step`, the update step of `file`, for `target`: revtickRaise.cmake
# with `settings`, then `commands`, which with it make `byproducts`. `call`
# describes the call (form, HEADER and options) in the words the user wrote;
# when the step exists already, the call that made it must have been the
# same.
function(_revtick_add_step file step settings call target commands byproducts)
  if(TARGET ${step})
    get_property(known GLOBAL PROPERTY ${step}_call)
    get_property(first GLOBAL PROPERTY ${step}_first_target)
    if(NOT known STREQUAL call)
      string(REPLACE ";" " " known "${known}")
      string(REPLACE ";" " " call "${call}")
      message(FATAL_ERROR "revtick_build_number: ${file} is raised by one step for every target "
                          "that names it, so every call must agree: '${known}' for ${first}, "
                          "'${call}' for ${target}")
    endif()
    return()
  endif()

  cmake_path(GET file PARENT_PATH folder)
  cmake_path(GET file FILENAME name)
  set(raise ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/revtickRaise.cmake)
  add_custom_target(${step}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:revtick::revtick> -DCOUNTER=${name}
      ${settings} -P ${raise}
    ${commands}
    BYPRODUCTS ${byproducts}
    WORKING_DIRECTORY ${folder}
    COMMENT "Raising the build number in ${file}"
    VERBATIM)
  get_property(program_depends GLOBAL PROPERTY revtick_program_depends)
  if(program_depends)
    add_dependencies(${step} ${program_depends})
  endif()
  set_property(GLOBAL PROPERTY ${step}_call "${call}")
  set_property(GLOBAL PROPERTY ${step}_first_target ${target})
endfunction()
