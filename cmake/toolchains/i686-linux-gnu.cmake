# Linux on 32-bit x86 (i386).
set(REVTICK_LINUX_TRIPLE i686-linux-gnu)
set(REVTICK_QEMU qemu-i386)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
