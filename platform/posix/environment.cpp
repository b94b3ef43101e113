// The process's environment, as GetEnvironmentVariableA reads it.
#include <stdlib.h>
#include <string.h>

#include "platform/posix/posix_platform.h"

// The value's length when it fits with its terminator; otherwise the room
// it needs, terminator included, and nothing copied. A variable that is not
// set gives 0 and ERROR_ENVVAR_NOT_FOUND, an empty one 0 alone.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name != nullptr ? getenv(name) : nullptr;
  if (value == nullptr) return posix_layer::Fail(ERROR_ENVVAR_NOT_FOUND);
  const size_t length = strlen(value);
  if (length >= size || buffer == nullptr) return static_cast<DWORD>(length + 1);
  memcpy(buffer, value, length + 1);
  return static_cast<DWORD>(length);
}
