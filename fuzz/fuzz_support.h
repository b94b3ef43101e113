// What both fuzz targets share: the check that stops a run on a broken
// property, and a fake system holding "ver.h" with known times.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/double/platform_double.h"

// A broken property is a finding: say which, then stop the way libFuzzer
// (and the replay driver's caller) notices.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

namespace fuzz {

// The file's time before the run, the time the system stamps on a write, and
// the clock: 2024-03-15 12:04:58.610 UTC, whose file time less two seconds
// is kStamp.
inline const std::uint64_t kOldTime = 0x01D9'1234'5678'9ABCu;
inline const std::uint64_t kWriteTime = 0x01DA'76D1'0000'1111u;
inline const SYSTEMTIME kNow = {2024, 3, 5, 15, 12, 4, 58, 610};
inline const std::uint64_t kStamp = 0x01DA'76D0'FF1B'3820u;

inline void ResetWithHeader(const std::string& bytes) {
  fake::Reset();
  fake::os.file.bytes = bytes;
  fake::os.file.lastWrite = fake::MakeFileTime(kOldTime);
  fake::os.now = kNow;
  fake::os.systemWriteTime = fake::MakeFileTime(kWriteTime);
}

// Writes to the two output handles; a message is always two of them.
inline int ConsoleWrites() {
  int count = 0;
  for (const std::string& call : fake::os.log)
    count += call == "WriteFile(out)" || call == "WriteFile(err)";
  return count;
}

inline std::uint64_t FileTicks() { return fake::Ticks(fake::os.file.lastWrite); }

// The whole file as the tool must leave it after updating `name` from `old`.
inline std::string UpdatedHeader(const std::string& name, std::uint32_t old, bool addNext) {
  const std::uint32_t next = old + 1, afterNext = old + 2;  // wrap round in 32 bits
  std::string text = "#define " + name + " " + std::to_string(next) + "\r\n";
  if (addNext) text += "#define " + name + "Next " + std::to_string(afterNext) + "\r\n";
  return text;
}

inline std::string Report(const std::string& name, std::uint32_t number) {
  return "Macro \"" + name + "\" set to " + std::to_string(number) + " in \"ver.h\"\r\n";
}

}  // namespace fuzz
