// A FILETIME is one 64-bit count of 100-ns units since 1601-01-01 UTC, kept
// as two 32-bit halves; these put the halves together and apart.
#pragma once

#include <stdint.h>

#include "platform/win32.h"

inline uint64_t FileTimeTicks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME FileTimeFromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
