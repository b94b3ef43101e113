// The build-number tool: process entry, command line and header update.
#pragma once

#include "platform/win32.h"

struct ToolOptions {
  bool verbose = false;
  bool addNext = false;
  bool keepTime = false;
};

// Exit codes a calling script sees.
enum ExitCode : DWORD {
  kExitUpdated = 0,
  kExitNothingDone = 1,
  kExitBadCommandLine = 2,
  kExitFileError = 3,
  kExitBadContent = 4,
};

// Longest header file name taken from the command line (plus terminator).
inline constexpr int kFileNameSize = 260;

// The process entry point: C linkage, so that Windows can start the program in it.
extern "C" [[noreturn]] void ToolEntry();
const char* SkipProgramName(const char* commandLine);
DWORD RunTool(const char* arguments);
DWORD UpdateHeader(const char* fileName, const ToolOptions& options);
