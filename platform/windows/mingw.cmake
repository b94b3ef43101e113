# The Windows program's link by a GCC-style compiler (mingw-w64).
set_source_files_properties(windows/c_routines.cpp PROPERTIES
  COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(entry_symbol _ToolEntry)  # 32-bit C names carry a leading underscore
else()
  set(entry_symbol ToolEntry)
endif()
# No link time in the PE header (nor in the checksum over it): two builds
# of the same sources give the same bytes.
target_link_options(revtick_platform INTERFACE
  -nostdlib -Wl,--entry,${entry_symbol} -Wl,--subsystem,console -Wl,--gc-sections
  -Wl,--no-insert-timestamp)
# The system's import libraries, the only ones the program is linked with
# (the top folder leaves out the toolchain's defaults). libgcc only for
# what the compiler may call on its own (stack probes); it adds no import.
target_link_libraries(revtick_platform INTERFACE kernel32 user32 shlwapi gcc)
