# How everything the project compiles is compiled: the language, the
# sanitizers, the flags of each compiler's dialect, and two interface
# libraries: revtick_flags for all of it, revtick_lean for the tool's own
# code.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(REVTICK_SANITIZE)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizers})
  add_link_options(${sanitizers})
endif()

# A 32-bit C library keeps time_t and off_t at 32 bits unless asked: times
# past 2038 and files past 2 GiB need both 64 bits wide, in the tests too
# (the POSIX layer and the end-to-end helpers refuse to compile otherwise).
if(NOT WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_definitions(_FILE_OFFSET_BITS=64 _TIME_BITS=64)
endif()

# The compiler's command-line dialect decides the flags, not the system:
# GCC's for GCC and clang, cl's for cl and clang-cl (MSVC). CMake 3.25 names
# clang's dialect only, so GCC is named by its id.
set(REVTICK_GNU_STYLE OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "GNU")
  set(REVTICK_GNU_STYLE ON)
endif()
if(MSVC)
  # Exceptions and RTTI are chosen per target below, not by CMake's defaults.
  string(REGEX REPLACE "(^| )/(EHsc|GR)( |$)" " " CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS}")
  # /O1 inlines wherever that makes the program smaller; CMake's /Ob1 on top
  # of it costs the Windows program 0.5 to 1 KB.
  string(REGEX REPLACE "(^| )/Ob1( |$)" " " CMAKE_CXX_FLAGS_MINSIZEREL "${CMAKE_CXX_FLAGS_MINSIZEREL}")
  # The static C runtime where anything links one (the test helpers): no
  # runtime DLL to ship, and no C routine declared dllimport.
  set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreaded)
endif()

# Flags shared by everything the project compiles. Warnings are errors only
# in our own builds (CMAKE_COMPILE_WARNING_AS_ERROR in the presets and CI),
# never for someone who builds with plain CMake and another compiler.
add_library(revtick_flags INTERFACE)
if(REVTICK_GNU_STYLE)
  target_compile_options(revtick_flags INTERFACE -Wall -Wextra)
elseif(MSVC)
  # clang-cl's -Wall is clang's -Weverything: /W4 is cl's -Wall -Wextra.
  target_compile_options(revtick_flags INTERFACE /W4)
endif()
target_include_directories(revtick_flags INTERFACE ${PROJECT_SOURCE_DIR})

# The tool's own code: no exceptions, no RTTI, no heap, so that it needs
# nothing of the C++ runtime library.
add_library(revtick_lean INTERFACE)
target_link_libraries(revtick_lean INTERFACE revtick_flags)
if(REVTICK_GNU_STYLE)
  target_compile_options(revtick_lean INTERFACE -fno-exceptions -fno-rtti)
elseif(MSVC)
  # No /EH: no exceptions. No buffer security checks either (/GS-): their
  # cookie lives in the C runtime, which the program does without.
  # Nor names of default libraries in the objects (/Zl), nor times in them
  # (/Brepro), so that two builds give the same bytes.
  target_compile_options(revtick_lean INTERFACE /GR- /GS- /Zl /Brepro)
endif()
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND REVTICK_GNU_STYLE)
  # Nothing in the tool throws or unwinds, and 32-bit Windows finds its
  # exception handlers without tables: .eh_frame would be dead weight
  # (about 1 KB of a 9 KB program). The 64-bit program keeps its
  # .pdata/.xdata, which the system's own unwinder expects of every
  # function that calls another.
  target_compile_options(revtick_lean INTERFACE -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
