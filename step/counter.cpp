#include "step/step.h"
#include "tool/header_routines.h"

namespace {

// Another build holds the counter for the moment of its own raise; a
// build that waits 10 s for it has met one that hangs.
constexpr DWORD kRetryPause = 100;  // ms
constexpr int kRetries = 100;

enum class CounterAccess { kRaise, kRead };

// Readers may share the counter with one another, never with a raise.
HANDLE OpenForReading(const char* name) {
  return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// For the raise exactly as the tool opens it, or for reading alone; while
// another process holds it, tried again for a while.
HANDLE OpenCounter(const char* name, CounterAccess access) {
  for (int retry = 0;; ++retry) {
    HANDLE counter =
        access == CounterAccess::kRaise ? OpenHeaderForUpdate(name) : OpenForReading(name);
    if (counter != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        retry == kRetries) {
      return counter;
    }
    Sleep(kRetryPause);
  }
}

DWORD WriteHeaderIfNamed(const StepOptions& options, const char* macroName, DWORD number) {
  if (!options.headerGiven) return kNoFailure;
  char lines[kDefinitionLinesSize];
  const int length = ComposeDefinitionLines(macroName, number, options.tool.addNext, lines);
  return WriteGeneratedHeader(options.header, lines, length);
}

void Report(const StepOptions& options, const char* macroName, bool fromEnvironment, DWORD number) {
  if (!options.tool.verbose) return;
  if (fromEnvironment) {
    PrintOut("Macro \"%s\" set to %u from %s", macroName, number, options.variable);
  } else {
    PrintOut("Macro \"%s\" is %u in \"%s\"", macroName, number, options.counter);
  }
}

}  // namespace

// The header gets the number of this raise: read back, the counter might
// already hold another build's. It is written while the counter is still
// held, so that a build raising it next cannot write its own in between.
DWORD RaiseCounter(const StepOptions& options) {
  HeaderFile file{};
  file.name = options.counter;
  file.handle = OpenCounter(options.counter, CounterAccess::kRaise);
  if (file.handle == INVALID_HANDLE_VALUE) return FailToOpen(options.counter);
  HeaderDefinition raised{};
  DWORD result = UpdateOpenHeader(file, options.tool, raised);
  if (result == kNoFailure) result = WriteHeaderIfNamed(options, raised.macroName, raised.number);
  CloseHandle(file.handle);
  return result;
}

// The counter is checked as the tool checks it before a raise, and never
// opened for writing; the header gets the number from the environment if
// there is one, or the counter's as it is.
DWORD ReadCounter(const StepOptions& options, const EnvironmentNumber& fromEnvironment) {
  HANDLE counter = OpenCounter(options.counter, CounterAccess::kRead);
  if (counter == INVALID_HANDLE_VALUE) return FailToOpen(options.counter);
  char start[kCountedBytes];
  DWORD length = 0;
  HeaderDefinition definition{};
  DWORD result = ReadStart(counter, start, sizeof start, length);
  if (result == kNoFailure) {
    result = ParseDefinition(start, length, options.tool.addNext, definition);
  }
  const DWORD number = fromEnvironment.given ? fromEnvironment.number : definition.number;
  if (result == kNoFailure) result = WriteHeaderIfNamed(options, definition.macroName, number);
  if (result == kNoFailure) Report(options, definition.macroName, fromEnvironment.given, number);
  CloseHandle(counter);
  return result;
}
