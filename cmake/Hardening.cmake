# The hardening Debian gives its own packages, for the POSIX program: full
# RELRO with immediate binding, the strong stack protector, fortified C
# library calls where the build optimises, and control-flow protection
# (CET) where the target has it. PIE comes from the toolchain already.
# REVTICK_HARDEN=OFF leaves it out for a comparison (bench/run.sh measures
# what it costs per update), and so do the sanitizer and fuzz builds, which
# are for finding faults, not for shipping.
#
#   revtick_harden(PROGRAM <target> OBJECTS <library>...)
# adds the compile flags to the libraries whose objects make up the program
# (the unit tests link the same objects) and the link flags to the program.
# REVTICK_HARDEN_FORTIFY says afterwards whether an optimised program is
# built with _FORTIFY_SOURCE.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)

function(revtick_harden)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "PROGRAM" "OBJECTS")
  set(REVTICK_HARDEN_FORTIFY OFF PARENT_SCOPE)
  if(NOT REVTICK_HARDEN OR WIN32 OR REVTICK_SANITIZE OR REVTICK_FUZZ)
    return()
  endif()

  set(compile_flags "")
  check_cxx_compiler_flag(-fstack-protector-strong REVTICK_HAS_STACK_PROTECTOR_STRONG)
  if(REVTICK_HAS_STACK_PROTECTOR_STRONG)
    list(APPEND compile_flags -fstack-protector-strong)
  endif()
  # An error, not a warning, on targets without CET (aarch64, s390x, ARM),
  # so the check tells them apart.
  check_cxx_compiler_flag(-fcf-protection REVTICK_HAS_CF_PROTECTION)
  if(REVTICK_HAS_CF_PROTECTION)
    list(APPEND compile_flags -fcf-protection)
  endif()

  # _FORTIFY_SOURCE where the C library has fortified calls (glibc; musl has
  # none, and the host's glibc cannot tell for it) and the build optimises
  # (glibc warns otherwise). Left alone when the compiler defines it itself
  # or the flags handed to CMake mention it: a second value is a warning.
  set(CMAKE_REQUIRED_QUIET ON)
  if(NOT REVTICK_MUSL)
    set(CMAKE_REQUIRED_FLAGS "-O2 -D_FORTIFY_SOURCE=2")
    check_cxx_source_compiles([[
      #include <fcntl.h>
      #if !defined(__USE_FORTIFY_LEVEL) || __USE_FORTIFY_LEVEL < 1
      #error the C library has no fortified calls
      #endif
      int main() { return 0; }]] REVTICK_LIBC_FORTIFIES)
  endif()
  set(CMAKE_REQUIRED_FLAGS -O2)
  check_cxx_source_compiles([[
    #ifdef _FORTIFY_SOURCE
    #error the compiler defines _FORTIFY_SOURCE itself
    #endif
    int main() { return 0; }]] REVTICK_FORTIFY_IS_OURS)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" type)
  if(REVTICK_LIBC_FORTIFIES AND NOT REVTICK_MUSL)
    if(NOT REVTICK_FORTIFY_IS_OURS)
      set(REVTICK_HARDEN_FORTIFY ON PARENT_SCOPE)  # the compiler's own definition
    elseif(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${type}}" MATCHES "_FORTIFY_SOURCE")
      set(REVTICK_HARDEN_FORTIFY ON PARENT_SCOPE)
      list(APPEND compile_flags $<$<CONFIG:Release,MinSizeRel,RelWithDebInfo>:-D_FORTIFY_SOURCE=2>)
    endif()
  endif()

  foreach(library IN LISTS arg_OBJECTS)
    target_compile_options(${library} PRIVATE ${compile_flags})
  endforeach()
  check_linker_flag(CXX "LINKER:-z,relro,-z,now" REVTICK_HAS_RELRO_NOW)
  if(REVTICK_HAS_RELRO_NOW)
    target_link_options(${arg_PROGRAM} PRIVATE "LINKER:-z,relro,-z,now")
  endif()
endfunction()
