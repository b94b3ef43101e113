#include "platform/posix/posix_platform.h"

// A clock that cannot be read, or reads a time no SYSTEMTIME holds, gives a
// record that SystemTimeToFileTime refuses, so the tool fails to stamp the
// header rather than stamp it with a wrong time.
void GetSystemTime(LPSYSTEMTIME time) {
  timespec now{};
  const bool read = clock_gettime(CLOCK_REALTIME, &now) == 0;
  posix_layer::SystemTimeFromClock(read ? &now : nullptr, *time);
}
