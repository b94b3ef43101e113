#include "platform/posix/posix_platform.h"

namespace {

constexpr long long kSecondsPerDay = 86'400;

}  // namespace

void GetSystemTime(LPSYSTEMTIME time) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  long long days = now.tv_sec / kSecondsPerDay;
  long long seconds = now.tv_sec % kSecondsPerDay;
  if (seconds < 0) {
    seconds += kSecondsPerDay;
    --days;
  }
  native::CivilFromDays(days, *time);
  time->wDayOfWeek = static_cast<WORD>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
  time->wHour = static_cast<WORD>(seconds / 3600);
  time->wMinute = static_cast<WORD>(seconds / 60 % 60);
  time->wSecond = static_cast<WORD>(seconds % 60);
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1'000'000);
}
