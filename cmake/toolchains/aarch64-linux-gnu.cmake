# Linux on 64-bit ARM (arm64).
set(REVTICK_LINUX_TRIPLE aarch64-linux-gnu)
set(REVTICK_QEMU qemu-aarch64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
