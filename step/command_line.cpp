#include "runtime/runtime.h"
#include "step/step.h"

namespace {

constexpr char kUsage[] =
    "revtick-step " REVTICK_VERSION
    "\n"
    "\n"
    "Usage: revtick-step [-v][-t][-n][-c][-e <variable>][-o <offset>] <counter> [<header>]\n"
    "\n"
    "-v - verbose\n"
    "-n - add a next number definition\n"
    "-t - preserve the counter's file time\n"
    "-c - check the counter, never raise it\n"
    "-e <variable> - take the number from this variable (REVTICK_BUILD_NUMBER)\n"
    "-o <offset> - add this to the number from the variable\n"
    "\n"
    "Counter file must start from \"#define <name> <decimal number>\".\n"
    "The header gets \"#define <name> <number>\" from the raise, the variable or -c.\n";

// Takes one argument into `field` as the tool takes its file name, and the
// blanks after it; null, once the message is out, when there is none, it
// would be cut, or something other than a blank follows it.
const char* TakeArgument(const char* text, char (&field)[kFileNameSize + 1], const char* missing,
                         const char* what) {
  const char* rest = ExtractArgument(text, field, sizeof field);
  if (rest == nullptr) {
    PrintErr("%s", missing);
    return nullptr;
  }
  if (lstrlenA(field) >= kFileNameSize) {
    PrintErr("%s is longer than %u characters", what, kFileNameSize - 1);
    return nullptr;
  }
  if (*rest != '\0' && !IsBlank(*rest)) {
    PrintErr("Error - \"%s\"", rest);
    return nullptr;
  }
  return SkipBlanks(rest);
}

// The offset is checked at once, whether or not the variable is set: a
// wrong one is a mistake in the build's own setup.
const char* TakeOffset(const char* text, StepOptions& options) {
  char digits[kFileNameSize + 1];
  const char* rest = TakeArgument(text, digits, "No offset after -o", "Offset");
  if (rest == nullptr) return nullptr;
  const char* end = digits;
  options.offset = ParseUnsigned(digits, &end);
  if (end == digits || *end != '\0') {
    PrintErr("Invalid offset: \"%s\" (decimal digits, at most 4294967295)", digits);
    return nullptr;
  }
  options.offsetGiven = true;
  return rest;
}

// Reads the options in front of the counter; null, once the message is
// out, when one is refused.
const char* ReadOptions(const char* text, StepOptions& options) {
  lstrcpynA(options.variable, kNumberVariable, sizeof options.variable);
  while (text != nullptr && *text == '-') {
    const char option = OptionLetter(text);
    if (option == '\0') return nullptr;
    const char* rest = SkipBlanks(text + 2);
    switch (option) {
      case 'n': options.tool.addNext = true; break;
      case 't': options.tool.keepTime = true; break;
      case 'v': options.tool.verbose = true; break;
      case 'c': options.checkOnly = true; break;
      case 'e':
        rest = TakeArgument(rest, options.variable, "No variable after -e", "Variable name");
        break;
      case 'o': rest = TakeOffset(rest, options); break;
      default: PrintErr("Unknown option -%c", option); return nullptr;
    }
    text = rest;
  }
  return text;
}

DWORD ParseAndStep(const char* arguments) {
  const char* text = SkipBlanks(arguments);
  if (*text == '\0') {
    PrintOut(kUsage);
    return kExitNothingDone;
  }
  StepOptions options;
  text = ReadOptions(text, options);
  if (text == nullptr) return kExitBadCommandLine;
  text = TakeArgument(text, options.counter, "No counter file specified", "Counter file name");
  if (text == nullptr) return kExitBadCommandLine;
  if (*text != '\0') {
    text = TakeArgument(text, options.header, "No header file specified", "Header file name");
    if (text == nullptr) return kExitBadCommandLine;
    options.headerGiven = true;
  }
  if (*text != '\0') {
    PrintErr("Error - \"%s\"", text);
    return kExitBadCommandLine;
  }
  return Step(options);
}

}  // namespace

// The tool's frame of a run: its standard handles, and the system checked.
DWORD RunStep(const char* arguments) {
  ErrorLead = kStepErrorLead;
  DWORD result = kExitNothingDone;
  if (TakeStandardHandles()) {
    if (StartRuntime()) {
      result = ParseAndStep(arguments);
    } else {
      PrintErr("Cannot initialize application");
    }
  }
  CloseStandardHandle(OutputHandle);
  CloseStandardHandle(ErrorHandle);
  ErrorLead = nullptr;
  return result;
}
