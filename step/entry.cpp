#include "runtime/runtime.h"
#include "step/step.h"

void ToolEntry() { ExitProcess(RunStep(SkipProgramName(GetCommandLineA()))); }

// Windows builds never call this, and their linker leaves it out.
void RefuseCommandLine() {
  ErrorLead = kStepErrorLead;
  DWORD result = kExitNothingDone;
  if (TakeStandardHandles()) {
    PrintErr("Command line too long");
    result = kExitBadCommandLine;
  }
  CloseStandardHandle(OutputHandle);
  CloseStandardHandle(ErrorHandle);
  ExitProcess(result);
}
