// The build step: raises a counter with the tool's own code, or takes the
// number from the environment or the counter as it is, and writes the
// header the sources include.
#pragma once

#include "platform/win32.h"
#include "tool/tool.h"

// What the errors found before the counter is known start with.
inline constexpr char kStepErrorLead[] = "revtick-step: error: ";
// The variable that gives a build its number, unless -e names another.
inline constexpr char kNumberVariable[] = "REVTICK_BUILD_NUMBER";

struct StepOptions {
  ToolOptions tool;  // -v, -n and -t, as the tool takes them
  bool checkOnly = false;
  // One byte more than a name may take, so that a longer name shows.
  char variable[kFileNameSize + 1] = {};
  DWORD offset = 0;
  bool offsetGiven = false;
  char counter[kFileNameSize + 1] = {};
  char header[kFileNameSize + 1] = {};
  bool headerGiven = false;
};

// The whole run of the step over its argument text.
DWORD RunStep(const char* arguments);
// The run once the command line is read.
DWORD Step(const StepOptions& options);

// The number from the environment: `given` when the variable is set and not
// empty and its value (plus the offset) is a build number; a value that is
// not is refused with its message.
struct EnvironmentNumber {
  bool given = false;
  DWORD number = 0;
};
DWORD TakeEnvironmentNumber(const StepOptions& options, EnvironmentNumber& taken);

// The counter raised by the tool's own update, or only read and checked as
// the tool checks it; either way the header, if named, gets the number.
DWORD RaiseCounter(const StepOptions& options);
DWORD ReadCounter(const StepOptions& options, const EnvironmentNumber& fromEnvironment);

// After a refused counter: the fix, when its lines end in LF alone.
void HintAtLineEnds(const char* counter);

// Writes `lines` to the header, unless it holds them already.
DWORD WriteGeneratedHeader(const char* header, const char* lines, int length);
