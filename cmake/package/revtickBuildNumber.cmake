# revtick_build_number(TARGET <target> HEADER <file> [NEXT] [KEEP_TIME] [VERBOSE])
#
# Raises the build number in HEADER once per build of TARGET, before any of
# TARGET's sources is compiled, and fails the build (with revtick's message)
# when revtick exits with anything but 0. NEXT, KEEP_TIME and VERBOSE pass
# -n, -t and -v.
#
# The step is a custom target that TARGET depends on, so it runs on every
# build, with every generator, before compilation. (A PRE_BUILD custom
# command would run before the build only with Visual Studio, elsewhere just
# before linking; a custom command with the header as its output would run
# only when something it depends on changed, leaving the program one number
# behind.) The header is declared as the step's byproduct, so that Ninja
# looks at it again after the step and recompiles what includes it.
#
# revtick stamps the header two seconds back, so a build started within two
# seconds of the previous one may not recompile; with KEEP_TIME the header's
# time does not move at all and nothing is recompiled because of it.
function(revtick_build_number)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NEXT;KEEP_TIME;VERBOSE" "TARGET;HEADER" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "revtick_build_number: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TARGET OR NOT TARGET ${arg_TARGET})
    message(FATAL_ERROR "revtick_build_number: TARGET must name an existing target")
  endif()
  if(NOT arg_HEADER)
    message(FATAL_ERROR "revtick_build_number: HEADER is required")
  endif()
  cmake_path(ABSOLUTE_PATH arg_HEADER BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
             NORMALIZE OUTPUT_VARIABLE header)
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
  add_custom_target(${arg_TARGET}_build_number
    COMMAND revtick::revtick ${options} ${header}
    BYPRODUCTS ${header}
    COMMENT "Raising the build number in ${header}"
    VERBATIM)
  add_dependencies(${arg_TARGET} ${arg_TARGET}_build_number)
endfunction()
