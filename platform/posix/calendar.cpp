// Conversions between the Win32 time records and POSIX time. They need no
// system call, so the test double of the platform links them too. None of
// them wraps: a time the other side cannot hold is refused.
#include <errno.h>
#include <stdint.h>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"

namespace {

constexpr long long kUnitsPerSecond = 10'000'000;
constexpr long long kNanosecondsPerUnit = 100;
constexpr long long kNanosecondsPerSecond = 1'000'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long kEpochDifference = 11'644'473'600;
// The latest FILETIME, and the whole seconds it holds.
constexpr unsigned long long kMaxUnits = 0x7FFF'FFFF'FFFF'FFFFull;
constexpr long long kMaxSeconds = static_cast<long long>(kMaxUnits / kUnitsPerSecond);
// So every FILETIME has a time_t; time_t itself is asserted 64 bits wide.
static_assert(kMaxSeconds - kEpochDifference <= INT64_MAX && sizeof(time_t) == sizeof(int64_t));
// The years a SYSTEMTIME may hold; every moment in them has a FILETIME.
constexpr unsigned kFirstYear = 1601;
constexpr unsigned kLastYear = 30827;
// Both records count from 1601: a SYSTEMTIME is a FILETIME in whole
// milliseconds split into its calendar parts.
constexpr unsigned long long kUnitsPerMillisecond = 10'000;
constexpr unsigned long long kMillisecondsPerDay = 86'400'000;
// Days to 1601-01-01 from 0000-03-01, where a year that ends in its leap day starts.
constexpr unsigned long long kDaysFromYearZeroTo1601 = 584'694;

// Days since 1601-01-01 of a date from then on.
unsigned long long DaysFromCivil(unsigned year, unsigned month, unsigned day) {
  year -= month <= 2;
  const unsigned era = year / 400;
  const unsigned yearOfEra = year % 400;
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097ull + dayOfEra - kDaysFromYearZeroTo1601;
}

// The date of a day counted from 1601-01-01.
void CivilFromDays(unsigned long long days, unsigned& year, unsigned& month, unsigned& day) {
  days += kDaysFromYearZeroTo1601;
  const unsigned era = static_cast<unsigned>(days / 146097);
  const unsigned dayOfEra = static_cast<unsigned>(days % 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = yearOfEra + era * 400 + (month <= 2);
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
}

bool IsLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A date that exists (no 30 February) in the years a SYSTEMTIME may hold.
bool IsValid(const SYSTEMTIME& time) {
  return time.wYear >= kFirstYear && time.wYear <= kLastYear && time.wMonth >= 1 &&
         time.wMonth <= 12 && time.wDay >= 1 && time.wDay <= DaysInMonth(time.wYear, time.wMonth) &&
         time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

}  // namespace

namespace posix_layer {

bool FileTimeFromTimespec(const timespec& time, FILETIME& fileTime) {
  if (time.tv_nsec < 0 || time.tv_nsec >= kNanosecondsPerSecond) return false;
  // Compared before adding, so that no sum can overflow.
  if (time.tv_sec < -kEpochDifference || time.tv_sec > kMaxSeconds - kEpochDifference) {
    return false;
  }
  const unsigned long long units =
      static_cast<unsigned long long>(time.tv_sec + kEpochDifference) * kUnitsPerSecond +
      static_cast<unsigned long long>(time.tv_nsec) / kNanosecondsPerUnit;
  if (units > kMaxUnits) return false;  // within the last second, past its end
  fileTime = FileTimeFromTicks(units);
  return true;
}

bool TimespecFromFileTime(const FILETIME& fileTime, timespec& time) {
  const unsigned long long units = FileTimeTicks(fileTime);
  if (units > kMaxUnits) return false;
  time.tv_sec =
      static_cast<time_t>(static_cast<long long>(units / kUnitsPerSecond) - kEpochDifference);
  time.tv_nsec = static_cast<long>(units % kUnitsPerSecond) * kNanosecondsPerUnit;
  return true;
}

// Through the FILETIME: one range check, and no day before 1601.
bool SystemTimeFromClock(const timespec* now, SYSTEMTIME& time) {
  time = SYSTEMTIME{};
  if (now == nullptr) {
    SetLastError(static_cast<DWORD>(errno));
    return false;
  }
  FILETIME reading{};
  const bool held = FileTimeFromTimespec(*now, reading);
  const unsigned long long milliseconds = FileTimeTicks(reading) / kUnitsPerMillisecond;
  const unsigned long long days = milliseconds / kMillisecondsPerDay;
  unsigned year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  if (!held || year > kLastYear) {
    SetLastError(static_cast<DWORD>(EOVERFLOW));
    return false;
  }
  const unsigned long long ofDay = milliseconds % kMillisecondsPerDay;
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  time.wHour = static_cast<WORD>(ofDay / 3'600'000);
  time.wMinute = static_cast<WORD>(ofDay / 60'000 % 60);
  time.wSecond = static_cast<WORD>(ofDay / 1'000 % 60);
  time.wMilliseconds = static_cast<WORD>(ofDay % 1'000);
  return true;
}

}  // namespace posix_layer

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime) {
  if (!IsValid(*time)) {
    // The tool does not look at the result; what it stamps must still not be a time.
    *fileTime = posix_layer::kNoFileTime;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const unsigned long long milliseconds =
      DaysFromCivil(time->wYear, time->wMonth, time->wDay) * kMillisecondsPerDay +
      time->wHour * 3'600'000ull + time->wMinute * 60'000ull + time->wSecond * 1'000ull +
      time->wMilliseconds;
  *fileTime = FileTimeFromTicks(milliseconds * kUnitsPerMillisecond);
  return TRUE;
}
