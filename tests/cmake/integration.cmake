# What the README and the man page tell users about the header, held to the
# program: the first header, the rejected headers and their messages, line
# ends in git, and the README's first command leaving the checkout clean.
# They run the program as a user would, so not in a cross build, whose
# program runs only under the emulator (the end-to-end suite runs it there).
foreach(name header_docs gitattributes try_it)
  if(CMAKE_CROSSCOMPILING)
    revtick_skipped_test(revtick_${name} "a cross build: the README's commands run the program directly")
    continue()
  endif()
  add_test(NAME revtick_${name}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/${name}_test.sh $<TARGET_FILE:revtick>
      ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set_tests_properties(revtick_${name} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()

# A signal at each system call of a run leaves the header whole (strace's
# fault injection); listed as skipped, with the reason, without strace. Not
# in a cross build, where strace would trace the emulator.
if(CMAKE_CROSSCOMPILING)
  revtick_skipped_test(revtick_signals "a cross build: strace would trace the emulator")
else()
  add_test(NAME revtick_signals
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/integration/signals_test.sh $<TARGET_FILE:revtick>
      ${CMAKE_CURRENT_BINARY_DIR}/signals)
  # A run under strace per system call: about 3 s, and 25 to 80 s under the
  # sanitizers on a loaded machine.
  set_tests_properties(revtick_signals PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
