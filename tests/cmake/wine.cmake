# What runs the Windows programs' suite here, found once (windows.cmake
# includes this when the mingw-w64 programs are built): Wine, the i386 Wine
# under qemu-i386, and strace. What is missing is a configuration error when
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
# The 32-bit program runs in the same prefix, through Debian's i386 Wine,
# whose loader runs under qemu-i386 (so that the kernel need not run
# 32-bit code). Bookworm's QEMU 7.2 takes about a minute to start each
# program, reserving address space; bookworm-backports' 10.0 takes well
# under a second.
find_program(REVTICK_WINE32 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(REVTICK_QEMU_I386 qemu-i386)
# The 32-bit half of the prefix is set up from the i386 Wine's own Windows
# programs, named by full path: the folder the package installed them in.
if(NOT REVTICK_WINE32_PROGRAMS)
  execute_process(COMMAND dpkg-query -L libwine:i386
    OUTPUT_VARIABLE wine32_files ERROR_QUIET RESULT_VARIABLE dpkg_failed)
  if(NOT dpkg_failed AND wine32_files MATCHES "(^|\n)([^\n]*/i386-windows)/rundll32\.exe(\n|$)")
    set(REVTICK_WINE32_PROGRAMS ${CMAKE_MATCH_2} CACHE PATH
      "The i386 Wine's folder of Windows programs (i386-windows)")
  endif()
endif()
set(wine32_help "as root: bash scripts/install_wine32.sh")
if(NOT REVTICK_WINE64 OR NOT REVTICK_WINESERVER)
  revtick_windows_unavailable("Windows suite" revtick_windows_suite
    "Wine not found: apt-get install wine64")
elseif(NOT REVTICK_WINE32 OR NOT REVTICK_QEMU_I386)
  set(REVTICK_WINE_SUITE ON)
  revtick_windows_unavailable("Windows i686 suite" revtick_windows_i686_suite
    "32-bit Wine or qemu-i386 not found (${wine32_help})")
elseif(NOT EXISTS "${REVTICK_WINE32_PROGRAMS}/rundll32.exe")
  set(REVTICK_WINE_SUITE ON)
  revtick_windows_unavailable("Windows i686 suite" revtick_windows_i686_suite
    "the i386 Wine's i386-windows/rundll32.exe not found in the files of libwine:i386 \
(${wine32_help}, or name its folder with -DREVTICK_WINE32_PROGRAMS=)")
else()
  set(REVTICK_WINE_SUITE ON)
  execute_process(COMMAND ${REVTICK_QEMU_I386} --version OUTPUT_VARIABLE qemu_version)
  string(REGEX MATCH "version ([0-9]+)\\.[0-9.]*" qemu_version "${qemu_version}")
  if(NOT qemu_version)
    revtick_windows_unavailable("Windows i686 suite" revtick_windows_i686_suite
      "${REVTICK_QEMU_I386} --version gives no version (${wine32_help})")
  elseif(CMAKE_MATCH_1 LESS 8)
    revtick_windows_unavailable("Windows i686 suite" revtick_windows_i686_suite
      "qemu-i386 ${qemu_version} is too slow to start Wine (${wine32_help})")
  else()
    set(REVTICK_WINE32_SUITE ON)
    # The check that sets the 32-bit half up as on a kernel that refuses
    # 32-bit programs: strace refuses their execs.
    find_program(REVTICK_STRACE strace)
    if(NOT REVTICK_STRACE)
      revtick_windows_unavailable("Windows i686 setup check" revtick_wine32_setup_without_kernel
        "strace not found: apt-get install strace")
    endif()
  endif()
endif()
