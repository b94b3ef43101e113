// A fault-injecting stand-in for the Win32 subset of platform/win32.h.
//
// Everything the tool can observe of the system lives in one object,
// fake::os: in-memory files (the tool's one, and the few more the build
// step touches), a clock, the standard handles with the text written to
// them, the command line, the environment, the system version and the last
// error. Every call is appended to a log, and any call can be made to fail
// (or, for reads and writes, to come up short) by name and occurrence.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "platform/win32.h"

namespace fake {

// Fixed, distinct handle values; none of them is null or INVALID_HANDLE_VALUE.
inline const HANDLE kOut = reinterpret_cast<HANDLE>(std::uintptr_t{0x0B0});
inline const HANDLE kErr = reinterpret_cast<HANDLE>(std::uintptr_t{0x0E0});
inline const HANDLE kFile = reinterpret_cast<HANDLE>(std::uintptr_t{0xF11E});

struct File {
  std::string name = "ver.h";
  bool exists = true;
  std::string bytes;
  std::size_t position = 0;
  FILETIME lastWrite{};
  bool locked = false;  // held by another opener
  bool open = false;
  DWORD access = 0;      // what the opener asked for: GENERIC_READ, GENERIC_WRITE or both
  DWORD accessEver = 0;  // what every opener asked for, granted or not, together
};

// Listed in os.faults: makes the `occurrence`-th logged call named `call`
// misbehave. With an error code the call fails with it after moving `bytes`
// bytes (a failed read or write that got part of the way); without one it
// succeeds but moves only `bytes` bytes (a short read or write).
struct Fault {
  std::string call;
  int occurrence = 1;
  DWORD error = 0;
  DWORD bytes = 0;
};

struct Os {
  File file;  // the tool's header, or the step's counter: handle kFile
  // Every other file, by name; files the program makes are added here. The
  // logged calls on a handle name its file ("WriteFile(version.h.new)").
  std::vector<File> others;

  // GetSystemTime reports `now`; any change of the file's content stamps it
  // with `systemWriteTime`, so tests can tell which time ended up there.
  SYSTEMTIME now{};
  FILETIME systemWriteTime{};

  // Standard handles, as GetStartupInfoA and GetStdHandle report them.
  DWORD startupFlags = 0;
  HANDLE startupOut = nullptr;
  HANDLE startupErr = nullptr;
  HANDLE stdOut = kOut;
  HANDLE stdErr = kErr;
  std::string out;  // everything written to kOut
  std::string err;  // everything written to kErr

  std::string commandLine = "revtick";
  std::map<std::string, std::string> environment;
  DWORD slept = 0;  // milliseconds, all Sleep calls together

  OSVERSIONINFOEXA version{};
  bool versionFails = false;
  DWORD versionSizeSeen = 0;

  DWORD lastError = 0;
  std::vector<std::string> log;
  std::vector<Fault> faults;

  UINT exitCode = 0;
};

extern Os os;

// The file named `name`, in os.file or os.others; null if there is none.
File* FindFile(const std::string& name);

// Restores every default: an existing empty "ver.h", console handles from
// GetStdHandle, NT 4.0, an empty log and no faults.
void Reset();

// Runs `body` until it returns or calls ExitProcess; gives the exit code, or
// ~0u when `body` returned.
UINT RunCatchingExit(void (*body)());

inline std::uint64_t Ticks(const FILETIME& time) { return FileTimeTicks(time); }
inline FILETIME MakeFileTime(std::uint64_t ticks) { return FileTimeFromTicks(ticks); }

}  // namespace fake
