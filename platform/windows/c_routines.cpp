// The few C library routines the tool needs, for a program that links no C
// runtime. The tool calls strncmp and strchr itself; the compiler emits
// calls to memcpy and memset for copies and clears of whole records.
//
// This file is built with loop-to-call rewriting off, so that the compiler
// cannot turn these loops back into calls to themselves.
#include <stddef.h>

#if defined(_MSC_VER) && !defined(__clang__)
// cl refuses definitions of the routines it has as intrinsics, unless told
// that here they are functions.
#pragma function(memcpy, memset)
#endif

extern "C" {

void* memcpy(void* dest, const void* src, size_t count) {
  auto* to = static_cast<unsigned char*>(dest);
  const auto* from = static_cast<const unsigned char*>(src);
  for (; count != 0; --count) *to++ = *from++;
  return dest;
}

void* memset(void* dest, int value, size_t count) {
  auto* to = static_cast<unsigned char*>(dest);
  for (; count != 0; --count) *to++ = static_cast<unsigned char>(value);
  return dest;
}

int strncmp(const char* left, const char* right, size_t count) {
  const auto* l = reinterpret_cast<const unsigned char*>(left);
  const auto* r = reinterpret_cast<const unsigned char*>(right);
  for (; count != 0 && *l != 0 && *l == *r; --count) ++l, ++r;
  return count == 0 ? 0 : *l - *r;
}

char* strchr(const char* text, int character) {
  const char wanted = static_cast<char>(character);
  for (; *text != wanted; ++text) {
    if (*text == '\0') return nullptr;
  }
  return const_cast<char*>(text);
}

}  // extern "C"
