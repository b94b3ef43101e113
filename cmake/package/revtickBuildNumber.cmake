# revtick_build_number([TARGET <target>...] [LIBRARY <name>] COUNTER <file>
#                      HEADER <name> [NEXT] [KEEP_TIME] [VERBOSE]
#                      [NUMBER_FROM <variable>] [NUMBER_OFFSET <n>])
#
# Gives each TARGET a build number that rises once per build. COUNTER is your
# file, one '#define NAME <number>' line ending in CR LF, relative to the
# calling CMakeLists.txt; name it so that no source includes it, such as
# build_number. Before any of TARGET's sources is compiled, a step raises it
# and writes HEADER, the name the sources include, into the build tree, first
# on TARGET's include path: exactly the files that include HEADER are
# compiled again, and builds that share the counter at once each get a number
# of their own. LIBRARY makes an interface library that gives the header to
# the targets that link it. NEXT, KEEP_TIME and VERBOSE pass -n, -t and -v.
# When REVTICK_BUILD_NUMBER (or NUMBER_FROM's variable, plus NUMBER_OFFSET)
# is set at build time, HEADER carries that number, the CI server's, and
# the counter is only read. With REVTICK_RAISE=OFF (a read-only source
# tree, a packager's build) the counter is never written: HEADER is written
# from it as it is. Each step is one run of revtick-step (revtick::step).
#
# revtick_build_number(TARGET <target>... HEADER <file>... [NEXT] [KEEP_TIME] [VERBOSE])
#
# The older form raises each HEADER in place, in the source tree, and every
# source of TARGET is compiled again after each update.
#
# The whole reference, with what configure refuses and why: docs/integration.md.
option(REVTICK_RAISE "Raise the build numbers; OFF writes the headers from the counters as they are" ON)

function(revtick_build_number)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NEXT;KEEP_TIME;VERBOSE"
    "COUNTER;LIBRARY;NUMBER_FROM;NUMBER_OFFSET" "TARGET;HEADER;SOURCES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "revtick_build_number: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TARGET AND NOT arg_LIBRARY)
    message(FATAL_ERROR "revtick_build_number: name the targets that include the header "
                        "(TARGET), or a LIBRARY for them to link")
  endif()
  foreach(target IN LISTS arg_TARGET)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "revtick_build_number: TARGET ${target} is not an existing target")
    endif()
  endforeach()
  if(arg_LIBRARY AND NOT DEFINED arg_COUNTER)
    message(FATAL_ERROR "revtick_build_number: LIBRARY needs a COUNTER")
  endif()
  if(NOT arg_HEADER)
    message(FATAL_ERROR "revtick_build_number: HEADER is required")
  endif()
  if(DEFINED arg_SOURCES OR "SOURCES" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "revtick_build_number: SOURCES is gone: a file that includes the header "
                        "and was left out of it kept an old number. Name a COUNTER instead, and "
                        "exactly the files that include HEADER are compiled again.")
  endif()
  if(NOT TARGET revtick::step)
    message(FATAL_ERROR "revtick_build_number: there is no revtick::step program; "
                        "use find_package(revtick) or bring in revtick's source first")
  endif()
  if(DEFINED arg_NUMBER_FROM AND NOT arg_NUMBER_FROM MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "revtick_build_number: NUMBER_FROM '${arg_NUMBER_FROM}' is not the "
                        "name of an environment variable, such as GITHUB_RUN_NUMBER")
  endif()
  if(DEFINED arg_NUMBER_OFFSET AND NOT arg_NUMBER_OFFSET MATCHES "^[0-9]+$")
    message(FATAL_ERROR "revtick_build_number: NUMBER_OFFSET '${arg_NUMBER_OFFSET}' is not a "
                        "number of decimal digits")
  endif()
  # The step's options, revtick-step's, and the same in the words of the call.
  set(settings "")
  set(words "")
  set(flag_words VERBOSE KEEP_TIME NEXT)
  set(flag_options -v -t -n)
  foreach(word option IN ZIP_LISTS flag_words flag_options)
    if(arg_${word})
      list(APPEND settings ${option})
      list(APPEND words ${word})
    endif()
  endforeach()
  set(value_words NUMBER_FROM NUMBER_OFFSET)
  set(value_options -e -o)
  foreach(word option IN ZIP_LISTS value_words value_options)
    if(DEFINED arg_${word})
      list(APPEND settings ${option} ${arg_${word}})
      list(APPEND words "${word} ${arg_${word}}")
    endif()
  endforeach()
  if(NOT REVTICK_RAISE)
    list(APPEND settings -c)
    # The option stays in the cache: said at every configure, so that a
    # build folder set up to install what was tested does not stop counting
    # unnoticed.
    get_property(said GLOBAL PROPERTY revtick_raise_off_said)
    if(NOT said)
      set_property(GLOBAL PROPERTY revtick_raise_off_said TRUE)
      message("revtick_build_number: REVTICK_RAISE is OFF in this build folder's cache, so its "
              "builds read the counters and never raise them; -DREVTICK_RAISE=ON counts again.")
    endif()
  endif()

  if(DEFINED arg_COUNTER)
    _revtick_generated_header("${arg_TARGET}" "${arg_LIBRARY}" "${arg_COUNTER}" "${arg_HEADER}"
      "${settings}" "${words}")
  else()
    foreach(target IN LISTS arg_TARGET)
      foreach(header IN LISTS arg_HEADER)
        _revtick_header_in_place(${target} ${header} "${settings}" "${words}")
      endforeach()
    endforeach()
  endif()
endfunction()

# The name of the update step of `file` (an absolute path), in `step_var`.
function(_revtick_step_name file step_var)
  string(MD5 key "${file}")
  string(SUBSTRING ${key} 0 8 short)
  cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE shown)
  string(MAKE_C_IDENTIFIER "${shown}" identifier)
  set(${step_var} revtick_${identifier}_${short} PARENT_SCOPE)
endfunction()

# Makes `step`, the update step of `file`, for `target`: revtick-step with
# `settings` on `file` and `header` (none for the older form), then
# `commands`, which with it make `byproducts`. One
# step per file, whatever the targets and folders that name it, so the
# number rises once per build and parallel jobs never race for the file;
# `call` (form, HEADER and options, in the user's words) must then be the
# same for every call. A custom target, it runs on every build, with every
# generator; the file is never declared as made by the build, so clean and
# rebuild leave it in place.
function(_revtick_add_step file step settings header call target commands byproducts)
  if(TARGET ${step})
    get_property(known GLOBAL PROPERTY ${step}_call)
    get_property(first GLOBAL PROPERTY ${step}_first_target)
    if(NOT known STREQUAL call)
      list(REMOVE_ITEM known "")
      list(REMOVE_ITEM call "")
      list(JOIN known " " known)
      list(JOIN call " " call)
      message(FATAL_ERROR "revtick_build_number: ${file} is raised by one step for every target "
                          "that names it, so every call must agree: '${known}' for ${first}, "
                          "'${call}' for ${target}")
    endif()
    return()
  endif()

  cmake_path(GET file PARENT_PATH folder)
  cmake_path(GET file FILENAME name)
  # In the file's own folder, with its name alone, and the header by the
  # shorter of its two paths: a deep workspace never makes a name too long
  # for the tool.
  set(make_folder "")
  if(header)
    # revtick-step writes the header; its folder is made for it.
    cmake_path(GET header PARENT_PATH header_folder)
    set(make_folder COMMAND ${CMAKE_COMMAND} -E make_directory ${header_folder})
    cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${folder} OUTPUT_VARIABLE relative)
    string(LENGTH "${relative}" relative_length)
    string(LENGTH "${header}" absolute_length)
    if(relative_length LESS absolute_length)
      set(header ${relative})
    endif()
  endif()
  if(REVTICK_RAISE)
    set(comment "Raising the build number in ${file}")
  else()
    set(comment "Reading the build number in ${file}, not raising it (REVTICK_RAISE is OFF)")
  endif()
  add_custom_target(${step}
    ${make_folder}
    COMMAND $<TARGET_FILE:revtick::step> ${settings} ${name} ${header}
    ${commands}
    BYPRODUCTS ${byproducts}
    WORKING_DIRECTORY ${folder}
    COMMENT "${comment}"
    VERBATIM)
  get_property(program_depends GLOBAL PROPERTY revtick_program_depends)
  if(program_depends)
    add_dependencies(${step} ${program_depends})
  endif()
  set_property(GLOBAL PROPERTY ${step}_call "${call}")
  set_property(GLOBAL PROPERTY ${step}_first_target ${target})
endfunction()

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
  _revtick_check_counter(${counter} "${settings}")

  _revtick_step_name(${counter} step)
  # Each configuration of a multi-configuration generator has a header of
  # its own: configurations built at once each get their own number.
  set(folder ${CMAKE_BINARY_DIR}/CMakeFiles/revtick/${step})
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    string(APPEND folder /$<CONFIG>)
  endif()
  set(generated ${folder}/${header})
  cmake_path(GET counter FILENAME counter_name)
  get_property(known GLOBAL PROPERTY ${step}_users SET)
  if(NOT known)
    # Once all of the project's targets are known.
    cmake_language(EVAL CODE "
      cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _revtick_warn_unnamed_includers
        [[${step}]] [[${header}]] [[${counter}]])")
  endif()
  set_property(GLOBAL APPEND PROPERTY ${step}_users ${targets} ${library})
  _revtick_add_step(${counter} ${step} "${settings}" ${generated}
    "COUNTER;${counter_name};HEADER;${header};${words}" "${targets};${library}" "" ${generated})

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

# Stops the configure on a counter that every build would refuse: one that
# is missing, or one that revtick-step's check (-c, the tool's own reading,
# with -n when NEXT is given) refuses. The check needs a program that runs
# now: the installed package's. One built by this same build is not built
# yet, and its first build says the same.
function(_revtick_check_counter counter settings)
  cmake_path(GET counter FILENAME name)
  cmake_path(GET counter PARENT_PATH folder)
  if(NOT EXISTS ${counter} OR IS_DIRECTORY ${counter})
    message(FATAL_ERROR "revtick_build_number: the counter ${counter} does not exist. Create it "
                        "with one line that ends in CR LF: on POSIX\n  printf '#define "
                        "BUILD_NUMBER 0\\r\\n' > ${name}\nat a Windows command prompt\n  "
                        ">${name} echo #define BUILD_NUMBER 0\nand keep its bytes in git with "
                        "'${name} -text' in .gitattributes.")
  endif()
  get_target_property(imported revtick::step IMPORTED)
  if(NOT imported)
    return()
  endif()
  get_target_property(program revtick::step LOCATION)
  if(NOT EXISTS "${program}")
    return()  # the build machine's, built by this build first
  endif()
  set(check -c)
  if("-n" IN_LIST settings)
    list(APPEND check -n)
  endif()
  # The CI's number is for the builds, not for this check.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=REVTICK_BUILD_NUMBER
      ${program} ${check} ${name} WORKING_DIRECTORY ${folder}
    RESULT_VARIABLE status ERROR_VARIABLE refusal OUTPUT_QUIET)
  if(status EQUAL 0)
    return()
  endif()
  string(REPLACE "\r" "" refusal "${refusal}")
  string(STRIP "${refusal}" refusal)
  message(FATAL_ERROR "revtick_build_number: every build would refuse the counter "
                      "${counter}:\n  ${refusal}")
endfunction()

# Stops the configure when a file named like the generated header lies in a
# folder that `target`'s compiles search: beside one of its sources (where
# #include "..." looks first) or in its include folders or those of the
# targets it links. Either it would be included instead of the generated
# header, or the generated header instead of it.
function(_revtick_refuse_shadows target header generated_folder counter)
  get_target_property(source_dir ${target} SOURCE_DIR)
  _revtick_sources(${target} sources)
  set(folders "")
  foreach(source IN LISTS sources)
    cmake_path(GET source PARENT_PATH folder)
    list(APPEND folders ${folder})
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
      # The commands with the counter's folder: git's from the top, the
      # call's from the target's folder.
      cmake_path(RELATIVE_PATH counter BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE from_top)
      cmake_path(RELATIVE_PATH counter_folder BASE_DIRECTORY ${CMAKE_SOURCE_DIR}
                 OUTPUT_VARIABLE renamed)
      cmake_path(APPEND renamed build_number)
      cmake_path(NORMAL_PATH renamed)
      cmake_path(RELATIVE_PATH counter_folder BASE_DIRECTORY ${source_dir} OUTPUT_VARIABLE in_call)
      cmake_path(APPEND in_call build_number)
      cmake_path(NORMAL_PATH in_call)
      message(FATAL_ERROR "revtick_build_number: the counter ${counter} has the name of the header "
                          "that the build writes from it for ${target}, in a folder its compiles "
                          "search, so they would include the counter and keep an old number. "
                          "Rename the counter to a name no source includes (git mv "
                          "${from_top} ${renamed}, then COUNTER ${in_call}), or give "
                          "HEADER another name.")
    endif()
    message(FATAL_ERROR "revtick_build_number: ${folder}/${header} has the name of the header "
                        "that the build writes from ${counter} for ${target}, in a folder its "
                        "compiles search: one would be included in place of the other. If it "
                        "is the old build-number header, move its number into the counter, then "
                        "remove ${folder}/${header}; otherwise give HEADER another name.")
  endforeach()

  # A source that includes the counter, itself or through a header, where
  # its compiles find it, gets no fresh header and keeps an old number. The
  # includes are followed where the compiler looks for them: beside the
  # including file, then in the target's folders.
  set(queue ${sources})
  set(seen "")
  while(queue)
    list(POP_FRONT queue file)
    if(file IN_LIST seen OR NOT EXISTS ${file} OR IS_DIRECTORY ${file})
      continue()
    endif()
    list(APPEND seen ${file})
    cmake_path(GET file PARENT_PATH here)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" name "${line}")
      foreach(folder IN LISTS here folders)
        set(found ${folder}/${name})
        cmake_path(NORMAL_PATH found)
        if(NOT EXISTS ${found} OR IS_DIRECTORY ${found})
          continue()
        endif()
        if(found STREQUAL counter)
          set(through "")
          if(NOT file IN_LIST sources)
            set(through ", a header that the sources of ${target} include,")
          endif()
          message(FATAL_ERROR "revtick_build_number: ${file}${through} includes the counter "
                              "${counter_name} itself, which the build raises but does not give "
                              "it, so it would keep an old number: include ${header} instead. A "
                              "counter named so that no source includes it, such as build_number "
                              "without .h, avoids this.")
        endif()
        list(APPEND queue ${found})
        break()
      endforeach()
    endforeach()
  endwhile()
endfunction()

# The older form: HEADER raised in place. Its time is no guide (two seconds
# back, or kept with KEEP_TIME, and Ninja looks at it only once, before the
# step), so the step also touches a witness file in the build folder, on
# which every source of the target depends.
function(_revtick_header_in_place target header settings words)
  cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
  cmake_path(GET header FILENAME name)
  _revtick_step_name(${header} step)
  if(NOT TARGET ${step})
    if(NOT EXISTS ${header})
      message(WARNING "revtick_build_number: ${header} does not exist yet; the build fails until "
                      "it holds one line such as '#define BUILD_NUMBER 0' ending in CR LF")
    endif()
    message(DEPRECATION "revtick_build_number: ${header} is raised in place, so every source of "
                        "the targets that name it is compiled again after each update. To "
                        "compile again only the files that include it, rename it to a counter "
                        "such as build_number, call revtick_build_number(TARGET ${target} "
                        "COUNTER build_number HEADER ${name}), and delete ${name} from the "
                        "source tree: the build writes it.")
  endif()
  set(witness ${CMAKE_BINARY_DIR}/CMakeFiles/${step}.witness)
  _revtick_add_step(${header} ${step} "${settings}" "" "in place;${words}" ${target}
    "COMMAND;${CMAKE_COMMAND};-E;touch;${witness}" ${witness})
  add_dependencies(${target} ${step})
  # After the target's sources are all known: the end of this folder.
  cmake_language(EVAL CODE "
    cmake_language(DEFER CALL _revtick_depend_on_witness [[${target}]] [[${witness}]])")
endfunction()

# Makes the compilation of every source of `target` depend on the witness.
function(_revtick_depend_on_witness target witness)
  _revtick_sources(${target} sources)
  if(sources)
    set_property(SOURCE ${sources} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
                 ${witness})
  endif()
endfunction()

# Warns of a target that includes the generated header of `step` but was
# not named in the call, nor links its LIBRARY: it finds no such header (or
# an old one) and nothing builds it after the raise, so its program would
# keep an old number.
function(_revtick_warn_unnamed_includers step header counter)
  get_property(users GLOBAL PROPERTY ${step}_users)
  _revtick_all_targets(${CMAKE_SOURCE_DIR} targets)
  string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" pattern "${header}")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(INTERFACE_LIBRARY|UTILITY)$")
      continue()
    endif()
    _revtick_links_any(${target} "${users}" linked)
    if(linked)
      continue()
    endif()
    _revtick_sources(${target} sources)
    foreach(source IN LISTS sources)
      if(EXISTS ${source} AND NOT IS_DIRECTORY ${source})
        file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]${pattern}[\">]")
        if(lines)
          list(JOIN users " " named)
          message(WARNING "revtick_build_number: ${source}, a source of ${target}, includes "
                          "${header}, which the build writes from ${counter} for ${named} alone: "
                          "${target} finds no such header, or an old one, and is not built after "
                          "the raise. Name it too (TARGET ${named} ${target}), or make it link a "
                          "LIBRARY of the call.")
          break()
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()

# Every target of `folder` and the folders below it, in `targets_var`.
function(_revtick_all_targets folder targets_var)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(below IN LISTS folders)
    _revtick_all_targets(${below} more)
    list(APPEND targets ${more})
  endforeach()
  set(${targets_var} ${targets} PARENT_SCOPE)
endfunction()

# Whether `target` is one of `users` or links one, however deep.
function(_revtick_links_any target users result_var)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue next)
    if(next IN_LIST users)
      set(${result_var} TRUE PARENT_SCOPE)
      return()
    endif()
    if(next IN_LIST seen OR NOT TARGET ${next})
      continue()
    endif()
    list(APPEND seen ${next})
    get_target_property(type ${next} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${next} LINK_LIBRARIES)
    endif()
    get_target_property(interface ${next} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface)
      if(link AND NOT link MATCHES "-NOTFOUND$|\\$<")
        list(APPEND queue ${link})
      endif()
    endforeach()
  endwhile()
  set(${result_var} FALSE PARENT_SCOPE)
endfunction()

# The sources of `target` named at configure time, as absolute paths, in
# `sources_var`; those chosen at generation time are left out (the COUNTER
# form covers them).
function(_revtick_sources target sources_var)
  get_target_property(listed ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  set(sources "")
  foreach(source IN LISTS listed)
    if(NOT source MATCHES "\\$<")
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
      list(APPEND sources ${source})
    endif()
  endforeach()
  set(${sources_var} ${sources} PARENT_SCOPE)
endfunction()
