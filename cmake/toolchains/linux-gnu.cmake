# Cross-compiles for Linux with Debian's cross compilers
# (g++-<triple>), and runs what it builds under qemu-user with the target's
# libraries from /usr/<triple>. Included by the per-architecture toolchain
# files, which name the triple and the emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${REVTICK_LINUX_TRIPLE}-gcc)  # GoogleTest's project asks for C too
set(CMAKE_CXX_COMPILER ${REVTICK_LINUX_TRIPLE}-g++)
# The emulator by its full path: the target's programs must never reach a
# kernel that might run them itself (an i686 one, say), nor one that cannot.
find_program(REVTICK_QEMU_PROGRAM ${REVTICK_QEMU} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${REVTICK_QEMU_PROGRAM} -L /usr/${REVTICK_LINUX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH /usr/${REVTICK_LINUX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
