# Linux on s390x: 64-bit and big-endian.
set(REVTICK_LINUX_TRIPLE s390x-linux-gnu)
set(REVTICK_QEMU qemu-s390x)
set(CMAKE_SYSTEM_PROCESSOR s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
