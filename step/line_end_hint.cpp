#include "runtime/runtime.h"
#include "step/step.h"

namespace {

bool HasLineEndingInLfAlone(const char* text, DWORD length) {
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
  }
  return false;
}

}  // namespace

// A checkout that turns line ends into LF (core.autocrlf=input, eol=lf)
// makes every build refuse the counter; the fix that keeps its number is
// worth saying next to the tool's message.
void HintAtLineEnds(const char* counter) {
  HANDLE file = CreateFileA(counter, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char text[kHeaderTextSize - 1];  // as much as the tool reads
  DWORD length = 0;
  const bool read = ReadFile(file, text, sizeof text, &length, nullptr);
  CloseHandle(file);
  if (!read || !HasLineEndingInLfAlone(text, length)) return;
  char lead[kFileNameSize + sizeof ": note: "];
  wsprintfA(lead, "%s: note: ", counter);
  const char* const errorLead = ErrorLead;
  ErrorLead = lead;
  PrintErr(
      "its lines must end in CR LF, not LF alone; this keeps its number: sed -i "
      "'s/\\r*$/\\r/' %s (and '%s -text' in .gitattributes keeps it so)",
      counter, counter);
  ErrorLead = errorLead;
}
