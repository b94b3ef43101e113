# The build-number step itself, run by the build as
#   cmake -DPROGRAM=<revtick> -DCOUNTER=<file> [-DHEADER=<file>] [-DRAISE=OFF]
#         [-DNEXT=ON] [-DKEEP_TIME=ON] [-DVERBOSE=ON] -P revtickRaise.cmake
# in the counter's folder, with COUNTER its file name alone.
#
# It raises the counter and writes HEADER from what this very raise
# reported, never from the counter read back afterwards: another build that
# shares the counter may raise it again in between, and two programs would
# then carry one number. A counter held by such a build is tried again for
# a few seconds; past that, and on any other failure, the step fails with
# revtick's message and the counter's path, and HEADER stays as it was.
#
# With RAISE=OFF (REVTICK_RAISE, for a read-only source tree) the counter is
# only read: HEADER gets its text as it is.
cmake_minimum_required(VERSION 3.25)
set(path "${CMAKE_CURRENT_BINARY_DIR}/${COUNTER}")

# Says what went wrong in one line, as the compilers do, then stops the step.
function(fail message)
  message(NOTICE "revtick: ${path}: ${message}")
  message(FATAL_ERROR "the build number was not raised")
endfunction()

# A held counter: "Cannot open file" with the sharing code of the system the
# program runs on (16, EBUSY, on POSIX; 32, ERROR_SHARING_VIOLATION, on
# Windows).
set(busy "^Cannot open file \"[^\n]*\" \\(0/(16|32) ")
set(wait_steps 100)  # of 0.1 s each

# raise: runs revtick once the counter is free, and leaves its report in `report`.
function(raise)
  set(options -v)
  if(NEXT)
    list(APPEND options -n)
  endif()
  if(KEEP_TIME)
    list(APPEND options -t)
  endif()
  foreach(attempt RANGE ${wait_steps})
    execute_process(COMMAND ${PROGRAM} ${options} ${COUNTER}
      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 3 OR NOT err MATCHES "${busy}")
      break()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.1)
  endforeach()
  string(STRIP "${err}" err)
  if(NOT status EQUAL 0)
    fail("${err} (exit code ${status})")
  endif()
  set(report "${out}" PARENT_SCOPE)
endfunction()

if(RAISE STREQUAL "OFF")
  file(READ ${COUNTER} text)
else()
  raise()
  # Macro "NAME" set to N in "FILE": NAME holds no blank.
  if(NOT report MATCHES "^Macro \"([^ ]*)\" set to ([0-9]+) in ")
    fail("revtick's report '${report}' is not the one it prints")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(number ${CMAKE_MATCH_2})
  if(VERBOSE)
    string(STRIP "${report}" shown)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${shown}")
  endif()
  # The counter's text, as revtick wrote it.
  string(CONCAT text "#define ${name} ${number}\r\n")
  if(NEXT)
    math(EXPR next "(${number} + 1) % 4294967296")
    string(APPEND text "#define ${name}Next ${next}\r\n")
  endif()
endif()
if(NOT DEFINED HEADER)
  return()
endif()

# Written only when the text changed, through a file beside it, so that a
# compile never reads half a header; the new file has the current time.
if(EXISTS "${HEADER}")
  file(READ "${HEADER}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${HEADER}.new" "${text}")
file(RENAME "${HEADER}.new" "${HEADER}")
