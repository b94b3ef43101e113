# The Windows programs, built in cmake/WindowsBuilds.cmake, which with
# wine.cmake decides which of these can run here: what cannot is listed as a
# skipped test with its reason. The headers of every program are checked
# (ARM64's too), and the end-to-end suite runs each x86 program under Wine
# (wine.* mingw-w64's 64-bit one, wine32.* its 32-bit one, wine.clangcl.* and
# wine32.clangcl.* clang-cl's, in this suite's own prefix inside the build
# folder).
if(REVTICK_WINDOWS_ENABLED)
  include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)
endif()
foreach(name why IN ZIP_LISTS REVTICK_WINDOWS_SKIPPED_TESTS REVTICK_WINDOWS_SKIPPED_REASONS)
  revtick_skipped_test(${name} "${why}")
endforeach()

# The oldest system each machine's program loads on (platform/windows).
set(subsystem_i686 4.0)
set(subsystem_x86_64 5.2)
set(subsystem_aarch64 6.2)
# The size of each program as shipped, as it is now: a program that grows
# fails its check until the budget is raised here, on purpose.
set(size_budget_i686 9728)
set(size_budget_x86_64 10752)
set(size_budget_clang_cl_i686 8192)
set(size_budget_clang_cl_x86_64 9728)
set(size_budget_clang_cl_aarch64 10240)
# revtick_windows_check(NAME EXE MACHINE BUDGET TOOL_ARG...): the headers,
# and the check itself on copies of the program with one field spoilt.
function(revtick_windows_check name exe machine budget)
  set(common -DMACHINE=${machine} -DSUBSYSTEM_VERSION=${subsystem_${machine}}
    -DVERSION=${PROJECT_VERSION})
  add_test(NAME revtick_${name}_headers
    COMMAND ${CMAKE_COMMAND} -DEXE=${exe} ${common} -DMAX_SIZE=${budget} ${ARGN}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/windows/check_headers.cmake)
  add_test(NAME revtick_${name}_header_check_refuses
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/header_check_test.sh ${CMAKE_COMMAND}
      ${CMAKE_CURRENT_SOURCE_DIR}/windows/check_headers.cmake ${exe} ${machine}
      ${subsystem_${machine}} ${PROJECT_VERSION} ${CMAKE_CURRENT_BINARY_DIR}/header_check_${name}
      ${ARGN})
endfunction()

if(REVTICK_CLANG_CL_ENABLED)
  foreach(machine IN LISTS revtick_clang_cl_machines)
    set(dir ${REVTICK_CLANG_CL_${machine}_DIR})
    revtick_windows_check(clang_cl_${machine} ${dir}/revtick.exe ${machine}
      ${size_budget_clang_cl_${machine}} -DREADOBJ=${REVTICK_LLVM_READOBJ})
    add_test(NAME revtick_clang_cl_${machine}_zip
      COMMAND env CMAKE=${CMAKE_COMMAND} CPACK=${CMAKE_CPACK_COMMAND}
        sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/zip_test.sh ${dir}
        ${CMAKE_CURRENT_BINARY_DIR}/zip-clang-cl-${machine} ${PROJECT_SOURCE_DIR})
  endforeach()
endif()

if(NOT REVTICK_WINDOWS_ENABLED)
  return()
endif()
foreach(arch i686 x86_64)
  set(triple ${arch}-w64-mingw32)
  revtick_windows_check(windows_${arch} ${REVTICK_WINDOWS_${arch}_DIR}/revtick.exe ${arch}
    ${size_budget_${arch}} -DOBJDUMP=${REVTICK_${triple}_OBJDUMP} -DNM=${REVTICK_${triple}_NM}
    -DSTRIP=${REVTICK_${triple}_STRIP})
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
  set(half32 ${REVTICK_WINE32_ROOT})
endif()
add_test(NAME revtick_wine_start COMMAND sh ${session} start ${half32})
add_test(NAME revtick_wine_stop COMMAND sh ${session} stop)
# Setting a prefix up takes Wine 20 to 60 s, and twice that or more on a
# loaded machine: the limits of these tests leave room for ten times that.
set_tests_properties(revtick_wine_start PROPERTIES FIXTURES_SETUP revtick_wine TIMEOUT 600)
set_tests_properties(revtick_wine_stop PROPERTIES FIXTURES_CLEANUP revtick_wine)

# The 64-bit programs: mingw-w64's (wine.*, revtick_windows_*) and
# clang-cl's (wine.clangcl.*, revtick_clang_cl_*). The test helper is
# mingw-w64's for both.
set(holder ${REVTICK_WINDOWS_x86_64_DIR}/tests/windows/hold_file.exe)
set(programs64 "wine.=windows=${REVTICK_WINDOWS_x86_64_DIR}")
set(programs32 "wine32.=windows_i686=${REVTICK_WINDOWS_i686_DIR}")
if(REVTICK_CLANG_CL_ENABLED)
  list(APPEND programs64 "wine.clangcl.=clang_cl=${REVTICK_CLANG_CL_x86_64_DIR}")
  list(APPEND programs32 "wine32.clangcl.=clang_cl_i686=${REVTICK_CLANG_CL_i686_DIR}")
endif()
foreach(program IN LISTS programs64)
  string(REPLACE "=" ";" program "${program}")
  list(GET program 0 prefix_of_tests)
  list(GET program 1 name)
  list(GET program 2 dir)
  gtest_discover_tests(revtick_e2e_tests
    TEST_PREFIX "${prefix_of_tests}"
    EXTRA_ARGS --platform=wine --holder=${holder}
      env WINEPREFIX=${prefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
      ${REVTICK_WINE64} ${dir}/revtick.exe
    PROPERTIES FIXTURES_REQUIRED revtick_wine)
  # The recipes' table over the batch file, with this build's revtick-step.
  add_test(NAME revtick_${name}_recipe_batch
    COMMAND env CMAKE=${CMAKE_COMMAND} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/recipes_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/recipe-batch-${name}
      batch ${REVTICK_WINE64} ${prefix} ${dir} ${holder})
  add_test(NAME revtick_${name}_first_header
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/wine_first_header_test.sh ${REVTICK_WINE64}
      ${prefix} ${dir}/revtick.exe ${PROJECT_SOURCE_DIR}
      ${CMAKE_CURRENT_BINARY_DIR}/first_header-${name})
  set_tests_properties(revtick_${name}_recipe_batch revtick_${name}_first_header PROPERTIES
    FIXTURES_REQUIRED revtick_wine)
endforeach()

if(NOT REVTICK_WINE32_SUITE)
  return()
endif()
foreach(program IN LISTS programs32)
  string(REPLACE "=" ";" program "${program}")
  list(GET program 0 prefix_of_tests)
  list(GET program 2 dir)
  gtest_discover_tests(revtick_e2e_tests
    TEST_PREFIX "${prefix_of_tests}"
    EXTRA_ARGS --platform=wine --holder=${REVTICK_WINDOWS_i686_DIR}/tests/windows/hold_file.exe
      env WINEPREFIX=${prefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
      ${REVTICK_WINE32} ${dir}/revtick.exe
    # Each start costs about a second under emulation: the contention
    # test makes half the runs it makes under Wine alone.
    PROPERTIES FIXTURES_REQUIRED revtick_wine ENVIRONMENT REVTICK_CONTENTION_RUNS=20 TIMEOUT 600)
endforeach()
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
