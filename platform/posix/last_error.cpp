// The last error of the Win32 calls, which the layer sets on every failure,
// and FormatMessageA, which gives its text.
#include <errno.h>
#include <string.h>

#include "platform/posix/posix_platform.h"

namespace {

// errno between two calls belongs to the C library; the last error is the
// tool's own and changes only when a call of ours fails or it is set.
DWORD lastError = 0;

const char* Describe(DWORD code) {
  if (code == posix_layer::kNotRegularFile) return "Not a regular file";
  return code <= 0xFFFF ? posix_layer::ErrnoText(static_cast<int>(code)) : nullptr;
}

}  // namespace

namespace posix_layer {

BOOL Fail(DWORD code) {
  lastError = code;
  return FALSE;
}

BOOL FailWithErrno() { return Fail(static_cast<DWORD>(errno)); }

}  // namespace posix_layer

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD code, DWORD, LPSTR buffer, DWORD size,
                     va_list_t*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  const char* text = Describe(code);
  if (text == nullptr) return posix_layer::Fail(ENOMSG);
  const DWORD length = static_cast<DWORD>(strlen(text));
  if (length >= size) return posix_layer::Fail(ERANGE);
  memcpy(buffer, text, length + 1);
  return length;
}
