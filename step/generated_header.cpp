#include <string.h>

#include "runtime/runtime.h"
#include "step/step.h"

namespace {

constexpr char kNewSuffix[] = ".new";

// Whether the header holds exactly `lines`; one that cannot be read does
// not, and is written.
bool HoldsLines(const char* header, const char* lines, int length) {
  HANDLE file = CreateFileA(header, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // One byte more than the lines can take, so that a longer header shows.
  char current[kDefinitionLinesSize];
  DWORD read = 0;
  const BOOL readAll = ReadFile(file, current, sizeof current, &read, nullptr);
  CloseHandle(file);
  return readAll && read == static_cast<DWORD>(length) && strncmp(lines, current, read) == 0;
}

// Whatever failed, the header keeps its old text and no half-written file
// is left beside it.
DWORD GiveUp(const char* format, const char* header, const char* newName, DWORD code) {
  DeleteFileA(newName);
  char errorText[kErrorTextSize];
  PrintErr(format, header, GetSystemErrorText(errorText, code));
  return kExitFileError;
}

// The whole text goes into a new file beside the header, which then takes
// the header's place at once: a compile never reads half a header.
DWORD ReplaceHeader(const char* header, const char* lines, int length) {
  char newName[kFileNameSize + sizeof kNewSuffix];
  wsprintfA(newName, "%s%s", header, kNewSuffix);
  HANDLE file = CreateFileA(newName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Not made, so not ours to delete: it may be another build's.
    char errorText[kErrorTextSize];
    PrintErr("Cannot write header \"%s\" (%s)", header,
             GetSystemErrorText(errorText, GetLastError()));
    return kExitFileError;
  }
  DWORD written = 0;
  DWORD code = ERROR_SUCCESS;
  bool wrote = WriteFile(file, lines, static_cast<DWORD>(length), &written, nullptr) != FALSE;
  if (!wrote) {
    code = GetLastError();
  } else if (written != static_cast<DWORD>(length)) {
    // A write that comes up short without failing ran out of room.
    wrote = false;
    code = ERROR_DISK_FULL;
  }
  // Some file systems report a failed write only when the file is closed.
  if (!CloseHandle(file) && wrote) {
    wrote = false;
    code = GetLastError();
  }
  if (!wrote) return GiveUp("Cannot write header \"%s\" (%s)", header, newName, code);
  if (!MoveFileExA(newName, header, MOVEFILE_REPLACE_EXISTING)) {
    return GiveUp("Cannot replace header \"%s\" (%s)", header, newName, GetLastError());
  }
  return kNoFailure;
}

}  // namespace

// A header that holds the lines already is left alone, so that nothing that
// includes it is compiled again.
DWORD WriteGeneratedHeader(const char* header, const char* lines, int length) {
  if (HoldsLines(header, lines, length)) return kNoFailure;
  return ReplaceHeader(header, lines, length);
}
