// Pieces shared by the POSIX implementation of the Win32 subset.
#pragma once

#include <sys/types.h>
#include <time.h>

#include "platform/win32.h"

// Headers stamped past 2038 and files past 2 GiB: a 32-bit C library may
// keep time_t and off_t at 32 bits unless asked otherwise (glibc:
// -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64, which the build passes there).
static_assert(sizeof(time_t) == 8,
              "time_t must have 64 bits: compile with -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64");
static_assert(sizeof(off_t) == 8, "off_t must have 64 bits: compile with -D_FILE_OFFSET_BITS=64");

namespace posix_layer {

// A handle is a descriptor plus one, so that null is never a descriptor.
inline HANDLE HandleFromFd(int fd) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}
inline int FdFromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return -1;
  return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

// Our own code for a path that names something other than a regular file;
// the customer bit keeps it apart from every errno value.
inline constexpr DWORD kNotRegularFile = 0x20000001;

// Record a failure as the last error; both return FALSE for the caller.
BOOL Fail(DWORD code);
BOOL FailWithErrno();
// The English text of an errno value, the same on every C library, or null
// for a value it does not know.
const char* ErrnoText(int code);

// FILETIME counts 100-ns units since 1601-01-01 UTC, up to 2^63 - 1; both
// conversions are false for a time the other side cannot hold.
bool FileTimeFromTimespec(const timespec& time, FILETIME& fileTime);
bool TimespecFromFileTime(const FILETIME& fileTime, timespec& time);
// What SystemTimeToFileTime gives for a record it refuses: no time at all,
// and still none 2 seconds earlier, so SetFileTime refuses it in turn.
inline constexpr FILETIME kNoFileTime = {0xFFFFFFFF, 0xFFFFFFFF};

// A reading of the clock as GetSystemTime reports it. A null reading (the
// clock failed; errno says why) or one outside the years 1601 to 30827
// gives an all-zero record, which SystemTimeToFileTime refuses, and sets the
// last error; the result says which.
bool SystemTimeFromClock(const timespec* now, SYSTEMTIME& time);

}  // namespace posix_layer
