#include "runtime/runtime.h"

namespace {

constexpr char kQuote = '"';
constexpr DWORD kMaxValue = 0xFFFFFFFF;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* position) {
  while (IsBlank(*position)) ++position;
  return position;
}

const char* FindBlank(const char* position) {
  while (*position != '\0' && !IsBlank(*position)) ++position;
  return position;
}

// Takes one argument off a command line: blank-delimited, or enclosed in
// double quotes; a doubled double quote stands for one, inside quotes or
// not. A long argument is cut to the field without notice.
const char* ExtractArgument(const char* source, char* output, int capacity) {
  if (output != nullptr) *output = '\0';
  if (*source == '\0') return nullptr;
  const bool quoted = *source == kQuote;
  if (quoted) ++source;
  int copied = 0;
  for (;; ++source) {
    const char c = *source;
    if (c == '\0') {
      if (quoted) return nullptr;
      break;
    }
    if (c == kQuote && source[1] == kQuote) {
      ++source;
    } else if (quoted ? c == kQuote : IsBlank(c)) {
      break;
    }
    if (output != nullptr && copied < capacity - 1) output[copied++] = c;
  }
  if (output != nullptr) output[copied] = '\0';
  return quoted ? source + 1 : source;
}

DWORD ParseUnsigned(const char* position, const char** end) {
  const char* walk = position;
  DWORD value = 0;
  for (; IsDigit(*walk); ++walk) {
    const unsigned long long next = value * 10ull + static_cast<unsigned>(*walk - '0');
    if (next > kMaxValue) {
      if (end != nullptr) *end = position;
      return kMaxValue;
    }
    value = static_cast<DWORD>(next);
  }
  if (end != nullptr) *end = walk;
  return value;
}
