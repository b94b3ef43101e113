# REVTICK_MUSL: static programs for any Linux. The tool's own code is
# compiled against musl's headers (and the compiler's own, but no C++
# library's) and each program is linked statically with musl's C library and
# libgcc alone, by the host GCC through the specs file of Debian's
# musl-tools. Everything else (GoogleTest, the test double, the test
# programs) stays a host program on glibc and libstdc++, which musl cannot
# offer here: the unit tests link the tool's code as compiled for musl, and
# the end-to-end tests start the musl program.
#
# Mixing the two is sound because the tool's code meets the C library only
# through the platform layer: below it are calls of plain C routines
# (memcpy, strchr, strncmp) and the errno numbers and time records, which
# on Linux come from the kernel and are the same in both libraries.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "REVTICK_MUSL needs GCC (musl-gcc's specs), not ${CMAKE_CXX_COMPILER_ID}")
endif()
find_file(REVTICK_MUSL_SPECS musl-gcc.specs
  PATHS /usr/lib/${CMAKE_SYSTEM_PROCESSOR}-linux-musl /usr/lib/musl/lib /usr/local/musl/lib
  NO_DEFAULT_PATH)
if(NOT REVTICK_MUSL_SPECS)
  message(FATAL_ERROR "REVTICK_MUSL needs musl-gcc's specs file (Debian: apt-get install musl-tools)")
endif()

foreach(target IN ITEMS revtick_core revtick_entry revtick_step_core revtick_step_entry
    revtick_platform_portable revtick_platform revtick revtick-step)
  target_compile_options(${target} PRIVATE -specs=${REVTICK_MUSL_SPECS})
endforeach()
foreach(program IN ITEMS revtick revtick-step)
  # No default libraries: a C++ library asked for by mistake fails the link
  # rather than bringing in glibc's libstdc++.
  target_link_options(${program} PRIVATE -specs=${REVTICK_MUSL_SPECS} -static -nodefaultlibs)
  # The C library and libgcc last, after every archive of the tool's.
  target_link_libraries(${program} PRIVATE revtick_platform_portable c gcc)
endforeach()
