#include "step/step.h"

#include "runtime/runtime.h"

namespace {

// The number from the environment is checked before anything is opened; a
// good one, or -c, leaves the counter unraised.
DWORD StepOnCounter(const StepOptions& options) {
  EnvironmentNumber fromEnvironment{};
  if (const DWORD refused = TakeEnvironmentNumber(options, fromEnvironment)) return refused;
  if (fromEnvironment.given || options.checkOnly) return ReadCounter(options, fromEnvironment);
  return RaiseCounter(options);
}

}  // namespace

// Every error from here on is one on the counter.
DWORD Step(const StepOptions& options) {
  char lead[kFileNameSize + sizeof ": error: "];
  wsprintfA(lead, "%s: error: ", options.counter);
  ErrorLead = lead;
  const DWORD result = StepOnCounter(options);
  if (result == kExitBadContent) HintAtLineEnds(options.counter);
  ErrorLead = kStepErrorLead;
  return result;
}
