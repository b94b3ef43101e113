// The Win32 subset the tool and its build step call, and nothing more.
//
// On Windows this is the system's own API. Elsewhere the same names are
// declared here and provided by a platform implementation linked into the
// program (platform/posix) or by the fault-injecting double of the tests.
// This header and those implementations are the only code that knows which
// operating system it runs on.
//
// mingw-w64 brings its own Windows headers. cl and clang-cl get the
// declarations below, as the system's DLLs export them, so that building
// the program needs no Windows SDK.
#pragma once

#if defined(_WIN32) && !defined(_MSC_VER)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <shlwapi.h>
#include <windows.h>

#else

// The C library's own headers, not the C++ ones: the tool needs nothing of
// the C++ library, and a build against musl sees musl's headers alone.
#include <stdarg.h>
#include <stdint.h>

#ifdef _WIN32
// The system's routines: called through the import table (dllimport), and
// on 32-bit x86 with the callee popping its arguments (__stdcall) except
// where they are variadic.
#define REVTICK_SYSTEM __declspec(dllimport)
#define REVTICK_WINAPI __stdcall
#else
#include <errno.h>
#define REVTICK_SYSTEM
#define REVTICK_WINAPI
#endif

// The SDK's sizes (its DWORD and LONG are longs, 32 bits wide on Windows).
using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using PLONG = LONG*;
using UINT = unsigned int;
using HANDLE = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using va_list_t = va_list;

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define FILE_SHARE_READ 0x1u
#define MOVEFILE_REPLACE_EXISTING 0x1u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define FILE_BEGIN 0u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))
#define STARTF_USESTDHANDLES 0x100u
#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x200u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x1000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0xFFu
#define LANG_NEUTRAL 0x00u
#define SUBLANG_DEFAULT 0x01u
#define MAKELANGID(p, s) ((static_cast<WORD>(s) << 10) | static_cast<WORD>(p))

#define ERROR_SUCCESS 0u
#ifdef _WIN32
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_HANDLE_EOF 38u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_DISK_FULL 112u
#define ERROR_ENVVAR_NOT_FOUND 203u
#else
// System error codes are errno values here (facility 0). The tool names the
// few it sets itself by their Win32 names.
#define ERROR_INVALID_PARAMETER static_cast<DWORD>(EINVAL)
#define ERROR_HANDLE_EOF static_cast<DWORD>(ENODATA)
#define ERROR_DISK_FULL static_cast<DWORD>(ENOSPC)
#define ERROR_SHARING_VIOLATION static_cast<DWORD>(EBUSY)
#define ERROR_ENVVAR_NOT_FOUND static_cast<DWORD>(ENOENT)
#endif

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

using LPFILETIME = FILETIME*;
using LPSYSTEMTIME = SYSTEMTIME*;
using LPSTARTUPINFOA = STARTUPINFOA*;
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

extern "C" {
// Process
REVTICK_SYSTEM LPSTR REVTICK_WINAPI GetCommandLineA();
[[noreturn]] REVTICK_SYSTEM void REVTICK_WINAPI ExitProcess(UINT exitCode);
REVTICK_SYSTEM void REVTICK_WINAPI GetStartupInfoA(LPSTARTUPINFOA info);
REVTICK_SYSTEM HANDLE REVTICK_WINAPI GetStdHandle(DWORD which);
REVTICK_SYSTEM BOOL REVTICK_WINAPI CloseHandle(HANDLE handle);
REVTICK_SYSTEM void REVTICK_WINAPI Sleep(DWORD milliseconds);
REVTICK_SYSTEM DWORD REVTICK_WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

// Files and their times
REVTICK_SYSTEM HANDLE REVTICK_WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                                                 LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                                 DWORD flags, HANDLE templateFile);
REVTICK_SYSTEM BOOL REVTICK_WINAPI GetFileTime(HANDLE handle, LPFILETIME creation,
                                               LPFILETIME lastAccess, LPFILETIME lastWrite);
REVTICK_SYSTEM BOOL REVTICK_WINAPI SetFileTime(HANDLE handle, const FILETIME* creation,
                                               const FILETIME* lastAccess,
                                               const FILETIME* lastWrite);
REVTICK_SYSTEM BOOL REVTICK_WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead,
                                            LPDWORD read, LPOVERLAPPED overlapped);
REVTICK_SYSTEM BOOL REVTICK_WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite,
                                             LPDWORD written, LPOVERLAPPED overlapped);
REVTICK_SYSTEM DWORD REVTICK_WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh,
                                                   DWORD method);
REVTICK_SYSTEM BOOL REVTICK_WINAPI SetEndOfFile(HANDLE handle);
REVTICK_SYSTEM BOOL REVTICK_WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
REVTICK_SYSTEM BOOL REVTICK_WINAPI DeleteFileA(LPCSTR name);

// Clock
REVTICK_SYSTEM void REVTICK_WINAPI GetSystemTime(LPSYSTEMTIME time);
REVTICK_SYSTEM BOOL REVTICK_WINAPI SystemTimeToFileTime(const SYSTEMTIME* time,
                                                        LPFILETIME fileTime);

// Errors and the system
REVTICK_SYSTEM DWORD REVTICK_WINAPI GetLastError();
REVTICK_SYSTEM void REVTICK_WINAPI SetLastError(DWORD code);
REVTICK_SYSTEM DWORD REVTICK_WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD code,
                                                   DWORD language, LPSTR buffer, DWORD size,
                                                   va_list_t* arguments);
REVTICK_SYSTEM BOOL REVTICK_WINAPI GetVersionExA(LPOSVERSIONINFOA info);

// Text
REVTICK_SYSTEM int REVTICK_WINAPI lstrlenA(LPCSTR text);
REVTICK_SYSTEM LPSTR REVTICK_WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int capacity);
REVTICK_SYSTEM int wsprintfA(LPSTR dest, LPCSTR format, ...);
REVTICK_SYSTEM int REVTICK_WINAPI wvnsprintfA(LPSTR dest, int capacity, LPCSTR format,
                                              va_list_t arguments);
}

#endif
