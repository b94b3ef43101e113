#include "runtime/runtime.h"
#include "tool/tool.h"

namespace {

constexpr char kUsage[] = "revtick " REVTICK_VERSION
                          "\n"
                          "\n"
                          "Usage: revtick [-v][-t][-n] <header file>\n"
                          "\n"
                          "-v - verbose\n"
                          "-n - add a next number definition\n"
                          "-t - preserve file time\n"
                          "\n"
                          "Header file must start from \"#define <name> <decimal number>\".\n"
                          "The entire contents of the file will be overwritten.\n";

// Reads the options in front of the file name; returns the exit code of a
// rejected option, or kNoFailure when all were accepted.
DWORD ReadOptions(const char*& text, ToolOptions& options) {
  options = ToolOptions{};
  while (*text == '-') {
    const char option = OptionLetter(text);
    if (option == '\0') return kExitBadCommandLine;
    switch (option) {
      case 'n': options.addNext = true; break;
      case 't': options.keepTime = true; break;
      case 'v': options.verbose = true; break;
      default: PrintErr("Unknown option -%c", option); return kExitBadCommandLine;
    }
    text = SkipBlanks(text + 2);
  }
  return kNoFailure;
}

DWORD ParseAndUpdate(const char* arguments) {
  const char* text = SkipBlanks(arguments);
  if (*text == '\0') {
    PrintOut(kUsage);
    return kExitNothingDone;
  }
  ToolOptions options;
  if (const DWORD rejected = ReadOptions(text, options)) return rejected;

  // One byte more than a name may take, so that a longer name shows.
  char fileName[kFileNameSize + 1];
  const char* rest = ExtractArgument(SkipBlanks(text), fileName, sizeof fileName);
  if (rest == nullptr) {
    PrintErr("No header file specified");
    return kExitBadCommandLine;
  }
  // Going on with a cut name would update some other file.
  if (lstrlenA(fileName) >= kFileNameSize) {
    PrintErr("Header file name is longer than %u characters", kFileNameSize - 1);
    return kExitBadCommandLine;
  }
  rest = SkipBlanks(rest);
  if (*rest != '\0') {
    PrintErr("Error - \"%s\"", rest);
    return kExitBadCommandLine;
  }
  return UpdateHeader(fileName, options);
}

}  // namespace

char OptionLetter(const char* text) {
  const char option = text[1];
  if (option == '\0') {
    PrintErr("No option char after \"-\"");
    return '\0';
  }
  if (text[2] != '\0' && !IsBlank(text[2])) {
    PrintErr("Invalid option: -%c%s", option, text + 2);
    return '\0';
  }
  return option;
}

DWORD RunTool(const char* arguments) {
  DWORD result = kExitNothingDone;
  if (TakeStandardHandles()) {
    if (StartRuntime()) {
      result = ParseAndUpdate(arguments);
    } else {
      PrintErr("Cannot initialize application");
    }
  }
  CloseStandardHandle(OutputHandle);
  CloseStandardHandle(ErrorHandle);
  return result;
}
