// The times the tests over the double run with: the header's last-write
// time before a run, the time the system stamps on any write, and the
// clock, with what the tool makes of it.
#pragma once

#include <cstdint>
#include <string>

#include "tests/double/platform_double.h"

namespace fake {

inline constexpr std::uint64_t kOldTime = 0x01D9'1234'5678'9ABCu;
inline constexpr std::uint64_t kWriteTime = 0x01DA'76D1'0000'1111u;
// 2024-03-15 12:04:58.610 UTC is 0x01DA76D1'004C6520; two seconds earlier,
// kStamp, borrows from the high half.
inline constexpr SYSTEMTIME kNow = {2024, 3, 5, 15, 12, 4, 58, 610};
inline constexpr std::uint64_t kStamp = 0x01DA'76D0'FF1B'3820u;

// A fresh system whose "ver.h" holds `bytes`, with the times above.
inline void ResetWithHeader(const std::string& bytes) {
  Reset();
  os.file.bytes = bytes;
  os.file.lastWrite = MakeFileTime(kOldTime);
  os.now = kNow;
  os.systemWriteTime = MakeFileTime(kWriteTime);
}

}  // namespace fake
