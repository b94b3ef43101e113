// Conversions between the Win32 time records and POSIX time. They need no
// system call, so the test double of the platform links them too.
#include "platform/posix/posix_platform.h"

namespace {

constexpr long long kUnitsPerSecond = 10'000'000;
constexpr long long kNanosecondsPerUnit = 100;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long kEpochDifference = 11'644'473'600;
constexpr long long kSecondsPerDay = 86'400;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

bool IsValid(const SYSTEMTIME& time) {
  return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 &&
         time.wDay >= 1 && time.wDay <= 31 && time.wHour < 24 && time.wMinute < 60 &&
         time.wSecond < 60 && time.wMilliseconds < 1000;
}

}  // namespace

namespace native {

void CivilFromDays(long long days, SYSTEMTIME& time) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  time.wYear = static_cast<WORD>(static_cast<long long>(yearOfEra) + era * 400 + (month <= 2));
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
}

bool FileTimeFromTimespec(const timespec& time, FILETIME& fileTime) {
  const long long seconds = static_cast<long long>(time.tv_sec) + kEpochDifference;
  if (seconds < 0) return false;
  const unsigned long long units =
      static_cast<unsigned long long>(seconds) * kUnitsPerSecond +
      static_cast<unsigned long long>(time.tv_nsec) / kNanosecondsPerUnit;
  fileTime = FILETIME{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
  return true;
}

bool TimespecFromFileTime(const FILETIME& fileTime, timespec& time) {
  const unsigned long long units =
      (static_cast<unsigned long long>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
  if (units > 0x7FFFFFFFFFFFFFFFull) return false;
  time.tv_sec =
      static_cast<time_t>(static_cast<long long>(units / kUnitsPerSecond) - kEpochDifference);
  time.tv_nsec = static_cast<long>(units % kUnitsPerSecond) * kNanosecondsPerUnit;
  return true;
}

}  // namespace native

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime) {
  if (!IsValid(*time)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const long long seconds = DaysFromCivil(time->wYear, time->wMonth, time->wDay) * kSecondsPerDay +
                            time->wHour * 3600LL + time->wMinute * 60LL + time->wSecond;
  const timespec moment{static_cast<time_t>(seconds), time->wMilliseconds * 1'000'000L};
  return native::FileTimeFromTimespec(moment, *fileTime) ? TRUE : FALSE;
}
