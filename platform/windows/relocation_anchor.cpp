// An absolute address the program keeps (msvc.cmake links it with
// /INCLUDE), so that the linker writes a relocation block and Windows can
// place the program anywhere.
extern "C" const void* const revtick_relocation_anchor = &revtick_relocation_anchor;
