# The COUNTER form of revtick_build_number: the step raises the counter,
# then writes the header the sources include into a folder of the build
# tree, which goes first on the target's include path.
#
# The header is the step's byproduct, so Ninja looks at it again after the
# step (it looks at other files only once, before the build) and compiles
# again exactly the files whose dependencies name it. It is stamped with the
# current time after the copy: a copy may keep the counter's time (two
# seconds back, or not moved at all with KEEP_TIME), and make and the IDE
# generators compare times.
function(_revtick_generated_header target counter header options words)
  list(LENGTH header count)
  if(NOT count EQUAL 1 OR IS_ABSOLUTE "${header}" OR header MATCHES "(^|[/\\])\\.\\.([/\\]|$)")
    message(FATAL_ERROR "revtick_build_number: HEADER '${header}' must be the one name the "
                        "sources include, such as version.h or app/version.h: the build "
                        "writes it from COUNTER")
  endif()
  cmake_path(ABSOLUTE_PATH counter BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
  if(NOT EXISTS ${counter} OR IS_DIRECTORY ${counter})
    cmake_path(GET counter FILENAME name)
    message(FATAL_ERROR "revtick_build_number: the counter ${counter} does not exist. Create it "
                        "with one line that ends in CR LF: on POSIX\n"
                        "  printf '#define BUILD_NUMBER 0\\r\\n' > ${name}\n"
                        "at a Windows command prompt\n"
                        "  >${name} echo #define BUILD_NUMBER 0\n"
                        "and keep its bytes in git with '${name} -text' in .gitattributes.")
  endif()

  _revtick_step_name(${counter} step)
  set(folder ${CMAKE_BINARY_DIR}/CMakeFiles/revtick/${step})
  set(generated ${folder}/${header})
  set(commands
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${counter} ${generated}
    COMMAND ${CMAKE_COMMAND} -E touch_nocreate ${generated})
  _revtick_add_step(${counter} ${step} "${options}" "COUNTER;HEADER;${header};${words}"
    ${target} "${commands}" ${generated})

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
  foreach(folder IN LISTS folders)
    if(EXISTS ${folder}/${header})
      message(FATAL_ERROR "revtick_build_number: ${folder}/${header} has the name of the header "
                          "that the build writes from ${counter} for ${target}, in a folder its "
                          "compiles search: one would be included in place of the other. If it "
                          "is the old build-number header, move its number into the counter and "
                          "delete it; otherwise give HEADER another name.")
    endif()
  endforeach()
endfunction()
