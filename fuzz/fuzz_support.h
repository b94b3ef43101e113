// What both fuzz targets share: the check that stops a run on a broken
// property, and the expected texts and known times of the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/common/messages.h"
#include "tests/double/known_times.h"
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

using fake::kNow;
using fake::kOldTime;
using fake::kStamp;
using fake::kWriteTime;
using fake::ResetWithHeader;

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

}  // namespace fuzz
