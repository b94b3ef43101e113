# Windows on 32-bit x86 with clang-cl and lld-link.
set(REVTICK_MSVC_TRIPLE i686-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl.cmake)
