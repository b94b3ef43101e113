# The native NuGet package of the Windows programs, for Visual Studio C++
# projects: <build>/packages/revtick.<version>.nupkg, made by the
# revtick_windows_packages target with the ZIPs. build/native holds
# revtick.props and revtick.targets (packaging/msbuild), which NuGet imports
# into the project that installs the package; tools/<machine> the programs,
# where revtick.props looks for them.
include_guard(GLOBAL)

# Every program the package carries, as <machine>=<its build folder>, and
# the targets that build them: the one place to name another build of the
# programs. Each is installed from its build folder, stripped as in its
# ZIP, and packed as tools/<machine>/revtick.exe.
set(REVTICK_NUGET_PROGRAMS x86=${REVTICK_WINDOWS_i686_DIR} x64=${REVTICK_WINDOWS_x86_64_DIR})
set(REVTICK_NUGET_PROGRAM_TARGETS revtick_windows_i686 revtick_windows_x86_64)

# NuGet's form of the version: three numbers, a fourth only when it is not 0.
set(REVTICK_NUGET_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
if(PROJECT_VERSION_TWEAK)
  string(APPEND REVTICK_NUGET_VERSION .${PROJECT_VERSION_TWEAK})
endif()
if(NOT CPACK_PACKAGE_VENDOR)  # Install.cmake names it
  set(CPACK_PACKAGE_VENDOR "The revtick authors")
endif()
set(nuspec ${CMAKE_BINARY_DIR}/nuget/revtick.nuspec)
configure_file(${PROJECT_SOURCE_DIR}/packaging/msbuild/revtick.nuspec.in ${nuspec} @ONLY)

find_program(REVTICK_PYTHON python3 NO_CMAKE_FIND_ROOT_PATH)
find_package(Git QUIET)
if(NOT REVTICK_PYTHON)
  message(STATUS "python3 not found: no NuGet package")
  return()
endif()
set(msbuild ${PROJECT_SOURCE_DIR}/packaging/msbuild)
set(inputs ${nuspec} ${msbuild}/revtick.props ${msbuild}/revtick.targets)
foreach(pair IN LISTS REVTICK_NUGET_PROGRAMS)
  string(REGEX REPLACE "^[^=]*=" "" folder "${pair}")
  list(APPEND inputs ${folder}/revtick.exe)
endforeach()
set(REVTICK_NUGET_PACKAGE ${CMAKE_BINARY_DIR}/packages/revtick.${REVTICK_NUGET_VERSION}.nupkg)
set(package ${REVTICK_NUGET_PACKAGE})
add_custom_command(OUTPUT ${package}
  COMMAND ${CMAKE_COMMAND} -DPYTHON=${REVTICK_PYTHON} -DCPACK_REVTICK_GIT=${GIT_EXECUTABLE}
    -DCPACK_REVTICK_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DPACKAGE=${package} -DNUSPEC=${nuspec}
    "-DPROGRAMS=${REVTICK_NUGET_PROGRAMS}" -DSTAGING=${CMAKE_BINARY_DIR}/nuget -P ${PROJECT_SOURCE_DIR}/cmake/NuGetPack.cmake
  DEPENDS ${inputs} ${msbuild}/pack_nupkg.py ${PROJECT_SOURCE_DIR}/cmake/NuGetPack.cmake
    ${REVTICK_NUGET_PROGRAM_TARGETS}
  COMMENT "Packing revtick.${REVTICK_NUGET_VERSION}.nupkg"
  VERBATIM)
add_custom_target(revtick_nuget DEPENDS ${package})
add_dependencies(revtick_windows_packages revtick_nuget)
