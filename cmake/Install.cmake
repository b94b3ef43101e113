# What `cmake --install` puts in place, and the packages CPack makes of it:
# the program, its documents (InstallDocs.cmake), and a CMake package with
# revtick_build_number for consumer projects (find_package(revtick)).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/revtick)
install(TARGETS revtick EXPORT revtickTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT revtickTargets NAMESPACE revtick:: DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/revtickConfigVersion.cmake
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickConfig.cmake
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickBuildNumber.cmake
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickGeneratedHeader.cmake
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickHeaderInPlace.cmake
    ${PROJECT_SOURCE_DIR}/cmake/package/revtickRaise.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/revtickConfigVersion.cmake
  DESTINATION ${package_dir})
include(${CMAKE_CURRENT_LIST_DIR}/InstallDocs.cmake)
# The MSBuild step beside the Windows program, which revtick.props finds
# there: one Import of bin\revtick.targets in a Visual Studio project.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/msbuild/revtick.props
    ${PROJECT_SOURCE_DIR}/packaging/msbuild/revtick.targets DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Packages: a Debian package of the POSIX program, a ZIP of a Windows one.
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
find_package(Git QUIET)
set(CPACK_REVTICK_GIT "${GIT_EXECUTABLE}")
set(CPACK_REVTICK_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  find_program(REVTICK_PYTHON python3 NO_CMAKE_FIND_ROOT_PATH)
  if(REVTICK_PYTHON)
    set(CPACK_REVTICK_PYTHON "${REVTICK_PYTHON}")
    set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/NormalizeZip.cmake")
  else()
    message(STATUS "python3 not found: the ZIP keeps the file system's order and the packer's ids")
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
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
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
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
  include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
endif()
include(CPack)
