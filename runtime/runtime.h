// Runtime support: the two output handles, the start-up check, console
// messages, texts for system error codes, and the scanning routines that
// walk the command line and the header text. Nothing here allocates.
#pragma once

#include <stdarg.h>

#include "platform/win32.h"

// Process-wide output channels; null until RunTool sets them.
extern HANDLE OutputHandle;
extern HANDLE ErrorHandle;
// Text every error message starts with, when set; the tool sets none. The
// build step sets "<counter>: error: ", the form build systems show as an
// error on a file.
extern const char* ErrorLead;

// A message carries at most this many characters of text.
inline constexpr int kMessageAllowance = 1021;
// Room for the text of one system error code.
inline constexpr int kErrorTextSize = 256;

bool StartRuntime();

void WriteFormatted(HANDLE handle, const char* format, va_list arguments);
void PrintOut(const char* format, ...);
void PrintErr(const char* format, ...);

char* FormatSystemError(char* buffer, int size, DWORD code);
char* GetSystemErrorText(char (&buffer)[kErrorTextSize], DWORD code);

bool IsBlank(char c);
const char* SkipBlanks(const char* position);
const char* FindBlank(const char* position);
const char* ExtractArgument(const char* source, char* output, int capacity);
DWORD ParseUnsigned(const char* position, const char** end);
