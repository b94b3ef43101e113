// The routines of a header update: the open, the read and check of the
// definition line, the rewrite and the stamp. Each program that updates a
// header compiles them in with the one routine that runs them: the tool's
// UpdateHeader (header_update.cpp) and the build step's raise and check of
// its counter (step/counter.cpp). Kept internal to each, they are inlined
// where they run as in a single file: the tool's own program is built from
// the same code as before the step shared it.
#pragma once

#include <string.h>

#include "platform/file_time.h"
#include "runtime/runtime.h"
#include "tool/tool.h"

constexpr char kDefineWord[8] = "#define";
constexpr int kCountedBytes = kHeaderTextSize - 1;
// The old bytes that the new text can cover, kept to put them back.
constexpr int kOriginalSize = kDefinitionLinesSize;
constexpr unsigned long long kTwoSeconds = 20'000'000;  // in 100-ns units

struct HeaderFile {
  const char* name;
  HANDLE handle;
  FILETIME lastWrite;
  char original[kOriginalSize];
  DWORD originalLength;
};

// A definition line as read: the line itself, which messages quote, and
// its macro name and number.
struct HeaderDefinition {
  char text[kHeaderTextSize];
  char macroName[kMacroNameSize];
  DWORD number;
};

// Reading and writing, shared with nobody.
static HANDLE OpenHeaderForUpdate(const char* fileName) {
  return CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

static DWORD FailToOpen(const char* fileName) {
  char errorText[kErrorTextSize];
  PrintErr("Cannot open file \"%s\" (%s)", fileName, GetSystemErrorText(errorText, GetLastError()));
  return kExitFileError;
}

static DWORD FailWithCode(const char* format, DWORD code) {
  char errorText[kErrorTextSize];
  PrintErr(format, GetSystemErrorText(errorText, code));
  return kExitFileError;
}

static DWORD FailWithLastError(const char* format) { return FailWithCode(format, GetLastError()); }

// Reads the start of an open header, which must hold something.
static DWORD ReadStart(HANDLE handle, char* bytes, DWORD size, DWORD& length) {
  if (!ReadFile(handle, bytes, size, &length, nullptr)) {
    return FailWithLastError("Cannot read from file (%s)");
  }
  if (length == 0) {
    // The read succeeded, so no error code names the cause yet.
    SetLastError(ERROR_HANDLE_EOF);
    return FailWithLastError("Cannot read from file (%s)");
  }
  return kNoFailure;
}

static DWORD ReadOriginal(HeaderFile& file) {
  if (!GetFileTime(file.handle, nullptr, nullptr, &file.lastWrite)) {
    return FailWithLastError("Cannot get file time (%s)");
  }
  return ReadStart(file.handle, file.original, sizeof file.original, file.originalLength);
}

// Why a definition line is refused: the message, and the text it quotes
// (if its message has a place for one); no message for a line accepted.
struct Refusal {
  const char* message = nullptr;
  const char* quoted = nullptr;
};

// Checks the definition line at the start of `bytes`, one part after
// another, and takes the macro name and number from it.
static Refusal ReadDefinition(const char* bytes, DWORD length, bool addNext,
                              HeaderDefinition& definition) {
  char* const text = definition.text;
  const DWORD counted = length < kCountedBytes ? length : kCountedBytes;
  memcpy(text, bytes, counted);
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

static DWORD ParseDefinition(const char* bytes, DWORD length, bool addNext,
                             HeaderDefinition& definition) {
  const Refusal refusal = ReadDefinition(bytes, length, addNext, definition);
  if (refusal.message == nullptr) return kNoFailure;
  PrintErr(refusal.message, refusal.quoted);
  return kExitBadContent;
}

// The lines an update writes for `number`: the definition, and with
// `addNext` the one of the number after it.
static int ComposeDefinitionLines(const char* macroName, DWORD number, bool addNext,
                                  char (&lines)[kDefinitionLinesSize]) {
  int length = wsprintfA(lines, "%s %s %u\r\n", kDefineWord, macroName, number);
  if (addNext) {
    length += wsprintfA(lines + length, "%s %sNext %u\r\n", kDefineWord, macroName, number + 1);
  }
  return length;
}

// After a failed write or cut, the file gets back the bytes it held and its
// old last-write time. A read of a file comes up short only at its end, so
// a short read means the whole file was read and its old end is known; the
// file is cut back to it only once every old byte is back in place.
static void PutBackOriginal(const HeaderFile& file) {
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
static DWORD Rewrite(const HeaderFile& file, const char* newText, int length) {
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

static FILETIME NewLastWriteTime(const HeaderFile& file, bool keepTime) {
  if (keepTime) return file.lastWrite;
  SYSTEMTIME now{};
  FILETIME time{};
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, &time);
  return FileTimeFromTicks(FileTimeTicks(time) - kTwoSeconds);
}

// The update of an open header. Once it succeeds, `definition` holds the
// line as written: the macro name and the new number.
static DWORD UpdateOpenHeader(HeaderFile& file, const ToolOptions& options,
                              HeaderDefinition& definition) {
  if (const DWORD failed = ReadOriginal(file)) return failed;
  if (const DWORD failed =
          ParseDefinition(file.original, file.originalLength, options.addNext, definition)) {
    return failed;
  }

  char newText[kDefinitionLinesSize];
  const int length =
      ComposeDefinitionLines(definition.macroName, definition.number + 1, options.addNext, newText);
  if (const DWORD failed = Rewrite(file, newText, length)) return failed;

  const FILETIME stamp = NewLastWriteTime(file, options.keepTime);
  if (!SetFileTime(file.handle, nullptr, nullptr, &stamp)) {
    return FailWithLastError("Cannot set file time (%s)");
  }
  ++definition.number;
  if (options.verbose) {
    PrintOut("Macro \"%s\" set to %u in \"%s\"", definition.macroName, definition.number,
             file.name);
  }
  return kExitUpdated;
}
