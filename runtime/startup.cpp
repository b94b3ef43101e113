#include "runtime/runtime.h"

namespace {

constexpr WORD kOldestVersion = 0x0400;  // NT 4.0

WORD VersionWord(const OSVERSIONINFOEXA& info) {
  return static_cast<WORD>(((info.dwMajorVersion & 0xFF) << 8) | (info.dwMinorVersion & 0xFF));
}

}  // namespace

bool StartRuntime() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && VersionWord(info) >= kOldestVersion;
}
