#include "runtime/runtime.h"
#include "tool/tool.h"

void ToolEntry() { ExitProcess(RunTool(SkipProgramName(GetCommandLineA()))); }

// Arguments that do not make one command line are refused as a whole,
// before anything else is looked at. Windows builds never call this, and
// their linker leaves it out.
void RefuseCommandLine() {
  DWORD result = kExitNothingDone;
  if (TakeStandardHandles()) {
    PrintErr("Command line too long");
    result = kExitBadCommandLine;
  }
  CloseStandardHandle(OutputHandle);
  CloseStandardHandle(ErrorHandle);
  ExitProcess(result);
}
