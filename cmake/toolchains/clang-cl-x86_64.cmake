# Windows on x86_64 with clang-cl and lld-link.
set(REVTICK_MSVC_TRIPLE x86_64-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl.cmake)
