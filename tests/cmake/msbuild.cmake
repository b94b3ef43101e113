# packaging/msbuild's revtick.targets in the real MSBuild engine (dotnet
# msbuild), with this build's step behind it. Skipped, with the reason,
# where the .NET SDK is missing, unless REVTICK_REQUIRE_DOTNET=1 (CI). Not
# in a cross build, whose program runs only under the emulator. About a
# minute alone, several on a loaded machine: 10 s of it is a held counter
# that the build waits for. Once, in the build of the dynamically linked,
# unsanitized program: the static, portable and sanitized programs behave
# the same behind MSBuild.
if(REVTICK_SANITIZE OR REVTICK_FUZZ OR REVTICK_STATIC OR REVTICK_MUSL)
  return()
elseif(CMAKE_CROSSCOMPILING)
  foreach(name revtick_msbuild revtick_recipe_msbuild)
    revtick_skipped_test(${name} "a cross build: MSBuild would start the program directly")
  endforeach()
  return()
endif()
# Where the Windows programs are built, the NuGet package is made first and
# its own layout is the one tried.
set(nupkg "")
if(REVTICK_NUGET_PACKAGE)
  add_test(NAME revtick_nuget_package COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target revtick_nuget)
  set_tests_properties(revtick_nuget_package PROPERTIES FIXTURES_SETUP revtick_nuget)
  set(nupkg ${REVTICK_NUGET_PACKAGE})
endif()
add_test(NAME revtick_msbuild
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/msbuild/msbuild_test.sh $<TARGET_FILE:revtick>
    $<TARGET_FILE:revtick-step> ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/msbuild ${nupkg})
set_tests_properties(revtick_msbuild PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
if(nupkg)
  set_tests_properties(revtick_msbuild PROPERTIES FIXTURES_REQUIRED revtick_nuget)
endif()
# The table of cases every recipe that runs revtick-step meets
# (integration/recipes_test.sh), over revtick.targets with the installed
# step: a held counter, the CI's number good and bad, NEXT at the top, a
# refused counter, building without raising. Skipped, with the reason,
# where the .NET SDK is missing.
add_test(NAME revtick_recipe_msbuild
  COMMAND env CMAKE=${CMAKE_COMMAND} sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/recipes_test.sh
    ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/recipe-msbuild msbuild)
set_tests_properties(revtick_recipe_msbuild PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
