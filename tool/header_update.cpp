#include "tool/header_routines.h"

DWORD UpdateHeader(const char* fileName, const ToolOptions& options) {
  HeaderFile file{};
  file.name = fileName;
  file.handle = OpenHeaderForUpdate(fileName);
  if (file.handle == INVALID_HANDLE_VALUE) return FailToOpen(fileName);
  // The message, if any, is out before the file is let go.
  HeaderDefinition definition{};
  const DWORD result = UpdateOpenHeader(file, options, definition);
  CloseHandle(file.handle);
  return result;
}
