#include "platform/posix/bounded_text.h"
#include "platform/posix/posix_platform.h"

namespace {

// wsprintfA never writes more than this, terminator included.
constexpr int kWsprintfLimit = 1024;

void PutDecimal(posix_layer::BoundedText& out, unsigned value) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out.Put(digits[--count]);
}

}  // namespace

int lstrlenA(LPCSTR text) {
  if (text == nullptr) return 0;
  int length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int capacity) {
  if (capacity <= 0) return dest;
  int i = 0;
  for (; i < capacity - 1 && src[i] != '\0'; ++i) dest[i] = src[i];
  dest[i] = '\0';
  return dest;
}

// The formats the tool uses: %s, %u, %c and %%. Any other character after
// a percent sign stands for itself.
int wvnsprintfA(LPSTR dest, int capacity, LPCSTR format, va_list_t arguments) {
  if (dest == nullptr || capacity <= 0) return -1;
  posix_layer::BoundedText out(dest, capacity);
  for (; *format != '\0'; ++format) {
    if (*format != '%' || format[1] == '\0') {
      out.Put(*format);
      continue;
    }
    switch (*++format) {
      case 's': {
        const char* text = va_arg(arguments, const char*);
        out.Put(text != nullptr ? text : "(null)");
        break;
      }
      case 'u': PutDecimal(out, va_arg(arguments, unsigned)); break;
      case 'c': out.Put(static_cast<char>(va_arg(arguments, int))); break;
      default: out.Put(*format); break;
    }
  }
  return out.Finish() ? out.length() : -1;
}

int wsprintfA(LPSTR dest, LPCSTR format, ...) {
  va_list_t arguments;
  va_start(arguments, format);
  const int length = wvnsprintfA(dest, kWsprintfLimit, format, arguments);
  va_end(arguments);
  return length;
}
