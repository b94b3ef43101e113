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

void ToolEntry() { ExitProcess(RunTool(SkipProgramName(GetCommandLineA()))); }
