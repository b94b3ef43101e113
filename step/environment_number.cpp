#include "runtime/runtime.h"
#include "step/step.h"

namespace {

constexpr unsigned long long kLargestNumber = 0xFFFFFFFF;
// Longer values are refused without being shown.
constexpr DWORD kValueSize = 256;
constexpr char kRule[] = "a build number is decimal digits, at most 4294967295";

DWORD Refuse(const StepOptions& options, const char* value) {
  if (options.offsetGiven) {
    PrintErr("%s is \"%s\" plus the offset %u: %s", options.variable, value, options.offset, kRule);
  } else {
    PrintErr("%s is \"%s\": %s", options.variable, value, kRule);
  }
  return kExitBadCommandLine;
}

}  // namespace

// Unset and empty are alike: the counter is raised.
DWORD TakeEnvironmentNumber(const StepOptions& options, EnvironmentNumber& taken) {
  taken = EnvironmentNumber{};
  char value[kValueSize];
  const DWORD length = GetEnvironmentVariableA(options.variable, value, sizeof value);
  if (length == 0) return kNoFailure;
  if (length >= sizeof value) {
    PrintErr("%s is %u characters long: %s", options.variable, length - 1, kRule);
    return kExitBadCommandLine;
  }
  // ParseUnsigned takes digits alone and gives no end past a value too large.
  const char* end = value;
  const unsigned long long number = ParseUnsigned(value, &end);
  if (end == value || *end != '\0') return Refuse(options, value);
  const unsigned long long sum = number + options.offset;
  if (sum > kLargestNumber) return Refuse(options, value);
  taken = {true, static_cast<DWORD>(sum)};
  return kNoFailure;
}
