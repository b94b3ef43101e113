# Windows on 64-bit ARM with clang-cl and lld-link.
set(REVTICK_MSVC_TRIPLE aarch64-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl.cmake)
