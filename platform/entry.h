// Where the process starts: the platform starts the program in ToolEntry,
// which takes the command line itself and ends the process.
#pragma once

// C linkage, so that the Windows linker can name it as the entry point.
extern "C" [[noreturn]] void ToolEntry();
