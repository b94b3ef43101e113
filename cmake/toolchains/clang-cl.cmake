# Cross-compiles for Windows with clang-cl and lld-link, the compiler and
# linker of Visual Studio's ClangCL toolset, and the LLVM tools beside them
# (Debian's clang-14, lld-14 and llvm-14). No Windows SDK: the program
# declares what it calls itself (platform/win32.h), and its import libraries
# are made by llvm-dlltool (platform/windows/msvc.cmake). Included by the
# per-machine toolchain files, which name the target triple.
set(CMAKE_SYSTEM_NAME Windows)
# Nothing can be linked without import libraries, which the project makes
# itself: CMake's checks of the compiler only compile.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The tools, by their Debian names first.
foreach(tool CXX_COMPILER=clang-cl LINKER=lld-link AR=llvm-lib RC_COMPILER=llvm-rc MT=llvm-mt
             DLLTOOL=llvm-dlltool)
  string(REPLACE "=" ";" tool ${tool})
  list(GET tool 0 variable)
  list(GET tool 1 name)
  find_program(CMAKE_${variable} NAMES ${name}-14 ${name} REQUIRED)
endforeach()
set(CMAKE_CXX_COMPILER_TARGET ${REVTICK_MSVC_TRIPLE})

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
