# The COUNTER form of revtick_build_number: the step raises the counter,
# then writes the header the sources include, from what that raise reported,
# into a folder of the build tree, which goes first on the target's include
# path.
#
# The header is the step's byproduct, so Ninja looks at it again after the
# step (it looks at other files only once, before the build) and compiles
# again exactly the files whose dependencies name it. It is a new file each
# time its number changes, so it has the current time, never the counter's
# (two seconds back, or not moved at all with KEEP_TIME): make and the IDE
# generators compare times.
function(_revtick_generated_header targets library counter header settings words)
  list(LENGTH header count)
  if(NOT count EQUAL 1 OR IS_ABSOLUTE "${header}" OR header MATCHES "(^|[/\\])\\.\\.([/\\]|$)")
    message(FATAL_ERROR "revtick_build_number: HEADER '${header}' must be the one name the "
                        "sources include, such as version.h or app/version.h: the build "
                        "writes it from COUNTER")
  endif()
  cmake_path(ABSOLUTE_PATH counter BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
  _revtick_check_counter(${counter})

  _revtick_step_name(${counter} step)
  # Each configuration of a multi-configuration generator has a header of
  # its own: configurations built at once each get their own number.
  set(folder ${CMAKE_BINARY_DIR}/CMakeFiles/revtick/${step})
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    string(APPEND folder /$<CONFIG>)
  endif()
  set(generated ${folder}/${header})
  _revtick_add_step(${counter} ${step} "${settings};-DHEADER=${generated}"
    "COUNTER;HEADER;${header};${words}" "${targets};${library}" "" ${generated})

  if(library)
    add_library(${library} INTERFACE)
    target_include_directories(${library} INTERFACE ${folder})
    # Followed by every target that links the library, in its place.
    add_dependencies(${library} ${step})
  endif()
  foreach(target IN LISTS targets)
    _revtick_use_header(${target} ${step} ${header} ${folder} ${counter})
  endforeach()
endfunction()

# Gives `target` the generated header `header` of `step`, from `folder`.
function(_revtick_use_header target step header folder counter)
  # Two counters cannot give one target the same header name.
  get_property(names TARGET ${target} PROPERTY revtick_header_names)
  get_property(steps TARGET ${target} PROPERTY revtick_header_steps)
  list(FIND names "${header}" index)
  if(index GREATER_EQUAL 0)
    list(GET steps ${index} other)
    if(NOT other STREQUAL step)
      message(FATAL_ERROR "revtick_build_number: ${target} gets ${header} from two counters; "
                          "give each its own HEADER name")
    endif()
    return()
  endif()
  set_property(TARGET ${target} APPEND PROPERTY revtick_header_names "${header}")
  set_property(TARGET ${target} APPEND PROPERTY revtick_header_steps ${step})

  add_dependencies(${target} ${step})
  target_include_directories(${target} BEFORE PRIVATE ${folder})
  # Once all of the project's sources and include folders are known.
  cmake_language(EVAL CODE "
    cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _revtick_refuse_shadows
      [[${target}]] [[${header}]] [[${folder}]] [[${counter}]])")
endfunction()

# Stops the configure on a counter that revtick would refuse in every build:
# one that is missing, or whose line does not end in CR LF (revtick says no
# more than "No EOL"). A checkout with LF line ends makes the second.
function(_revtick_check_counter counter)
  cmake_path(GET counter FILENAME name)
  set(write "on POSIX\n  printf '#define BUILD_NUMBER 0\\r\\n' > ${name}\nat a Windows \
command prompt\n  >${name} echo #define BUILD_NUMBER 0\nand keep its bytes in git with \
'${name} -text' in .gitattributes")
  if(NOT EXISTS ${counter} OR IS_DIRECTORY ${counter})
    message(FATAL_ERROR "revtick_build_number: the counter ${counter} does not exist. Create it "
                        "with one line that ends in CR LF: ${write}.")
  endif()
  # revtick reads at most 255 bytes; their line must end in CR LF.
  file(READ ${counter} bytes LIMIT 255 HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  string(FIND "${bytes}" "0a " line_feed)
  if(line_feed GREATER_EQUAL 3)
    math(EXPR before "${line_feed} - 3")
    string(SUBSTRING "${bytes}" ${before} 3 before)
  endif()
  if(line_feed LESS 0 OR NOT before STREQUAL "0d ")
    message(FATAL_ERROR "revtick_build_number: the line of the counter ${counter} does not end "
                        "in CR LF, so revtick refuses it (\"No EOL\"); a checkout that turns "
                        "line ends into LF ('*.h text eol=lf', core.autocrlf=input) does that. "
                        "Write it again with CR LF: ${write}, below any such line.")
  endif()
endfunction()

# Stops the configure when a file named like the generated header lies in a
# folder that `target`'s compiles search: beside one of its sources (where
# #include "..." looks first) or in its include folders or those of the
# targets it links. Either it would be included instead of the generated
# header, or the generated header instead of it.
function(_revtick_refuse_shadows target header generated_folder counter)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(folders "")
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\$<")
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE)
      cmake_path(GET source PARENT_PATH folder)
      list(APPEND folders ${folder})
    endif()
  endforeach()
  get_target_property(includes ${target} INCLUDE_DIRECTORIES)
  get_target_property(libraries ${target} LINK_LIBRARIES)
  foreach(library IN LISTS libraries)
    if(TARGET ${library})
      get_target_property(more ${library} INTERFACE_INCLUDE_DIRECTORIES)
      list(APPEND includes ${more})
    endif()
  endforeach()
  foreach(folder IN LISTS includes)
    # Folders chosen at generation time are left out, but for the build tree's.
    string(REGEX REPLACE "^\\$<BUILD_INTERFACE:(.*)>$" "\\1" folder "${folder}")
    if(folder AND NOT folder MATCHES "\\$<|-NOTFOUND$")
      cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY ${source_dir} NORMALIZE)
      list(APPEND folders ${folder})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  list(REMOVE_ITEM folders ${generated_folder})
  cmake_path(GET counter PARENT_PATH counter_folder)
  cmake_path(GET counter FILENAME counter_name)
  foreach(folder IN LISTS folders)
    if(NOT EXISTS ${folder}/${header})
      continue()
    endif()
    if(folder STREQUAL counter_folder AND counter_name STREQUAL header)
      message(FATAL_ERROR "revtick_build_number: the counter ${counter} has the name of the header "
                          "that the build writes from it for ${target}, in a folder its compiles "
                          "search, so they would include the counter and keep an old number. "
                          "Rename the counter to a name no source includes (git mv "
                          "${counter_name} build_number, then COUNTER build_number), or give "
                          "HEADER another name.")
    endif()
    message(FATAL_ERROR "revtick_build_number: ${folder}/${header} has the name of the header "
                        "that the build writes from ${counter} for ${target}, in a folder its "
                        "compiles search: one would be included in place of the other. If it "
                        "is the old build-number header, move its number into the counter, then "
                        "remove ${folder}/${header}; otherwise give HEADER another name.")
  endforeach()

  # A source that includes the counter itself, where its compiles find it,
  # gets no fresh header and keeps an old number.
  if(NOT counter_folder IN_LIST folders)
    return()
  endif()
  string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" pattern "${counter_name}")
  foreach(source IN LISTS sources)
    if(source MATCHES "\\$<")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE)
    if(NOT EXISTS ${source} OR IS_DIRECTORY ${source})
      continue()
    endif()
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]${pattern}[\">]")
    if(lines)
      message(FATAL_ERROR "revtick_build_number: ${source} includes the counter ${counter_name} "
                          "itself, which the build raises but does not give it, so it would keep "
                          "an old number: include ${header} instead. A counter named so that no "
                          "source includes it, such as build_number without .h, avoids this.")
    endif()
  endforeach()
endfunction()
