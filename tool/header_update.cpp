#include <string.h>

#include "platform/file_time.h"
#include "runtime/runtime.h"
#include "tool/tool.h"

namespace {

constexpr char kDefineWord[8] = "#define";
constexpr int kHeaderTextSize = 256;
constexpr int kCountedBytes = kHeaderTextSize - 1;
// Any name that fits in the header text fits here, so none is ever cut.
constexpr int kMacroNameSize = kHeaderTextSize;
constexpr int kNumberDigits = 10;  // of 4294967295, the largest
// A line "#define NAME NUMBER\r\n" but for its name: the word, two blanks,
// the number and the line end.
constexpr int kLineBesidesName = (sizeof kDefineWord - 1) + 2 + kNumberDigits + 2;
constexpr int kNextLength = sizeof "Next" - 1;  // what the second line adds to the name
// Both lines for the longest name and numbers, and the terminator.
constexpr int kNewTextSize = 2 * (kMacroNameSize - 1 + kLineBesidesName) + kNextLength + 1;
// The old bytes that the new text can cover, kept to put them back.
constexpr int kOriginalSize = kNewTextSize;
constexpr unsigned long long kTwoSeconds = 20'000'000;  // in 100-ns units

struct HeaderFile {
  const char* name;
  HANDLE handle;
  FILETIME lastWrite;
  char original[kOriginalSize];
  DWORD originalLength;
};

struct Definition {
  char text[kHeaderTextSize];
  char macroName[kMacroNameSize];
  DWORD number;
};

DWORD FailWithCode(const char* format, DWORD code) {
  char errorText[kErrorTextSize];
  PrintErr(format, GetSystemErrorText(errorText, code));
  return kExitFileError;
}

DWORD FailWithLastError(const char* format) { return FailWithCode(format, GetLastError()); }

DWORD ReadOriginal(HeaderFile& file) {
  if (!GetFileTime(file.handle, nullptr, nullptr, &file.lastWrite)) {
    return FailWithLastError("Cannot get file time (%s)");
  }
  if (!ReadFile(file.handle, file.original, sizeof file.original, &file.originalLength, nullptr)) {
    return FailWithLastError("Cannot read from file (%s)");
  }
  if (file.originalLength == 0) {
    // The read succeeded, so no error code names the cause yet.
    SetLastError(ERROR_HANDLE_EOF);
    return FailWithLastError("Cannot read from file (%s)");
  }
  return kNoFailure;
}

// Why a definition line is refused: the message, and the text it quotes
// (if its message has a place for one); no message for a line accepted.
struct Refusal {
  const char* message = nullptr;
  const char* quoted = nullptr;
};

// Checks the definition line, one part after another, and takes the macro
// name and number from it.
Refusal ReadDefinition(const HeaderFile& file, bool addNext, Definition& definition) {
  char* const text = definition.text;
  const DWORD counted = file.originalLength < kCountedBytes ? file.originalLength : kCountedBytes;
  memcpy(text, file.original, counted);
  text[counted] = '\0';
  if (counted < 2 || text[counted - 2] != '\r' || text[counted - 1] != '\n') return {"No EOL"};
  text[counted - 2] = '\0';

  const char* position = SkipBlanks(text);
  const int defineLength = lstrlenA(kDefineWord);
  if (strncmp(position, kDefineWord, defineLength) != 0) return {"No \"#define\": \"%s\"", text};
  position += defineLength;
  if (!IsBlank(*position)) return {"No blank after \"#define\": \"%s\"", text};
  const char* name = SkipBlanks(position);
  if (*name == '\0') return {"No macro name: \"%s\"", text};
  const char* nameEnd = FindBlank(name);
  if (*nameEnd == '\0') return {"No blank after macro name: \"%s\"", text};
  lstrcpynA(definition.macroName, name, static_cast<int>(nameEnd - name) + 1);

  const char* number = SkipBlanks(nameEnd);
  const char* numberEnd = number;
  definition.number = ParseUnsigned(number, &numberEnd);
  if (numberEnd == number) return {"Invalid number: \"%s\"", number};
  if (!addNext && *SkipBlanks(numberEnd) != '\0') return {"No EOF after the build number value"};
  return {};
}

DWORD ParseDefinition(const HeaderFile& file, bool addNext, Definition& definition) {
  const Refusal refusal = ReadDefinition(file, addNext, definition);
  if (refusal.message == nullptr) return kNoFailure;
  PrintErr(refusal.message, refusal.quoted);
  return kExitBadContent;
}

int ComposeNewText(const Definition& definition, bool addNext, char (&newText)[kNewTextSize]) {
  int length =
      wsprintfA(newText, "%s %s %u\r\n", kDefineWord, definition.macroName, definition.number + 1);
  if (addNext) {
    length += wsprintfA(newText + length, "%s %sNext %u\r\n", kDefineWord, definition.macroName,
                        definition.number + 2);
  }
  return length;
}

// After a failed write or cut, the file gets back the bytes it held and its
// old last-write time. A read of a file comes up short only at its end, so
// a short read means the whole file was read and its old end is known; the
// file is cut back to it only once every old byte is back in place.
void PutBackOriginal(const HeaderFile& file) {
  DWORD written = 0;
  SetFilePointer(file.handle, 0, nullptr, FILE_BEGIN);
  const BOOL restored =
      WriteFile(file.handle, file.original, file.originalLength, &written, nullptr) &&
      written == file.originalLength;
  if (restored && file.originalLength < sizeof file.original) SetEndOfFile(file.handle);
  SetFileTime(file.handle, nullptr, nullptr, &file.lastWrite);
}

// The new text goes over the start of the file before the file is cut to
// it, so that a failure on the way leaves the old content restorable.
DWORD Rewrite(const HeaderFile& file, const char* newText, int length) {
  if (SetFilePointer(file.handle, 0, nullptr, FILE_BEGIN) != 0) {
    return FailWithLastError("Cannot set file pos (%s)");
  }
  DWORD written = 0;
  const BOOL wrote = WriteFile(file.handle, newText, static_cast<DWORD>(length), &written, nullptr);
  if (!wrote || written != static_cast<DWORD>(length)) {
    // A write that comes up short without failing ran out of room.
    const DWORD code = wrote ? ERROR_DISK_FULL : GetLastError();
    PutBackOriginal(file);
    return FailWithCode("Cannot write to file (%s)", code);
  }
  if (!SetEndOfFile(file.handle)) {
    const DWORD code = GetLastError();
    PutBackOriginal(file);
    return FailWithCode("Cannot truncate file (%s)", code);
  }
  return kNoFailure;
}

FILETIME NewLastWriteTime(const HeaderFile& file, bool keepTime) {
  if (keepTime) return file.lastWrite;
  SYSTEMTIME now{};
  FILETIME time{};
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, &time);
  return FileTimeFromTicks(FileTimeTicks(time) - kTwoSeconds);
}

DWORD UpdateOpenHeader(HeaderFile& file, const ToolOptions& options) {
  if (const DWORD failed = ReadOriginal(file)) return failed;
  Definition definition{};
  if (const DWORD failed = ParseDefinition(file, options.addNext, definition)) return failed;

  char newText[kNewTextSize];
  const int length = ComposeNewText(definition, options.addNext, newText);
  if (const DWORD failed = Rewrite(file, newText, length)) return failed;

  const FILETIME stamp = NewLastWriteTime(file, options.keepTime);
  if (!SetFileTime(file.handle, nullptr, nullptr, &stamp)) {
    return FailWithLastError("Cannot set file time (%s)");
  }
  if (options.verbose) {
    PrintOut("Macro \"%s\" set to %u in \"%s\"", definition.macroName, definition.number + 1,
             file.name);
  }
  return kExitUpdated;
}

}  // namespace

DWORD UpdateHeader(const char* fileName, const ToolOptions& options) {
  HeaderFile file{};
  file.name = fileName;
  file.handle = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) {
    char errorText[kErrorTextSize];
    PrintErr("Cannot open file \"%s\" (%s)", fileName,
             GetSystemErrorText(errorText, GetLastError()));
    return kExitFileError;
  }
  // The message, if any, is out before the file is let go.
  const DWORD result = UpdateOpenHeader(file, options);
  CloseHandle(file.handle);
  return result;
}
