# The Windows program's link by a cl-style compiler: cl with link.exe, or
# clang-cl with lld-link.

# The C routines' and the system's declarations without a Windows SDK
# (include/string.h, ../win32.h) for all of the tool's code, found before
# any SDK's own.
target_include_directories(revtick_lean BEFORE INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/windows/include)

# No builtin routines in the C routines' own file (/Oi-): the compiler may
# not turn their loops back into calls to themselves.
set_source_files_properties(windows/c_routines.cpp PROPERTIES COMPILE_OPTIONS /Oi-)

# The oldest system each machine's program may load on: NT 4.0 on 32-bit
# x86, XP x64 and Windows 10 on ARM64 (whose first kernel is 6.2's
# numbering). link.exe refuses anything below 5.01 on x86 since Visual
# Studio 2012: with it, the 32-bit program loads from XP on.
set(arch ${CMAKE_CXX_COMPILER_ARCHITECTURE_ID})
if(arch STREQUAL "X86")
  set(subsystem_version 4.00)
  if(NOT CMAKE_LINKER MATCHES "lld-link")
    set(subsystem_version 5.01)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "MSVC")
    # cl takes SSE2 for granted on x86; clang-cl, like GCC, starts from the
    # i686 (Pentium Pro) instruction set without being told.
    target_compile_options(revtick_lean INTERFACE /arch:IA32)
  endif()
elseif(arch STREQUAL "x64")
  set(subsystem_version 5.02)
elseif(arch STREQUAL "ARM64")
  set(subsystem_version 6.02)
else()
  message(FATAL_ERROR "No Windows program for the ${arch} machine")
endif()

# No C runtime, ToolEntry as the entry point (the linker adds the 32-bit
# underscore itself), a console program; the manifest is the program's
# resource (resources.cmake), not one the linker writes. No link time in
# the headers (/Brepro): two builds give the same bytes.
target_link_options(revtick_platform INTERFACE
  /NODEFAULTLIB /ENTRY:ToolEntry /SUBSYSTEM:CONSOLE,${subsystem_version}
  /OPT:REF /OPT:ICF /DYNAMICBASE /NXCOMPAT /MANIFEST:NO /INCREMENTAL:NO /Brepro)
if(CMAKE_COMPILE_WARNING_AS_ERROR)
  # The linker's warnings too: CMake's link step for cl-style compilers
  # prints nothing of a link that succeeds.
  target_link_options(revtick_platform INTERFACE /WX)
endif()

# A 64-bit program addresses its data relative to its code and may need
# no relocation at all; lld-link then writes no .reloc section, and Windows
# cannot move an image without one, DYNAMIC_BASE or not. One absolute
# address, kept by /INCLUDE, gives it its relocation block.
if(NOT arch STREQUAL "X86")
  target_sources(revtick_platform PRIVATE windows/relocation_anchor.cpp)
  target_link_options(revtick_platform INTERFACE /INCLUDE:revtick_relocation_anchor)
endif()

# The system's import libraries, the only ones the program is linked with
# (the top folder leaves out the toolchain's defaults). The SDK's where
# there is one; with llvm-dlltool (the cross toolchain names it), made from
# the program's own lists of imports, so that no SDK is needed.
if(CMAKE_DLLTOOL)
  set(dlltool_machines X86=i386 x64=i386:x86-64 ARM64=arm64)
  list(FILTER dlltool_machines INCLUDE REGEX "^${arch}=")
  string(REGEX REPLACE "^[^=]*=" "" machine "${dlltool_machines}")
  set(import_libraries "")
  foreach(dll IN ITEMS kernel32 user32 shlwapi)
    set(def ${CMAKE_CURRENT_SOURCE_DIR}/windows/${dll}.def)
    if(NOT arch STREQUAL "X86")
      # The argument bytes in the names are 32-bit x86's alone.
      file(READ ${def} text)
      string(REGEX REPLACE "@[0-9]+\n" "\n" text "${text}")
      set(def ${CMAKE_CURRENT_BINARY_DIR}/${dll}.def)
      file(CONFIGURE OUTPUT ${def} CONTENT "${text}" @ONLY)
    endif()
    set(library ${CMAKE_CURRENT_BINARY_DIR}/${dll}.lib)
    add_custom_command(OUTPUT ${library}
      COMMAND ${CMAKE_DLLTOOL} -m ${machine} -k -d ${def} -l ${library}
      DEPENDS ${def}
      COMMENT "Making the import library ${dll}.lib"
      VERBATIM)
    list(APPEND import_libraries ${library})
  endforeach()
  add_custom_target(revtick_import_libraries DEPENDS ${import_libraries})
  add_dependencies(revtick_platform revtick_import_libraries)
  target_link_libraries(revtick_platform INTERFACE ${import_libraries})
else()
  target_link_libraries(revtick_platform INTERFACE kernel32 user32 shlwapi)
endif()
