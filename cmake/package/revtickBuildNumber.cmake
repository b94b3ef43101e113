# revtick_build_number(TARGET <target> HEADER <file>... [NEXT] [KEEP_TIME] [VERBOSE]
#                      [SOURCES <file>...])
#
# Raises the build number in each HEADER once per build, before any of
# TARGET's sources is compiled, and fails the build (with revtick's message)
# when revtick exits with anything but 0. NEXT, KEEP_TIME and VERBOSE pass
# -n, -t and -v.
#
# A header gets one update step however many targets name it, in one folder
# or several: every such target depends on that step, so the number rises
# exactly once per build and parallel jobs never race for the file. Every
# call for the same header must therefore give the same options.
#
# The step is a custom target, so it runs on every build, with every
# generator, before compilation. (A PRE_BUILD custom command would run before
# the build only with Visual Studio, elsewhere just before linking; a custom
# command with the header as its output would run only when something it
# depends on changed, leaving the program one number behind.) It runs in the
# header's own folder and names the header by its file name alone, so a deep
# workspace never makes the name too long for the tool.
#
# The header is the user's own file, so the build system never declares it
# as something it builds: a clean, a clean-first or a rebuild leaves it in
# place. Make and the IDE generators look at the header again when they
# compile TARGET, after the step. Ninja looks at every file only once, before
# the build, so there the step also touches a witness file in the build
# folder, and TARGET's sources (or only the SOURCES given) depend on it: they
# are compiled again after each update.
#
# revtick stamps the header two seconds back, so with make a build started
# within two seconds of the previous one may not recompile; with KEEP_TIME
# the header's time does not move at all and nothing is recompiled because of
# it, with any generator.
#
# In a cross build the step needs a revtick that runs on the build machine:
# the installed package's program, or one that revtick's own source tree
# builds for the build machine when it is part of the project.
function(revtick_build_number)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NEXT;KEEP_TIME;VERBOSE" "TARGET" "HEADER;SOURCES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "revtick_build_number: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TARGET OR NOT TARGET ${arg_TARGET})
    message(FATAL_ERROR "revtick_build_number: TARGET must name an existing target")
  endif()
  if(NOT arg_HEADER)
    message(FATAL_ERROR "revtick_build_number: HEADER is required")
  endif()
  if(NOT TARGET revtick::revtick)
    message(FATAL_ERROR "revtick_build_number: there is no revtick::revtick program; "
                        "use find_package(revtick) or bring in revtick's source first")
  endif()
  set(options "")
  if(arg_VERBOSE)
    list(APPEND options -v)
  endif()
  if(arg_KEEP_TIME)
    list(APPEND options -t)
  endif()
  if(arg_NEXT)
    list(APPEND options -n)
  endif()
  set(sources "")
  foreach(source IN LISTS arg_SOURCES)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    list(APPEND sources ${source})
  endforeach()

  foreach(header IN LISTS arg_HEADER)
    cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    _revtick_header_step(${header} "${options}" ${arg_TARGET} step witness)
    add_dependencies(${arg_TARGET} ${step})
    if(witness)
      # After the sources are all known: the end of this folder.
      cmake_language(EVAL CODE "
        cmake_language(DEFER CALL _revtick_depend_on_witness
          [[${arg_TARGET}]] [[${witness}]] [[${sources}]])")
    endif()
  endforeach()
endfunction()

# The update step of `header`, made on first use: its target in `step_var`,
# and in `witness_var` the file that Ninja builds depend on (empty when none
# is needed).
function(_revtick_header_step header options target step_var witness_var)
  string(MD5 key "${header}")
  get_property(step GLOBAL PROPERTY revtick_step_${key})
  if(step)
    get_property(known GLOBAL PROPERTY revtick_options_${key})
    get_property(first GLOBAL PROPERTY revtick_first_target_${key})
    if(NOT known STREQUAL options)
      string(REPLACE ";" " " known "${known}")
      string(REPLACE ";" " " options "${options}")
      message(FATAL_ERROR "revtick_build_number: ${header} is raised by one step for every "
                          "target that names it, so every call must give the same options: "
                          "'${known}' for ${first}, '${options}' for ${target}")
    endif()
    get_property(witness GLOBAL PROPERTY revtick_witness_${key})
    set(${step_var} ${step} PARENT_SCOPE)
    set(${witness_var} "${witness}" PARENT_SCOPE)
    return()
  endif()

  if(NOT EXISTS ${header})
    message(WARNING "revtick_build_number: ${header} does not exist yet; the build fails until "
                    "it holds one line such as '#define BUILD_NUMBER 0' ending in CR LF")
  endif()
  cmake_path(GET header PARENT_PATH folder)
  cmake_path(GET header FILENAME name)
  cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE shown)
  string(MAKE_C_IDENTIFIER "${shown}" identifier)
  string(SUBSTRING ${key} 0 8 short)
  set(step revtick_${identifier}_${short})

  set(commands COMMAND revtick::revtick ${options} ${name})
  set(witness "")
  if(CMAKE_GENERATOR MATCHES "Ninja" AND NOT "-t" IN_LIST options)
    set(witness ${CMAKE_BINARY_DIR}/CMakeFiles/revtick/${step}.witness)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E touch ${witness} BYPRODUCTS ${witness})
  endif()
  add_custom_target(${step} ${commands}
    WORKING_DIRECTORY ${folder}
    COMMENT "Raising the build number in ${header}"
    VERBATIM)
  get_property(program_depends GLOBAL PROPERTY revtick_program_depends)
  if(program_depends)
    add_dependencies(${step} ${program_depends})
  endif()

  set_property(GLOBAL PROPERTY revtick_step_${key} ${step})
  set_property(GLOBAL PROPERTY revtick_options_${key} "${options}")
  set_property(GLOBAL PROPERTY revtick_first_target_${key} ${target})
  set_property(GLOBAL PROPERTY revtick_witness_${key} "${witness}")
  set(${step_var} ${step} PARENT_SCOPE)
  set(${witness_var} "${witness}" PARENT_SCOPE)
endfunction()

# Makes the compilation of `target`'s sources (or of `sources`) depend on the
# witness, so that Ninja compiles them again after each update.
function(_revtick_depend_on_witness target witness sources)
  if(NOT sources)
    get_target_property(listed ${target} SOURCES)
    get_target_property(folder ${target} SOURCE_DIR)
    foreach(source IN LISTS listed)
      if(source MATCHES "\\$<")
        continue()  # chosen at generation time; name such sources with SOURCES
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
      list(APPEND sources ${source})
    endforeach()
  endif()
  if(sources)
    set_property(SOURCE ${sources} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
                 ${witness})
  endif()
endfunction()
