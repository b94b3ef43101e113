# Run by the build (cmake/Packaging.cmake): packs the NuGet package, each
# program installed and stripped as its ZIP has it, with the time every
# package of a commit gives its files (SourceDateEpoch.cmake).
#   cmake -DPYTHON= -DCPACK_REVTICK_GIT= -DCPACK_REVTICK_SOURCE_DIR= -DPACKAGE= -DNUSPEC=
#         -DPROGRAMS=<machine>=<build folder>;... -DSTAGING=<scratch folder> -P NuGetPack.cmake
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
set(msbuild ${CPACK_REVTICK_SOURCE_DIR}/packaging/msbuild)
set(contents build/native/revtick.props=${msbuild}/revtick.props
  build/native/revtick.targets=${msbuild}/revtick.targets)
foreach(pair IN LISTS PROGRAMS)
  string(REGEX MATCH "^([^=]*)=(.*)$" pair "${pair}")
  set(machine ${CMAKE_MATCH_1})
  file(REMOVE_RECURSE ${STAGING}/${machine})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${CMAKE_MATCH_2} --prefix ${STAGING}/${machine} --strip
    OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not install the program from ${CMAKE_MATCH_2}")
  endif()
  foreach(program IN ITEMS revtick revtick-step)
    list(APPEND contents tools/${machine}/${program}.exe=${STAGING}/${machine}/bin/${program}.exe)
  endforeach()
endforeach()
get_filename_component(folder ${PACKAGE} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND ${PYTHON} ${msbuild}/pack_nupkg.py ${PACKAGE} ${NUSPEC} ${contents}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not pack ${PACKAGE}")
endif()
