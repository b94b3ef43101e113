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

// The handles of os.others follow one another from here.
constexpr std::uintptr_t kFirstOtherHandle = 0xF200;

HANDLE OtherHandle(std::size_t index) {
  return reinterpret_cast<HANDLE>(kFirstOtherHandle + index);
}

// The file a handle stands for, open or not; null for any other handle.
File* FileOf(HANDLE handle) {
  if (handle == kFile) return &os.file;
  const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
  if (value < kFirstOtherHandle || value - kFirstOtherHandle >= os.others.size()) return nullptr;
  return &os.others[value - kFirstOtherHandle];
}

std::string HandleName(HANDLE handle) {
  if (handle == nullptr) return "null";
  if (handle == INVALID_HANDLE_VALUE) return "invalid";
  if (handle == kOut) return "out";
  if (handle == kErr) return "err";
  if (handle == kFile) return "file";
  if (const File* file = FileOf(handle)) return file->name;
  return "other";
}

HANDLE HandleOf(const File& file) {
  if (&file == &os.file) return kFile;
  return OtherHandle(static_cast<std::size_t>(&file - os.others.data()));
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

// The open file a handle stands for, or null.
File* OpenFile(HANDLE handle) {
  File* file = FileOf(handle);
  return file != nullptr && file->open ? file : nullptr;
}

// Why a call on `handle` that needs `access` fails: not an open file, or
// not opened for that; 0 when it may go on.
DWORD Refusal(HANDLE handle, DWORD access) {
  const File* file = OpenFile(handle);
  if (file == nullptr) return kBadHandle;
  return (file->access & access) != 0 ? 0 : EACCES;
}

// How many of `wanted` bytes a read or write moves under `fault`.
DWORD Moved(const Fault* fault, DWORD wanted) {
  return fault ? std::min(fault->bytes, wanted) : wanted;
}

void WriteIntoFile(File& file, const char* data, DWORD count) {
  std::string& bytes = file.bytes;
  if (bytes.size() < file.position + count) bytes.resize(file.position + count);
  bytes.replace(file.position, count, data, count);
  file.position += count;
  if (count > 0) file.lastWrite = os.systemWriteTime;
}

// The file named `name`, added (not existing yet) when there is none.
File& FileNamed(const std::string& name) {
  if (File* file = FindFile(name)) return *file;
  File& added = os.others.emplace_back();
  added.name = name;
  added.exists = false;
  return added;
}

}  // namespace

File* FindFile(const std::string& name) {
  if (os.file.name == name) return &os.file;
  for (File& file : os.others)
    if (file.name == name) return &file;
  return nullptr;
}

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

// A close that fails (a write the file system reports late) lets go of the
// file all the same, as both systems do.
BOOL CloseHandle(HANDLE handle) {
  const fake::Fault* fault = fake::Enter("CloseHandle(" + fake::HandleName(handle) + ")");
  fake::File* open = fake::OpenFile(handle);
  if (open) open->open = false;
  if (fault) return fake::Failure(fault->error);
  return open || handle == fake::kOut || handle == fake::kErr ? TRUE
                                                              : fake::Failure(fake::kBadHandle);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE) {
  const fake::Fault* fault = fake::Enter("CreateFileA");
  const bool creates = disposition == fake::kCreateNew || disposition == fake::kCreateAlways ||
                       disposition == fake::kOpenAlways;
  fake::File* found = name != nullptr ? fake::FindFile(name) : nullptr;
  const bool exists = found != nullptr && found->exists;
  if (found != nullptr) found->accessEver |= access;
  DWORD error = fault ? fault->error : 0;
  if (!error && (name == nullptr || (!exists && !creates))) error = fake::kNotFound;
  if (!error && exists && disposition == fake::kCreateNew) error = EEXIST;
  if (!error && found != nullptr && (found->locked || found->open)) error = ERROR_SHARING_VIOLATION;
  if (error) {
    fake::Failure(error);
    return INVALID_HANDLE_VALUE;
  }
  fake::File& file = fake::FileNamed(name);
  if (!file.exists || disposition == fake::kCreateAlways ||
      disposition == fake::kTruncateExisting) {
    file.bytes.clear();
    file.lastWrite = os.systemWriteTime;
  }
  file.exists = true;
  file.open = true;
  file.access = access;
  file.position = 0;
  return fake::HandleOf(file);
}

// Like the POSIX layer, only the last-write time: the tool asks for no other.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  if (const fake::Fault* fault = fake::Enter("GetFileTime")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_READ)) return fake::Failure(refused);
  if (creation || lastAccess || !lastWrite) return fake::Failure(ERROR_INVALID_PARAMETER);
  *lastWrite = fake::OpenFile(file)->lastWrite;
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  if (const fake::Fault* fault = fake::Enter("SetFileTime")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_WRITE)) return fake::Failure(refused);
  if (creation || lastAccess || !lastWrite) return fake::Failure(ERROR_INVALID_PARAMETER);
  fake::OpenFile(file)->lastWrite = *lastWrite;
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  const fake::Fault* fault = fake::Enter("ReadFile");
  if (read) *read = 0;
  if (const DWORD refused = fake::Refusal(file, GENERIC_READ)) return fake::Failure(refused);
  fake::File& open = *fake::OpenFile(file);
  const std::size_t left =
      open.bytes.size() > open.position ? open.bytes.size() - open.position : 0;
  const DWORD count = fake::Moved(fault, std::min<DWORD>(toRead, static_cast<DWORD>(left)));
  std::memcpy(buffer, open.bytes.data() + open.position, count);
  open.position += count;
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
    fake::WriteIntoFile(*fake::OpenFile(file), data, count);
  if (written) *written = count;
  return fault && fault->error ? fake::Failure(fault->error) : TRUE;
}

// A move from the start of the file, the only one the tool makes.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  if (const fake::Fault* fault = fake::Enter("SetFilePointer")) {
    fake::Failure(fault->error);
    return INVALID_SET_FILE_POINTER;
  }
  fake::File* open = fake::OpenFile(file);
  if (!open || distanceHigh || method != FILE_BEGIN || distance < 0) {
    fake::Failure(open ? ERROR_INVALID_PARAMETER : fake::kBadHandle);
    return INVALID_SET_FILE_POINTER;
  }
  open->position = static_cast<std::size_t>(distance);
  // Like Windows, a successful move clears the last error, since callers
  // must be able to tell 0xFFFFFFFF as a position from a failure.
  os.lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(distance);
}

BOOL SetEndOfFile(HANDLE file) {
  if (const fake::Fault* fault = fake::Enter("SetEndOfFile")) return fake::Failure(fault->error);
  if (const DWORD refused = fake::Refusal(file, GENERIC_WRITE)) return fake::Failure(refused);
  fake::File& open = *fake::OpenFile(file);
  open.bytes.resize(open.position);
  open.lastWrite = os.systemWriteTime;
  return TRUE;
}

// Replaces the target in one step, as MOVEFILE_REPLACE_EXISTING asks; an
// open file or a held one is neither moved nor replaced.
BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (const fake::Fault* fault = fake::Enter("MoveFileExA")) return fake::Failure(fault->error);
  fake::File* source = existingName ? fake::FindFile(existingName) : nullptr;
  if (!source || !source->exists || !newName) return fake::Failure(fake::kNotFound);
  const fake::File* existing = fake::FindFile(newName);
  const bool replaces = existing != nullptr && existing->exists;
  if (replaces && !(flags & MOVEFILE_REPLACE_EXISTING)) return fake::Failure(EEXIST);
  if (source->open || source->locked || (replaces && (existing->open || existing->locked)))
    return fake::Failure(EACCES);
  const std::string bytes = source->bytes;
  const FILETIME lastWrite = source->lastWrite;
  source->exists = false;
  source->bytes.clear();
  fake::File& target = fake::FileNamed(newName);  // may move os.others: `source` is done with
  target.exists = true;
  target.bytes = bytes;
  target.lastWrite = lastWrite;
  return TRUE;
}

BOOL DeleteFileA(LPCSTR name) {
  if (const fake::Fault* fault = fake::Enter("DeleteFileA")) return fake::Failure(fault->error);
  fake::File* file = name ? fake::FindFile(name) : nullptr;
  if (!file || !file->exists) return fake::Failure(fake::kNotFound);
  if (file->open || file->locked) return fake::Failure(ERROR_SHARING_VIOLATION);
  file->exists = false;
  file->bytes.clear();
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  fake::Enter("Sleep");
  os.slept += milliseconds;
}

// As Windows: the length when the value fits with its terminator, else the
// room it needs; 0 for an empty value, and for none with
// ERROR_ENVVAR_NOT_FOUND.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (const fake::Fault* fault = fake::Enter("GetEnvironmentVariableA")) {
    return fake::Failure(fault->error);
  }
  const auto found = name ? os.environment.find(name) : os.environment.end();
  if (found == os.environment.end()) return fake::Failure(ERROR_ENVVAR_NOT_FOUND);
  const std::string& value = found->second;
  const DWORD length = static_cast<DWORD>(value.size());
  if (length >= size) return length + 1;
  std::memcpy(buffer, value.c_str(), length + 1);
  return length;
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
