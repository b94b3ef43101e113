#include "runtime/runtime.h"

namespace {

constexpr DWORD kCustomerBit = 0x20000000;
constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
constexpr int kPrefixTail = 3;  // the " - " between the numbers and the text

}  // namespace

char* FormatSystemError(char* buffer, int size, DWORD code) {
  const DWORD saved = GetLastError();
  const int prefix = wsprintfA(buffer, "%s%u/%u - ", (code & kCustomerBit) ? "u" : "",
                               (code >> 16) & 0x1FFF, code & 0xFFFF);
  char* text = buffer + prefix;
  const DWORD length =
      FormatMessageA(kMessageFlags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                     static_cast<DWORD>(size - lstrlenA(buffer) - 1), nullptr);
  if (length != 0) {
    // Texts of unlimited width come back ending in a space.
    const int last = lstrlenA(text) - 1;
    if (last >= 0 && text[last] == ' ') text[last] = '\0';
  } else {
    text[-kPrefixTail] = '\0';
  }
  SetLastError(saved);
  return buffer;
}

char* GetSystemErrorText(char (&buffer)[kErrorTextSize], DWORD code) {
  return FormatSystemError(buffer, kErrorTextSize, code);
}
