// The build-number tool: process entry, command line and header update.
// Its build step (step/) runs the same code: the standard handles, the
// options' grammar, and the update's routines (header_routines.h).
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

// The bytes at the start of a header that count: its definition line must
// end within them.
inline constexpr int kHeaderTextSize = 256;
// Any name that fits in the header text fits here, so none is ever cut.
inline constexpr int kMacroNameSize = kHeaderTextSize;
// A line "#define NAME NUMBER\r\n" but for its name: the word, two blanks,
// the number (4294967295 at most) and the line end.
inline constexpr int kLineBesidesName = sizeof "#define  4294967295\r\n" - 1;
inline constexpr int kNextLength = sizeof "Next" - 1;  // what the second line adds to the name
// Both lines an update writes, for the longest name and numbers, and the
// terminator.
inline constexpr int kDefinitionLinesSize =
    2 * (kMacroNameSize - 1 + kLineBesidesName) + kNextLength + 1;

const char* SkipProgramName(const char* commandLine);
DWORD RunTool(const char* arguments);
DWORD UpdateHeader(const char* fileName, const ToolOptions& options);

// The standard handles a run writes to, as a launcher handed them over or
// as the process has them; false, with none taken, when either is invalid.
bool TakeStandardHandles();
void CloseStandardHandle(HANDLE& handle);
// The letter of the option at `text` ("-x", then a blank or the end), or
// '\0' once the message that refuses it is out.
char OptionLetter(const char* text);
