# Cross-compiles for Windows with Debian's mingw-w64 compilers. Included by
# the per-architecture toolchain files, which name the target triple.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER ${REVTICK_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${REVTICK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${REVTICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
