// Where the process starts: the platform starts the program in ToolEntry,
// which takes the command line itself and ends the process.
#pragma once

// C linkage, so that the Windows linker can name it as the entry point.
extern "C" [[noreturn]] void ToolEntry();

// For a platform that hands over arguments of any length: when they would
// not fit in the one command line Windows takes, it starts the program here
// instead, and the run is refused with the tool's message.
[[noreturn]] void RefuseCommandLine();
