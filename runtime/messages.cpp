#include "runtime/runtime.h"

// The channels every message goes to; RunTool points them at the standard
// output and error it was given.
HANDLE OutputHandle = nullptr;
HANDLE ErrorHandle = nullptr;
const char* ErrorLead = nullptr;

namespace {

constexpr int kMessageFieldSize = 1024;
// The formatter gets the allowance plus its terminator; the last bytes of
// the field stay spare.
constexpr int kFormatterSize = kMessageAllowance + 1;

void WriteText(HANDLE handle, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  WriteFormatted(handle, format, arguments);
  va_end(arguments);
}

// Every message is two writes: its text, then the line end.
void PrintLine(HANDLE handle, const char* format, va_list arguments) {
  WriteFormatted(handle, format, arguments);
  WriteText(handle, "\r\n");
}

}  // namespace

void WriteFormatted(HANDLE handle, const char* format, va_list arguments) {
  char message[kMessageFieldSize];
  message[0] = '\0';
  int length = wvnsprintfA(message, kFormatterSize, format, arguments);
  if (length < 0 || length > kMessageAllowance) {
    // The text did not fit: the formatter reports failure but leaves the
    // text cut to the allowance, and that is what gets written.
    message[kMessageAllowance] = '\0';
    length = lstrlenA(message);
  }
  DWORD written = 0;
  WriteFile(handle, message, static_cast<DWORD>(length), &written, nullptr);
}

void PrintOut(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  PrintLine(OutputHandle, format, arguments);
  va_end(arguments);
}

void PrintErr(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  if (ErrorLead != nullptr) {
    DWORD written = 0;
    WriteFile(ErrorHandle, ErrorLead, static_cast<DWORD>(lstrlenA(ErrorLead)), &written, nullptr);
  }
  PrintLine(ErrorHandle, format, arguments);
  va_end(arguments);
}
