// The text of an error code as the tool's messages show it: "0/2 - The system
// cannot find the file specified.", or "u0/1 - ..." for an application's own code.
#include "runtime/runtime.h"

namespace {

// Bit 29 marks a code that an application defined rather than the system
// (a "customer" code). Such a code is shown with a "u" in front, so that it
// is never taken for the system's error of the same facility and number.
constexpr DWORD kCustomerBit = 0x20000000;
constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
constexpr int kSeparatorLength = 3;  // of the " - " between the numbers and the text

}  // namespace

char* FormatSystemError(char* buffer, int size, DWORD code) {
  const DWORD saved = GetLastError();
  // "facility/number - text", or the numbers alone when there is no text.
  const int prefix = wsprintfA(buffer, "%s%u/%u - ", (code & kCustomerBit) ? "u" : "",
                               (code >> 16) & 0x1FFF, code & 0xFFFF);
  char* const text = buffer + prefix;
  const DWORD length =
      FormatMessageA(kMessageFlags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                     static_cast<DWORD>(size - lstrlenA(buffer) - 1), nullptr);
  if (length != 0) {
    // Texts of unlimited width come back ending in a space.
    const int last = lstrlenA(text) - 1;
    if (last >= 0 && text[last] == ' ') text[last] = '\0';
  } else {
    buffer[prefix - kSeparatorLength] = '\0';
  }
  SetLastError(saved);
  return buffer;
}

char* GetSystemErrorText(char (&buffer)[kErrorTextSize], DWORD code) {
  return FormatSystemError(buffer, kErrorTextSize, code);
}
