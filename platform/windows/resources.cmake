# Each program's manifest and version resource (windows/revtick.rc.in), in
# every Windows build: windres for mingw-w64, rc or llvm-rc for cl-style
# compilers. On the program itself: a resource in a static library would
# be left out, since nothing refers to it.
#
#   revtick_program_resources(<program> <description>)
enable_language(RC)

function(revtick_program_resources program description)
  set(REVTICK_PROGRAM ${program})
  set(REVTICK_PROGRAM_DESCRIPTION ${description})
  set(REVTICK_MANIFEST ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/revtick.manifest)
  set(version_parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
    ${PROJECT_VERSION_TWEAK})
  list(TRANSFORM version_parts REPLACE "^$" 0)
  list(JOIN version_parts "," REVTICK_VERSION_COMMAS)
  set(resources ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/revtick.rc.in ${resources} @ONLY)
  target_sources(${program} PRIVATE ${resources})
  set_property(SOURCE ${resources} APPEND PROPERTY OBJECT_DEPENDS ${REVTICK_MANIFEST})
endfunction()
