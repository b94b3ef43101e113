#include <errno.h>
#include <string.h>

#include "platform/posix/posix_platform.h"

namespace {

// errno between two calls belongs to the C library; the last error is the
// tool's own and changes only when a call of ours fails or it is set.
DWORD lastError = 0;

const char* Describe(DWORD code) {
  if (code == posix::kNotRegularFile) return "Not a regular file";
  return code <= 0xFFFF ? posix::ErrnoText(static_cast<int>(code)) : nullptr;
}

}  // namespace

namespace posix {

BOOL Fail(DWORD code) {
  lastError = code;
  return FALSE;
}

BOOL FailWithErrno() { return Fail(static_cast<DWORD>(errno)); }

}  // namespace posix

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD code, DWORD, LPSTR buffer, DWORD size,
                     va_list_t*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr) {
    return posix::Fail(ERROR_INVALID_PARAMETER);
  }
  const char* text = Describe(code);
  if (text == nullptr) return posix::Fail(ENOMSG);
  const DWORD length = static_cast<DWORD>(strlen(text));
  if (length >= size) return posix::Fail(ERANGE);
  memcpy(buffer, text, length + 1);
  return length;
}
