# The Windows programs, built in cmake/WindowsBuilds.cmake, which also
# decides which of these can run here: what cannot is listed as a skipped
# test with its reason. Their headers are checked for both machines, and
# the end-to-end suite runs each program under Wine (wine.* the 64-bit one,
# wine32.* the 32-bit one, in this suite's own prefix inside the build
# folder).
foreach(name why IN ZIP_LISTS REVTICK_WINDOWS_SKIPPED_TESTS REVTICK_WINDOWS_SKIPPED_REASONS)
  revtick_skipped_test(${name} "${why}")
endforeach()
if(NOT REVTICK_WINDOWS_ENABLED)
  return()
endif()

# The stripped size of each program as it is now: a program that grows
# fails its check until the budget is raised here, on purpose.
set(size_budget_i686 7680)
set(size_budget_x86_64 8704)
foreach(arch i686 x86_64)
  set(triple ${arch}-w64-mingw32)
  set(check_tools -DOBJDUMP=${REVTICK_${triple}_OBJDUMP} -DNM=${REVTICK_${triple}_NM}
    -DSTRIP=${REVTICK_${triple}_STRIP} -DMACHINE=${arch})
  add_test(NAME revtick_windows_${arch}_headers
    COMMAND ${CMAKE_COMMAND} -DEXE=${REVTICK_WINDOWS_${arch}_DIR}/revtick.exe ${check_tools}
      -DMAX_SIZE=${size_budget_${arch}} -P ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsProgram.cmake)
  # The check itself, on copies of the program with one header field spoilt.
  add_test(NAME revtick_windows_${arch}_header_check_refuses
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/header_check_test.sh ${CMAKE_COMMAND}
      ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsProgram.cmake
      ${REVTICK_WINDOWS_${arch}_DIR}/revtick.exe ${REVTICK_${triple}_OBJDUMP}
      ${REVTICK_${triple}_NM} ${REVTICK_${triple}_STRIP} ${arch}
      ${CMAKE_CURRENT_BINARY_DIR}/header_check_${arch})
  add_test(NAME revtick_windows_${arch}_zip
    COMMAND env CMAKE=${CMAKE_COMMAND} CPACK=${CMAKE_CPACK_COMMAND}
      sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/zip_test.sh ${REVTICK_WINDOWS_${arch}_DIR}
      ${CMAKE_CURRENT_BINARY_DIR}/zip-${arch} ${PROJECT_SOURCE_DIR})
endforeach()
# Consumers that cross-compile for Windows, and the Windows package on Linux.
add_test(NAME revtick_cross_consumer
  COMMAND env CMAKE=${CMAKE_COMMAND} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/cross_consumer_test.sh
    ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/cross-consumer
    ${REVTICK_WINDOWS_x86_64_DIR})

if(NOT REVTICK_WINE_SUITE)
  return()
endif()
# One Wine session for the whole suite: started first, stopped last.
set(prefix ${CMAKE_BINARY_DIR}/wine-prefix)
set(session ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_session.sh
  ${REVTICK_WINE64} ${REVTICK_WINESERVER} ${prefix})
set(half32 "")
if(REVTICK_WINE32_SUITE)
  set(half32 ${REVTICK_QEMU_I386} ${REVTICK_WINE32} ${REVTICK_WINE32_PROGRAMS})
endif()
add_test(NAME revtick_wine_start COMMAND sh ${session} start ${half32})
add_test(NAME revtick_wine_stop COMMAND sh ${session} stop)
# Setting a prefix up takes Wine 20 to 60 s, and twice that or more on a
# loaded machine: the limits of these tests leave room for ten times that.
set_tests_properties(revtick_wine_start PROPERTIES FIXTURES_SETUP revtick_wine TIMEOUT 600)
set_tests_properties(revtick_wine_stop PROPERTIES FIXTURES_CLEANUP revtick_wine)

set(dir ${REVTICK_WINDOWS_x86_64_DIR})
gtest_discover_tests(revtick_e2e_tests
  TEST_PREFIX "wine."
  EXTRA_ARGS --platform=wine --holder=${dir}/tests/windows/hold_file.exe
    env WINEPREFIX=${prefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    ${REVTICK_WINE64} ${dir}/revtick.exe
  PROPERTIES FIXTURES_REQUIRED revtick_wine)
add_test(NAME revtick_windows_batch_file
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/batch_test.sh ${REVTICK_WINE64} ${prefix}
    ${dir}/revtick.exe ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/batch
    ${dir}/tests/windows/hold_file.exe)
set_tests_properties(revtick_windows_batch_file PROPERTIES FIXTURES_REQUIRED revtick_wine)
add_test(NAME revtick_windows_first_header
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/wine_first_header_test.sh ${REVTICK_WINE64}
    ${prefix} ${dir}/revtick.exe ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/first_header)
set_tests_properties(revtick_windows_first_header PROPERTIES FIXTURES_REQUIRED revtick_wine)

if(NOT REVTICK_WINE32_SUITE)
  return()
endif()
set(dir ${REVTICK_WINDOWS_i686_DIR})
gtest_discover_tests(revtick_e2e_tests
  TEST_PREFIX "wine32."
  EXTRA_ARGS --platform=wine --holder=${dir}/tests/windows/hold_file.exe
    env WINEPREFIX=${prefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    WINELOADERNOEXEC=1 ${REVTICK_QEMU_I386} ${REVTICK_WINE32} ${dir}/revtick.exe
  # Each start costs about a second under emulation: the contention
  # test makes half the runs it makes under Wine alone.
  PROPERTIES FIXTURES_REQUIRED revtick_wine ENVIRONMENT REVTICK_CONTENTION_RUNS=20 TIMEOUT 600)
if(REVTICK_STRACE)
  add_test(NAME revtick_wine32_setup_without_kernel
    COMMAND env STRACE=${REVTICK_STRACE}
      sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/no_32bit_kernel_test.sh
      ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_session.sh
      ${CMAKE_CURRENT_BINARY_DIR}/no_32bit_kernel ${prefix} ${REVTICK_WINE64} ${REVTICK_WINESERVER}
      ${half32})
  set_tests_properties(revtick_wine32_setup_without_kernel PROPERTIES SKIP_RETURN_CODE 77
    FIXTURES_REQUIRED revtick_wine TIMEOUT 900)
endif()
