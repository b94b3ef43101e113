// Moments on either side of 1970 and 2038 and at the edges of what a
// FILETIME holds, as POSIX times and as FILETIME units, shared by the tests
// of the conversions and of real files' times.
#pragma once

#include <time.h>

#include <cstdint>

// What the tool does to the current time before it stamps a header.
inline constexpr std::uint64_t kTwoSeconds = 20'000'000;

struct Moment {
  const char* name;
  timespec time;
  std::uint64_t units;
};
// clang-format off
inline constexpr Moment kMoments[] = {
    {"1601", {-11644473600, 0}, 0},
    {"1601PlusOneUnit", {-11644473600, 100}, 1},
    {"1960", {-315619200, 700}, 113288544000000007},
    {"TwoSecondsBefore1970", {-2, 500}, 116444735980000005},
    {"1970", {0, 0}, 116444736000000000},
    {"PastInt32Seconds2038", {2147483648, 0}, 137919572480000000},
    {"2100", {4102444800, 999999900}, 157469184009999999},
    {"LastFileTime", {910692730085, 477580700}, 0x7FFF'FFFF'FFFF'FFFF},
};
// clang-format on
