// The build-number tool: process entry, command line and header update.
#pragma once

#include "platform/entry.h"
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

// What each stage of a run gives back: kNoFailure when the run goes on, or
// the exit code that ends it. Every failure code is nonzero, so a stage
// reads `if (const DWORD failed = Stage()) return failed;`.
inline constexpr DWORD kNoFailure = 0;

// Longest header file name taken from the command line (plus terminator).
inline constexpr int kFileNameSize = 260;

const char* SkipProgramName(const char* commandLine);
DWORD RunTool(const char* arguments);
DWORD UpdateHeader(const char* fileName, const ToolOptions& options);
