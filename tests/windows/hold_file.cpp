// A second opener of a header, for the end-to-end tests of the Windows build:
// it opens the file the way the tool does (read and write, no sharing), so
// that a run of the tool meanwhile finds the file in use.
//
//   hold_file <file>           read the file, print its first bytes, let go
//   hold_file <file> <marker>  the same, then create <marker> and hold the
//                              file until <marker> is deleted
//
// Exit code 0 when the file was held, 1 with the error code on standard
// output when it could not be opened, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) return 2;
  const HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("%lu", GetLastError());
    return 1;
  }
  char bytes[64];
  DWORD size = 0;
  if (!ReadFile(file, bytes, sizeof bytes, &size, nullptr)) size = 0;
  // Straight to the handle: the C runtime's text mode would add CRs.
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, size, &written, nullptr);
  if (argc == 3) {
    const HANDLE marker =
        CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(marker);
    while (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) Sleep(5);
  }
  CloseHandle(file);
  return 0;
}
