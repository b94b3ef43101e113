#include "tests/double/platform_double.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace fake {

Os os;

namespace {

// Error codes the double reports for misuse; errno values, like the rest.
constexpr DWORD kBadHandle = EBADF;
constexpr DWORD kNotFound = ENOENT;
constexpr DWORD kNoText = ENOMSG;
constexpr DWORD kNoRoom = ENOBUFS;

std::map<std::string, int> callCounts;
std::jmp_buf exitJump;
bool exitArmed = false;

// The system's texts, installed in the user's language alone, as Windows
// gives them with FORMAT_MESSAGE_MAX_WIDTH_MASK: one line, usually ending in
// a space where the stored text ends its line. One holds an insert.
constexpr DWORD kUserLanguage = 0x809;               // English (United Kingdom)
constexpr DWORD kUserDefault = 0x400, kNeutral = 0;  // both find the user's texts
constexpr DWORD kWithInsert = 193;
struct KnownText {
  DWORD code;
  const char* text;
};
constexpr KnownText kTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully. "},
    {ENOENT, "The system cannot find the file specified. "},
    {EACCES, "Access is denied. "},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process. "},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect. "},
    {ERROR_DISK_FULL, "There is not enough space on the disk. "},
    {ERROR_HANDLE_EOF, "Reached the end of the file. "},
    {0xE0071234u, "Custom component failed."},
    {0xE0070001u, "Ends in two spaces.  "},
    {kWithInsert, "%1 is not a valid Win32 application. "},
};

// The dispositions the tool never asks for, carried out, so that a wrong
// one shows in the file.
constexpr DWORD kCreateNew = 1, kCreateAlways = 2, kOpenAlways = 4, kTruncateExisting = 5;

std::string HandleName(HANDLE handle) {
  if (handle == nullptr) return "null";
  if (handle == INVALID_HANDLE_VALUE) return "invalid";
  if (handle == kOut) return "out";
  if (handle == kErr) return "err";
  if (handle == kFile) return "file";
  return "other";
}

// Logs the call and gives the fault planned for this occurrence, if any.
const Fault* Enter(const std::string& call) {
  os.log.push_back(call);
  const int occurrence = ++callCounts[call];
  for (const Fault& fault : os.faults)
    if (fault.call == call && fault.occurrence == occurrence) return &fault;
  return nullptr;
}

BOOL Failure(DWORD error) {
  os.lastError = error;
  return FALSE;
}

bool IsOpenFile(HANDLE handle) { return handle == kFile && os.file.open; }

// Why a call on `handle` that needs `access` fails: not the open file, or
// not opened for that; 0 when it may go on.
DWORD Refusal(HANDLE handle, DWORD access) {
  if (!IsOpenFile(handle)) return kBadHandle;
  return (os.file.access & access) != 0 ? 0 : EACCES;
}

// How many of `wanted` bytes a read or write moves under `fault`.
DWORD Moved(const Fault* fault, DWORD wanted) {
  return fault ? std::min(fault->bytes, wanted) : wanted;
}

void WriteIntoFile(const char* data, DWORD count) {
  std::string& bytes = os.file.bytes;
  if (bytes.size() < os.file.position + count) bytes.resize(os.file.position + count);
  bytes.replace(os.file.position, count, data, count);
  os.file.position += count;
  if (count > 0) os.file.lastWrite = os.systemWriteTime;
}

}  // namespace

void Reset() {
  os = Os{};
  os.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  os.version.dwMajorVersion = 4;
  os.version.dwMinorVersion = 0;
  callCounts.clear();
}

UINT RunCatchingExit(void (*body)()) {
  exitArmed = true;
  if (setjmp(exitJump) == 0) {
    body();
    exitArmed = false;
    return ~0u;
  }
  exitArmed = false;
  return os.exitCode;
}

}  // namespace fake

using fake::os;

extern "C" {

LPSTR GetCommandLineA() {
  fake::Enter("GetCommandLineA");
  return os.commandLine.data();
}

void ExitProcess(UINT exitCode) {
  fake::Enter("ExitProcess");
  os.exitCode = exitCode;
  if (fake::exitArmed) std::longjmp(fake::exitJump, 1);
  std::fprintf(stderr, "ExitProcess(%u) outside RunCatchingExit\n", exitCode);
  std::abort();
}

void GetStartupInfoA(LPSTARTUPINFOA info) {
  fake::Enter("GetStartupInfoA");
  *info = STARTUPINFOA{};
  info->cb = sizeof(STARTUPINFOA);
  info->dwFlags = os.startupFlags;
  info->hStdOutput = os.startupOut;
  info->hStdError = os.startupErr;
}

HANDLE GetStdHandle(DWORD which) {
  const bool out = which == STD_OUTPUT_HANDLE, err = which == STD_ERROR_HANDLE;
  fake::Enter(out ? "GetStdHandle(out)" : err ? "GetStdHandle(err)" : "GetStdHandle(other)");
  if (!out && !err) {
    fake::Failure(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return out ? os.stdOut : os.stdErr;
}

BOOL CloseHandle(HANDLE handle) {
  if (const fake::Fault* fault = fake::Enter("CloseHandle(" + fake::HandleName(handle) + ")"))
    return fake::Failure(fault->error);
  if (fake::IsOpenFile(handle)) {
    os.file.open = false;
    return TRUE;
  }
  return handle == fake::kOut || handle == fake::kErr ? TRUE : fake::Failure(fake::kBadHandle);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE) {
  const fake::Fault* fault = fake::Enter("CreateFileA");
  fake::File& file = os.file;
  const bool creates = disposition == fake::kCreateNew || disposition == fake::kCreateAlways ||
                       disposition == fake::kOpenAlways;
  DWORD error = fault ? fault->error : 0;
  if (!error && (name == nullptr || name != file.name)) error = fake::kNotFound;
  if (!error && !file.exists && !creates) error = fake::kNotFound;
  if (!error && file.exists && disposition == fake::kCreateNew) error = EEXIST;
  if (!error && (file.locked || file.open)) error = ERROR_SHARING_VIOLATION;
  if (error) {
    fake::Failure(error);
    return INVALID_HANDLE_VALUE;
  }
  if (!file.exists || disposition == fake::kCreateAlways ||
      disposition == fake::kTruncateExisting) {
    file.bytes.clear();
    file.lastWrite = os.systemWriteTime;
  }
  file.exists = true;
  file.open = true;
  file.access = access;
  file.position = 0;
  return fake::kFile;
}

// Like the POSIX layer, only the last-write time: the tool asks for no other.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  if (const fake::Fault* fault = fake::Enter("GetFileTime")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_READ)) return fake::Failure(refused);
  if (creation || lastAccess || !lastWrite) return fake::Failure(ERROR_INVALID_PARAMETER);
  *lastWrite = os.file.lastWrite;
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  if (const fake::Fault* fault = fake::Enter("SetFileTime")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_WRITE)) return fake::Failure(refused);
  if (creation || lastAccess || !lastWrite) return fake::Failure(ERROR_INVALID_PARAMETER);
  os.file.lastWrite = *lastWrite;
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  const fake::Fault* fault = fake::Enter("ReadFile");
  if (read) *read = 0;
  if (const DWORD refused = fake::Refusal(file, GENERIC_READ)) return fake::Failure(refused);
  const std::size_t left =
      os.file.bytes.size() > os.file.position ? os.file.bytes.size() - os.file.position : 0;
  const DWORD count = fake::Moved(fault, std::min<DWORD>(toRead, static_cast<DWORD>(left)));
  std::memcpy(buffer, os.file.bytes.data() + os.file.position, count);
  os.file.position += count;
  if (read) *read = count;
  return fault && fault->error ? fake::Failure(fault->error) : TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  const fake::Fault* fault = fake::Enter("WriteFile(" + fake::HandleName(file) + ")");
  if (written) *written = 0;
  const char* data = static_cast<const char*>(buffer);
  const DWORD count = fake::Moved(fault, toWrite);
  if (file == fake::kOut || file == fake::kErr)
    (file == fake::kOut ? os.out : os.err).append(data, count);
  else if (const DWORD refused = fake::Refusal(file, GENERIC_WRITE))
    return fake::Failure(refused);
  else
    fake::WriteIntoFile(data, count);
  if (written) *written = count;
  return fault && fault->error ? fake::Failure(fault->error) : TRUE;
}

// A move from the start of the file, the only one the tool makes.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  if (const fake::Fault* fault = fake::Enter("SetFilePointer")) {
    fake::Failure(fault->error);
    return INVALID_SET_FILE_POINTER;
  }
  if (!fake::IsOpenFile(file) || distanceHigh || method != FILE_BEGIN || distance < 0) {
    fake::Failure(fake::IsOpenFile(file) ? ERROR_INVALID_PARAMETER : fake::kBadHandle);
    return INVALID_SET_FILE_POINTER;
  }
  os.file.position = static_cast<std::size_t>(distance);
  // Like Windows, a successful move clears the last error, since callers
  // must be able to tell 0xFFFFFFFF as a position from a failure.
  os.lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(distance);
}

BOOL SetEndOfFile(HANDLE file) {
  if (const fake::Fault* fault = fake::Enter("SetEndOfFile")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_WRITE)) return fake::Failure(refused);
  os.file.bytes.resize(os.file.position);
  os.file.lastWrite = os.systemWriteTime;
  return TRUE;
}

void GetSystemTime(LPSYSTEMTIME time) {
  fake::Enter("GetSystemTime");
  *time = os.now;
}

DWORD GetLastError() { return os.lastError; }

void SetLastError(DWORD code) { os.lastError = code; }

// Sets the last error on success too (to 0), as a system call may: whoever
// needs an earlier code must have kept it. Only the system's own texts, in
// the user's language; inserts are filled in unless the caller says not to
// (here, with no arguments, that fails), and without a width the text keeps
// the line end it is stored with.
DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD code, DWORD language, LPSTR buffer, DWORD size,
                     va_list_t*) {
  const bool userLanguage = language == fake::kNeutral || language == fake::kUserDefault ||
                            language == fake::kUserLanguage;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !userLanguage) return fake::Failure(fake::kNoText);
  const auto* known = std::find_if(std::begin(fake::kTexts), std::end(fake::kTexts),
                                   [code](const fake::KnownText& t) { return t.code == code; });
  if (known == std::end(fake::kTexts)) return fake::Failure(fake::kNoText);
  std::string text = known->text;
  if (!(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && text.find('%') != std::string::npos)
    return fake::Failure(ERROR_INVALID_PARAMETER);
  if (!(flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) && text.ends_with(' '))
    text.replace(text.size() - 1, 1, "\r\n");
  const DWORD length = static_cast<DWORD>(text.size());
  if (length + 1 > size) return fake::Failure(fake::kNoRoom);
  std::memcpy(buffer, text.c_str(), length + 1);
  os.lastError = ERROR_SUCCESS;
  return length;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  fake::Enter("GetVersionExA");
  os.versionSizeSeen = info->dwOSVersionInfoSize;
  if (os.versionFails || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))
    return fake::Failure(ERROR_INVALID_PARAMETER);
  std::memcpy(reinterpret_cast<char*>(info) + sizeof(DWORD),
              reinterpret_cast<const char*>(&os.version) + sizeof(DWORD),
              sizeof(OSVERSIONINFOEXA) - sizeof(DWORD));
  return TRUE;
}

}  // extern "C"
