# Run by cpack once the ZIP is made (CPACK_POST_BUILD_SCRIPTS): the ZIP is
# packed again in name order, with no owner and fixed modes, by Python's
# zipfile; this CMake's own archive writer would keep the packer's user and
# group ids. SOURCE_DATE_EPOCH is set by then (SourceDateEpoch.cmake).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND "${CPACK_REVTICK_PYTHON}"
      "${CPACK_REVTICK_SOURCE_DIR}/packaging/windows/normalize_zip.py" "${package}"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not pack ${package} again in a fixed order")
  endif()
endforeach()
