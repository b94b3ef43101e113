# Run by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the one time
# the packages give every file they hold, so that two builds of a commit
# pack the same bytes wherever and whenever they run. CPack takes it from
# SOURCE_DATE_EPOCH in the environment: the value given there is kept;
# otherwise it is the time of the commit checked out in the source folder,
# or, for sources that are no git checkout of their own (a release
# tarball), the date of the changelog's latest entry.
#
# A ZIP holds each file's time as a local date and time too (DOS's), which
# is taken in UTC here, whatever the time zone of whoever packs.
set(ENV{TZ} UTC0)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()

set(epoch "")
if(CPACK_REVTICK_GIT)
  # The source folder must be the top of the checkout: sources copied into
  # some other project's repository are not built from that project's commits.
  execute_process(COMMAND "${CPACK_REVTICK_GIT}" rev-parse --show-prefix
    WORKING_DIRECTORY "${CPACK_REVTICK_SOURCE_DIR}"
    OUTPUT_VARIABLE prefix OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND prefix STREQUAL "")
    execute_process(COMMAND "${CPACK_REVTICK_GIT}" log -1 --format=%ct
      WORKING_DIRECTORY "${CPACK_REVTICK_SOURCE_DIR}"
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()

if(NOT epoch MATCHES "^[0-9]+$")
  # The trailer line of the latest entry: " -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000".
  set(changelog "${CPACK_REVTICK_SOURCE_DIR}/packaging/debian/changelog")
  file(STRINGS "${changelog}" trailer REGEX "^ -- " LIMIT_COUNT 1)
  set(date_pattern "  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) ([-+])([0-9][0-9])([0-9][0-9])$")
  if(NOT trailer MATCHES "${date_pattern}")
    message(FATAL_ERROR "No git checkout, and no date in the latest entry of ${changelog}: "
      "set SOURCE_DATE_EPOCH")
  endif()
  # Days since 1970-01-01 of a date in the proleptic Gregorian calendar,
  # counted in years that start on 1 March, so that February comes last.
  # (math reads 08 as eight, not as octal.)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months "${CMAKE_MATCH_2}" month)
  math(EXPR month "(${month} + 10) % 12")
  math(EXPR year "${CMAKE_MATCH_3} - ${month} / 10")
  math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400
    + (153 * ${month} + 2) / 5 + ${CMAKE_MATCH_1} - 1 - 719468")
  math(EXPR epoch "${days} * 86400 + ${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60
    + ${CMAKE_MATCH_6} - ${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
