// What the process learns of the system it runs on: its start-up
// information, its standard channels, and the version it reports.
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/posix_platform.h"

namespace {

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

}  // namespace

void GetStartupInfoA(LPSTARTUPINFOA info) {
  *info = STARTUPINFOA{};
  info->cb = sizeof *info;
}

// The output and error channels, which the tool writes to; a descriptor
// that is not open gives a null handle.
HANDLE GetStdHandle(DWORD which) {
  int fd = -1;
  if (which == STD_OUTPUT_HANDLE) fd = STDOUT_FILENO;
  if (which == STD_ERROR_HANDLE) fd = STDERR_FILENO;
  if (fd < 0) {
    posix_layer::Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return IsOpen(fd) ? posix_layer::HandleFromFd(fd) : nullptr;
}

// Reports a current member of the NT family, in the extended record the
// tool asks with; any other record size fails.
BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  auto* extended = reinterpret_cast<OSVERSIONINFOEXA*>(info);
  *extended = OSVERSIONINFOEXA{};
  extended->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  extended->dwMajorVersion = 10;
  extended->dwMinorVersion = 0;
  extended->dwPlatformId = VER_PLATFORM_WIN32_NT;
  return TRUE;
}
