# Linux on 32-bit ARM with hardware floating point (armhf).
set(REVTICK_LINUX_TRIPLE arm-linux-gnueabihf)
set(REVTICK_QEMU qemu-arm)
set(CMAKE_SYSTEM_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
