# The program's manifest and version resource (windows/revtick.rc.in), in
# every Windows build: windres for mingw-w64, rc or llvm-rc for cl-style
# compilers. On the program itself: a resource in a static library would
# be left out, since nothing refers to it.
enable_language(RC)
set(REVTICK_MANIFEST ${CMAKE_CURRENT_SOURCE_DIR}/windows/revtick.manifest)
set(version_parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
  ${PROJECT_VERSION_TWEAK})
list(TRANSFORM version_parts REPLACE "^$" 0)
list(JOIN version_parts "," REVTICK_VERSION_COMMAS)
configure_file(windows/revtick.rc.in revtick.rc @ONLY)
target_sources(revtick_platform INTERFACE ${CMAKE_CURRENT_BINARY_DIR}/revtick.rc)
set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/revtick.rc APPEND PROPERTY
  OBJECT_DEPENDS ${REVTICK_MANIFEST})
