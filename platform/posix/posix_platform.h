// Pieces shared by the POSIX implementation of the Win32 subset.
#pragma once

#include <time.h>

#include "platform/win32.h"

namespace native {

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

// FILETIME counts 100-ns units since 1601-01-01 UTC.
bool FileTimeFromTimespec(const timespec& time, FILETIME& fileTime);
bool TimespecFromFileTime(const FILETIME& fileTime, timespec& time);
// The date of a day counted from 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long days, SYSTEMTIME& time);

// Remembers the exact time a descriptor's file had when it was read, so
// that giving back the same FILETIME restores it to the nanosecond.
void RememberLastWrite(int fd, const timespec& time);
void ForgetFile(int fd);

}  // namespace native
