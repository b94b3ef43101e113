// The C library's string routines as the program has them: defined in
// windows/c_routines.cpp, not imported from a C runtime. The cl-style builds
// find this header first, so that they need no Windows SDK, and so that no
// runtime's header declares these routines dllimport: lld-link leaves the
// pointers of imports that are defined locally unfilled once /OPT:REF
// drops their thunks, and the program crashes on its first call.
#pragma once

#include <stddef.h>

extern "C" {
void* memcpy(void* dest, const void* src, size_t count);
void* memset(void* dest, int value, size_t count);
int strncmp(const char* left, const char* right, size_t count);
char* strchr(const char* text, int character);
}
