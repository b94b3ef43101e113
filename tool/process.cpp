#include <string.h>

#include "runtime/runtime.h"
#include "tool/tool.h"

// The command line starts with the program name: in double quotes when it
// holds blanks, otherwise up to the first space (a tab does not end it).
const char* SkipProgramName(const char* commandLine) {
  const char* end = *commandLine == '"' ? strchr(commandLine + 1, '"') : strchr(commandLine, ' ');
  if (end == nullptr) return commandLine + lstrlenA(commandLine);
  return SkipBlanks(end + 1);
}

// A launcher may hand the standard handles over in the start-up
// information; otherwise they are the process's own.
bool TakeStandardHandles() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESTDHANDLES) {
    OutputHandle = startup.hStdOutput;
    ErrorHandle = startup.hStdError;
  } else {
    OutputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    ErrorHandle = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (OutputHandle == INVALID_HANDLE_VALUE || ErrorHandle == INVALID_HANDLE_VALUE) {
    OutputHandle = nullptr;
    ErrorHandle = nullptr;
    return false;
  }
  return true;
}

void CloseStandardHandle(HANDLE& handle) {
  if (handle == nullptr) return;
  CloseHandle(handle);
  handle = nullptr;
}
