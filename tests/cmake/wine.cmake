# What runs the Windows programs' suite here, found once (windows.cmake
# includes this when the mingw-w64 programs are built): Wine, the i386 Wine
# with its qemu-i386, and strace. What is missing is a configuration error when
# the Windows builds are required, otherwise a skipped test and its reason
# (revtick_windows_unavailable, cmake/WindowsBuilds.cmake).
#   REVTICK_WINE_SUITE    the end-to-end suite runs the 64-bit program under Wine
#   REVTICK_WINE32_SUITE  ... and the 32-bit one under the i386 Wine
#   REVTICK_STRACE        strace, for the check of the 32-bit setup
set(REVTICK_WINE_SUITE OFF)
set(REVTICK_WINE32_SUITE OFF)
find_program(REVTICK_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(REVTICK_WINE64 wine64)
find_program(REVTICK_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(REVTICK_WINESERVER wineserver)
# The 32-bit program runs in the same prefix, through Debian's i386 Wine
# unpacked into a folder of its own by scripts/fetch_wine32.sh, whose
# launcher runs the loader under the folder's qemu-i386 (so that the
# kernel need not run 32-bit code). A system's own wine32:i386 is never
# used: every machine runs the suite on the same files.
set(REVTICK_WINE32_ROOT ${PROJECT_SOURCE_DIR}/build/wine32 CACHE PATH
  "The folder that scripts/fetch_wine32.sh fills with the i386 Wine")
set(REVTICK_WINE32 ${REVTICK_WINE32_ROOT}/wine32)
if(NOT REVTICK_WINE64 OR NOT REVTICK_WINESERVER)
  revtick_windows_unavailable("Windows suite" revtick_windows_suite
    "Wine not found: apt-get install wine64")
elseif("$ENV{REVTICK_WITHOUT_WINE32}" STREQUAL "1")
  set(REVTICK_WINE_SUITE ON)
  message(STATUS "Windows i686 suite skipped: left out by REVTICK_WITHOUT_WINE32=1")
  list(APPEND REVTICK_WINDOWS_SKIPPED_TESTS revtick_windows_i686_suite)
  list(APPEND REVTICK_WINDOWS_SKIPPED_REASONS
    "Windows i686 suite skipped: left out by REVTICK_WITHOUT_WINE32=1")
elseif(NOT EXISTS ${REVTICK_WINE32})
  set(REVTICK_WINE_SUITE ON)
  revtick_windows_unavailable("Windows i686 suite" revtick_windows_i686_suite
    "the 32-bit Wine not found in ${REVTICK_WINE32_ROOT} (bash scripts/fetch_wine32.sh \
${REVTICK_WINE32_ROOT}, or name another folder with -DREVTICK_WINE32_ROOT=)")
else()
  set(REVTICK_WINE_SUITE ON)
  set(REVTICK_WINE32_SUITE ON)
  # The check that sets the 32-bit half up as on a kernel that refuses
  # 32-bit programs: strace refuses their execs.
  find_program(REVTICK_STRACE strace)
  if(NOT REVTICK_STRACE)
    revtick_windows_unavailable("Windows i686 setup check" revtick_wine32_setup_without_kernel
      "strace not found: apt-get install strace")
  endif()
endif()
