# What `cmake --install` puts in place, and the packages made of it: the
# program, its documents, and a CMake package with revtick_build_number for
# consumer projects (find_package(revtick)); a Debian package of the POSIX
# program, a ZIP of a Windows one, and from the Linux build that builds the
# Windows programs a NuGet package of them. The scripts that cpack and the
# build run are in packaging/ beside this file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
find_package(Git QUIET)
set(scripts ${CMAKE_CURRENT_LIST_DIR}/packaging)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/revtick)
# revtick-step, the build step every recipe runs, is revtick::step.
set_target_properties(revtick-step PROPERTIES EXPORT_NAME step)
install(TARGETS revtick revtick-step EXPORT revtickTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT revtickTargets NAMESPACE revtick:: DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/revtickConfigVersion.cmake
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickConfig.cmake
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickBuildNumber.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/revtickConfigVersion.cmake
  DESTINATION ${package_dir})
# Beside it, the recipes of the other build systems: a file that make
# includes, the meson.build to copy from, and Bazel's rules and status
# command, a repository to bring in with local_repository.
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/make/revtick.mk
    DESTINATION ${CMAKE_INSTALL_DATADIR}/revtick)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/meson/meson.build
    ${PROJECT_SOURCE_DIR}/examples/meson/meson_options.txt
    DESTINATION ${CMAKE_INSTALL_DATADIR}/revtick/meson)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/bazel/WORKSPACE
    ${PROJECT_SOURCE_DIR}/packaging/bazel/BUILD ${PROJECT_SOURCE_DIR}/packaging/bazel/revtick.bzl
    DESTINATION ${CMAKE_INSTALL_DATADIR}/revtick/bazel)
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/bazel/revtick_status.sh
    DESTINATION ${CMAKE_INSTALL_DATADIR}/revtick/bazel)
endif()

set(CPACK_PACKAGE_NAME revtick)
set(CPACK_PACKAGE_VENDOR "The revtick authors")
set(CPACK_PACKAGE_CONTACT "${REVTICK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
# Every file in a package gets one time, SOURCE_DATE_EPOCH or the commit's
# (SourceDateEpoch.cmake), so that two builds of a commit pack the same
# bytes. Owners: the Debian package's are root's; the ZIP holds none, and
# its entries are in name order (NormalizeZip.cmake).
set(CPACK_REVTICK_GIT "${GIT_EXECUTABLE}")
set(CPACK_REVTICK_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${scripts}/SourceDateEpoch.cmake")
find_program(REVTICK_PYTHON python3 NO_CMAKE_FIND_ROOT_PATH)

if(WIN32)
  # The ZIP's name, and the machine its README names.
  set(REVTICK_WINDOWS_MACHINE "64-bit")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(REVTICK_WINDOWS_MACHINE "32-bit, for every Windows of the NT family")
    set(CPACK_SYSTEM_NAME win32)
  elseif(CMAKE_CXX_COMPILER_ARCHITECTURE_ID STREQUAL "ARM64")
    set(CPACK_SYSTEM_NAME arm64)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  if(MSVC)
    # Made by Visual Studio's compilers: beside mingw-w64's, not over them.
    string(APPEND CPACK_SYSTEM_NAME -msvc)
  endif()
  # Beside bin\: LICENSE.txt and a short README.txt, with CR LF, for
  # whoever unpacks the ZIP.
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
    @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
    ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt
    DESTINATION .)
  # The MSBuild step beside the program, which revtick.props finds there:
  # one Import of bin\revtick.targets in a Visual Studio project.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/msbuild/revtick.props
    ${PROJECT_SOURCE_DIR}/packaging/msbuild/revtick.targets DESTINATION ${CMAKE_INSTALL_BINDIR})

  set(CPACK_GENERATOR ZIP)
  if(REVTICK_PYTHON)
    set(CPACK_REVTICK_PYTHON "${REVTICK_PYTHON}")
    set(CPACK_POST_BUILD_SCRIPTS "${scripts}/NormalizeZip.cmake")
  else()
    message(STATUS "python3 not found: the ZIP keeps the file system's order and the packer's ids")
  endif()
else()
  # The man page, gzip-compressed, and in share/doc/revtick the licence as a
  # machine-readable copyright file and the changelog, compressed, which is
  # where Debian (and most Linux systems) look for them.
  #
  # The copyright file carries the licence's own text: its copyright line
  # as the Copyright field, the rest as the licence paragraph, each line
  # indented by one blank and empty lines written as " ." (the format's rule).
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  if(NOT licence MATCHES "(^|\n)Copyright \\(c\\) ([^\n]+)\n+(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE has no line \"Copyright (c) <year> <holder>\"")
  endif()
  set(REVTICK_COPYRIGHT "${CMAKE_MATCH_2}")
  set(REVTICK_LICENSE_TEXT "${CMAKE_MATCH_3}")
  foreach(pass 1 2)  # each pass marks every other empty line of a run
    string(REPLACE "\n\n" "\n.\n" REVTICK_LICENSE_TEXT "${REVTICK_LICENSE_TEXT}")
  endforeach()
  string(REPLACE "\n" "\n " REVTICK_LICENSE_TEXT " ${REVTICK_LICENSE_TEXT}")
  set(docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${docs}/copyright @ONLY)

  # gzip -9n: the best compression, and no name or time stamp in the header,
  # so that the same sources give the same package.
  find_program(REVTICK_GZIP gzip)
  if(NOT REVTICK_GZIP)
    message(STATUS "gzip not found: the man page and the changelog are installed uncompressed")
  endif()
  set(compressed "")
  foreach(source IN ITEMS docs/revtick.1 docs/revtick-step.1 packaging/debian/changelog)
    get_filename_component(name ${source} NAME)
    set(file_${name} ${PROJECT_SOURCE_DIR}/${source})
    if(REVTICK_GZIP)
      set(file_${name} ${docs}/${name}.gz)
      add_custom_command(OUTPUT ${docs}/${name}.gz
        COMMAND ${REVTICK_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${docs}/${name}.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/${source}
        COMMENT "Compressing ${name}")
      list(APPEND compressed ${docs}/${name}.gz)
    endif()
  endforeach()
  add_custom_target(revtick_docs ALL DEPENDS ${compressed})
  install(FILES ${file_revtick.1} ${file_revtick-step.1} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${docs}/copyright ${file_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # A statically linked program (the static and portable builds) is so on
  # purpose: it is made to start on any Linux, with no C library to match.
  # lintian flags every static program; this tells it the package means it.
  if(REVTICK_STATIC OR REVTICK_MUSL)
    file(WRITE ${docs}/lintian-overrides
      "# Linked statically on purpose, to run on any Linux whatever its C library.\n"
      "revtick: statically-linked-binary [usr/bin/revtick]\n"
      "revtick: statically-linked-binary [usr/bin/revtick-step]\n")
    install(FILES ${docs}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
      RENAME revtick)
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REVTICK_MAINTAINER}")
  # The long description; CPack puts the synopsis
  # (CPACK_PACKAGE_DESCRIPTION_SUMMARY) above it and indents it.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "revtick raises the build number kept in a C header by one on every build.\n"
    "A build script runs it before anything that includes the header is\n"
    "compiled; it checks that the file holds one #define line with a decimal\n"
    "number, rewrites it with the number plus one (optionally with a second\n"
    "definition holding the number after that), stamps the file two seconds\n"
    "back or keeps its time, and reports the outcome in its exit code.\n"
    ".\n"
    "The package holds the program, its man page and a CMake package whose\n"
    "revtick_build_number() adds the step to a CMake target.")
  # A cross build's package is for the target: CPack would name the build
  # machine's architecture. The compiler's multiarch name says which.
  if(CMAKE_CROSSCOMPILING AND NOT REVTICK_DEBIAN_ARCHITECTURE)
    set(debian_architectures aarch64-linux-gnu=arm64 arm-linux-gnueabihf=armhf
      arm-linux-gnueabi=armel i386-linux-gnu=i386 s390x-linux-gnu=s390x x86_64-linux-gnu=amd64
      powerpc64le-linux-gnu=ppc64el riscv64-linux-gnu=riscv64)
    foreach(pair IN LISTS debian_architectures)
      if(pair MATCHES "^${CMAKE_LIBRARY_ARCHITECTURE}=(.*)$")
        set(REVTICK_DEBIAN_ARCHITECTURE ${CMAKE_MATCH_1})
      endif()
    endforeach()
    if(NOT REVTICK_DEBIAN_ARCHITECTURE)
      message(FATAL_ERROR "No Debian architecture known for '${CMAKE_LIBRARY_ARCHITECTURE}': "
        "set REVTICK_DEBIAN_ARCHITECTURE")
    endif()
  endif()
  if(REVTICK_DEBIAN_ARCHITECTURE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${REVTICK_DEBIAN_ARCHITECTURE})
  endif()
  # The Depends on the C library, from the staged program (cpack runs DebianDepends.cmake).
  # Not SHLIBDEPS: dpkg-shlibdeps needs the target's libc6 in dpkg's database; cross builds lack it.
  find_program(REVTICK_GNU_READELF NAMES ${CMAKE_LIBRARY_ARCHITECTURE}-readelf readelf)
  set(CPACK_REVTICK_READELF "${REVTICK_GNU_READELF}")
  set(CPACK_REVTICK_PROGRAM "${CMAKE_INSTALL_BINDIR}/revtick")
  list(APPEND CPACK_PRE_BUILD_SCRIPTS ${scripts}/DebianDepends.cmake)
endif()
include(CPack)

# The native NuGet package of the Windows programs, for Visual Studio C++
# projects: <build>/packages/revtick.<version>.nupkg, made by the
# revtick_windows_packages target with the ZIPs. build/native holds
# revtick.props and revtick.targets (packaging/msbuild), which NuGet imports
# into the project that installs the package; tools/<machine> the programs,
# where revtick.props looks for them.
if(NOT TARGET revtick_windows_packages)
  return()
endif()
# Every program the package carries, as <machine>=<its build folder>, and
# the targets that build them: the one place to name another build of the
# programs. Each is installed from its build folder, stripped as in its
# ZIP, and packed as tools/<machine>/revtick.exe, with revtick-step.exe.
set(REVTICK_NUGET_PROGRAMS x86=${REVTICK_WINDOWS_i686_DIR} x64=${REVTICK_WINDOWS_x86_64_DIR})
set(REVTICK_NUGET_PROGRAM_TARGETS revtick_windows_i686 revtick_windows_x86_64)
# NuGet's form of the version: three numbers, a fourth only when it is not 0.
set(REVTICK_NUGET_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
if(PROJECT_VERSION_TWEAK)
  string(APPEND REVTICK_NUGET_VERSION .${PROJECT_VERSION_TWEAK})
endif()
set(nuspec ${CMAKE_BINARY_DIR}/nuget/revtick.nuspec)
configure_file(${PROJECT_SOURCE_DIR}/packaging/msbuild/nuget_manifest.xml.in ${nuspec} @ONLY)
if(NOT REVTICK_PYTHON)
  message(STATUS "python3 not found: no NuGet package")
  return()
endif()
set(msbuild ${PROJECT_SOURCE_DIR}/packaging/msbuild)
set(inputs ${nuspec} ${msbuild}/revtick.props ${msbuild}/revtick.targets)
foreach(pair IN LISTS REVTICK_NUGET_PROGRAMS)
  string(REGEX REPLACE "^[^=]*=" "" folder "${pair}")
  list(APPEND inputs ${folder}/revtick.exe ${folder}/revtick-step.exe)
endforeach()
set(REVTICK_NUGET_PACKAGE ${CMAKE_BINARY_DIR}/packages/revtick.${REVTICK_NUGET_VERSION}.nupkg)
add_custom_command(OUTPUT ${REVTICK_NUGET_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -DPYTHON=${REVTICK_PYTHON} -DCPACK_REVTICK_GIT=${GIT_EXECUTABLE}
    -DCPACK_REVTICK_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DPACKAGE=${REVTICK_NUGET_PACKAGE}
    -DNUSPEC=${nuspec} "-DPROGRAMS=${REVTICK_NUGET_PROGRAMS}" -DSTAGING=${CMAKE_BINARY_DIR}/nuget
    -P ${scripts}/NuGetPack.cmake
  DEPENDS ${inputs} ${msbuild}/pack_nupkg.py ${scripts}/NuGetPack.cmake
    ${REVTICK_NUGET_PROGRAM_TARGETS}
  COMMENT "Packing revtick.${REVTICK_NUGET_VERSION}.nupkg"
  VERBATIM)
add_custom_target(revtick_nuget DEPENDS ${REVTICK_NUGET_PACKAGE})
add_dependencies(revtick_windows_packages revtick_nuget)
