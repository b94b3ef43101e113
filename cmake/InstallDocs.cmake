# The documents installed with the program.
#
# POSIX: the man page, gzip-compressed, and in share/doc/revtick the licence
# as a machine-readable copyright file and the changelog, compressed, which
# is where Debian (and most Linux systems) look for them.
# Windows: LICENSE.txt and a short README.txt beside bin\, with CR LF, for
# whoever unpacks the ZIP.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(REVTICK_WINDOWS_MACHINE "32-bit, for every Windows of the NT family")
  else()
    set(REVTICK_WINDOWS_MACHINE "64-bit")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
    @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
    ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt
    DESTINATION .)
  return()
endif()

# The copyright file carries the licence's own text: its copyright line
# as the Copyright field, the rest as the licence paragraph, each line
# indented by one blank and empty lines written as " ." (the format's rule).
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
set(REVTICK_COPYRIGHT "")
set(REVTICK_LICENSE_TEXT "")
foreach(line IN LISTS licence_lines)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(REVTICK_COPYRIGHT "${CMAKE_MATCH_1}")
  elseif(REVTICK_COPYRIGHT STREQUAL "")
    # the title, above the copyright line
  elseif(line STREQUAL "")
    string(APPEND REVTICK_LICENSE_TEXT " .\n")
  else()
    string(APPEND REVTICK_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" REVTICK_LICENSE_TEXT "${REVTICK_LICENSE_TEXT}")
string(REGEX REPLACE "\n$" "" REVTICK_LICENSE_TEXT "${REVTICK_LICENSE_TEXT}")
if(REVTICK_COPYRIGHT STREQUAL "")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) <year> <holder>\"")
endif()
set(docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${docs}/copyright @ONLY)

# gzip -9n: the best compression, and no name or time stamp in the header,
# so that the same sources give the same package.
find_program(REVTICK_GZIP gzip)
set(compressed "")
foreach(source IN ITEMS docs/revtick.1 packaging/debian/changelog)
  get_filename_component(name ${source} NAME)
  if(REVTICK_GZIP)
    add_custom_command(OUTPUT ${docs}/${name}.gz
      COMMAND ${REVTICK_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${docs}/${name}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/${source}
      COMMENT "Compressing ${name}")
    set(file_${name} ${docs}/${name}.gz)
    list(APPEND compressed ${docs}/${name}.gz)
  else()
    set(file_${name} ${PROJECT_SOURCE_DIR}/${source})
  endif()
endforeach()
if(NOT REVTICK_GZIP)
  message(STATUS "gzip not found: the man page and the changelog are installed uncompressed")
endif()
add_custom_target(revtick_docs ALL DEPENDS ${compressed})

install(FILES ${file_revtick.1} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs}/copyright ${file_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A statically linked program (the static and portable builds) is so on
# purpose: it is made to start on any Linux, with no C library to match.
# lintian flags every static program; this tells it the package means it.
if(REVTICK_STATIC OR REVTICK_MUSL)
  file(WRITE ${docs}/lintian-overrides
    "# Linked statically on purpose, to run on any Linux whatever its C library.\n"
    "revtick: statically-linked-binary [usr/bin/revtick]\n")
  install(FILES ${docs}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME revtick)
endif()
