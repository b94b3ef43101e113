# The program as shipped, read back from the binary, installed and packed.
# Not in a sanitized build, whose program needs the sanitizers' runtimes.
if(REVTICK_SANITIZE OR REVTICK_FUZZ)
  return()
endif()

# The hardening the program is built with (cmake/Hardening.cmake). GNU
# binutils for the target: llvm-objdump 14 does not name the PLT entries
# that calls go to.
find_program(REVTICK_GNU_OBJDUMP NAMES ${CMAKE_LIBRARY_ARCHITECTURE}-objdump objdump)
find_program(REVTICK_GNU_READELF NAMES ${CMAKE_LIBRARY_ARCHITECTURE}-readelf readelf)
# Both programs: revtick_hardening and revtick_step_hardening.
set(programs revtick revtick-step)
set(hardening_tests revtick_hardening revtick_step_hardening)
foreach(program test IN ZIP_LISTS programs hardening_tests)
  if(REVTICK_HARDEN)
    add_test(NAME ${test}
      COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/hardening_test.sh $<TARGET_FILE:${program}>
        $<IF:$<AND:$<BOOL:${REVTICK_HARDEN_FORTIFY}>,$<CONFIG:Release,MinSizeRel,RelWithDebInfo>>,1,0>
        ${CMAKE_CXX_COMPILER} ${REVTICK_GNU_READELF} ${REVTICK_GNU_OBJDUMP})
  else()
    revtick_skipped_test(${test} "hardening off: REVTICK_HARDEN=OFF")
  endif()
endforeach()

if(CMAKE_CROSSCOMPILING)
  # ldd would run the target's loader; the libraries the program names
  # itself must be the C library's (libc and, on some targets, the loader).
  set(libc_only "libc\\.so|ld-linux|ld64\\.so")
  add_test(NAME revtick_needs_only_libc
    COMMAND sh -c "for program in \"$2\" \"$3\"; do \"$1\" -d \"$program\" | grep NEEDED &&
        ! \"$1\" -d \"$program\" | grep NEEDED | grep -vE \"$4\" || exit 1; done"
      sh ${CMAKE_READELF} $<TARGET_FILE:revtick> $<TARGET_FILE:revtick-step> ${libc_only})
  # These run the installed program on the build machine, which cannot.
  set(why "a cross build: the installed program runs only under the emulator")
  foreach(name build_steps counter_builds concurrent_builds debian_package recipe_cmake_ninja
      recipe_cmake_make recipe_make recipe_meson recipe_bazel compiler_cache)
    revtick_skipped_test(revtick_${name} "${why}")
  endforeach()
  # The package is still made for, and marked with, the target's architecture.
  add_test(NAME revtick_debian_architecture
    COMMAND env CPACK=${CMAKE_CPACK_COMMAND} READELF=${CMAKE_READELF}
      sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/deb_architecture_test.sh
      ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/deb-architecture ${REVTICK_DEBIAN_ARCHITECTURE})
  return()
endif()

if(REVTICK_MUSL)
  # The portable program is one static file, with no glibc in it.
  add_test(NAME revtick_static_without_glibc
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/static_test.sh $<TARGET_FILE:revtick> musl)
elseif(REVTICK_STATIC)
  # The static program starts without the dynamic loader.
  add_test(NAME revtick_statically_linked
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/static_test.sh $<TARGET_FILE:revtick>)
else()
  # The programs need nothing at run time beyond the C library.
  add_test(NAME revtick_needs_only_libc
    COMMAND sh -c "for program; do ldd \"$program\" &&
        ! ldd \"$program\" | grep -E 'libstdc\\+\\+|libgcc_s|libm\\.' || exit 1; done"
      sh $<TARGET_FILE:revtick> $<TARGET_FILE:revtick-step>)
endif()

# The installed package in the example projects, and the Debian package
# unpacked and run. The pages show the recipes' files as they are.
set(tools env CMAKE=${CMAKE_COMMAND} CPACK=${CMAKE_CPACK_COMMAND})
add_test(NAME revtick_recipe_pages
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/recipe_pages_test.sh
    ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/recipe-pages)
# The step in projects: shared headers, parallel builds, clean, a deep
# folder, and revtick brought in as source.
add_test(NAME revtick_build_steps
  COMMAND ${tools} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/build_steps_test.sh
    ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/steps)
set_tests_properties(revtick_build_steps PROPERTIES TIMEOUT 600)
add_test(NAME revtick_debian_package
  COMMAND ${tools} OBJDUMP=${REVTICK_GNU_OBJDUMP}
    sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/deb_test.sh
    ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/deb ${PROJECT_SOURCE_DIR})
# A consumer of 20 sources built again and again every way the examples
# build: exactly the files that include the header are compiled again,
# and the program always carries the counter's number.
# It takes a minute, and asks nothing of how the program is linked: the
# static builds leave it to the others.
# The same consumer built twice at once, 20 rounds of every way: no build
# fails and no two programs get one number. Two or three minutes; the
# limits leave room for a loaded machine. And a compiler cache between the
# step and the compiler, with CMake and make (skipped without ccache).
foreach(name counter_builds concurrent_builds compiler_cache)
  if(REVTICK_STATIC OR REVTICK_MUSL)
    revtick_skipped_test(revtick_${name}
      "a static build: the builds' behaviour does not depend on how revtick is linked")
    continue()
  endif()
  add_test(NAME revtick_${name}
    COMMAND ${tools} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/${name}_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set_tests_properties(revtick_${name} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
endforeach()
# One table of cases over every recipe that runs revtick-step, one test a
# recipe: a held counter, the CI's number good and bad, NEXT at the top, a
# refused counter, building without raising. Holding a counter past the
# wait takes 10 s a recipe. A recipe whose build system is not here is
# skipped, saying why. (The batch file's and MSBuild's rows run with the
# Windows and MSBuild tests.)
foreach(recipe IN ITEMS "cmake_ninja=cmake;Ninja" "cmake_make=cmake;Unix Makefiles" "make=make"
    "meson=meson" "bazel=bazel")
  string(REPLACE "=" ";" recipe "${recipe}")
  list(POP_FRONT recipe name)
  if(REVTICK_STATIC OR REVTICK_MUSL)
    revtick_skipped_test(revtick_recipe_${name}
      "a static build: the recipes do not depend on how revtick is linked")
    continue()
  endif()
  add_test(NAME revtick_recipe_${name}
    COMMAND ${tools} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/recipes_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/recipe-${name} ${recipe})
  set_tests_properties(revtick_recipe_${name} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
endforeach()
