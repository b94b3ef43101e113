#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_platform.h"

namespace {

// Files the process holds open; the tool opens one at a time.
struct OpenFile {
  int fd = -1;
  bool timeKnown = false;
  timespec lastWrite{};
};
OpenFile openFiles[4];

OpenFile* Find(int fd) {
  for (OpenFile& file : openFiles) {
    if (file.fd == fd) return &file;
  }
  return nullptr;
}

int OpenFlags(DWORD access) {
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  return read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
}

BOOL RefuseIrregular(const struct stat& status) {
  return native::Fail(S_ISDIR(status.st_mode) ? static_cast<DWORD>(EISDIR)
                                              : native::kNotRegularFile);
}

// A file must never land on descriptors 0 to 2: with one of them closed,
// a stray write meant for that channel would go into the file.
int MoveAboveStandard(int fd) {
  if (fd > STDERR_FILENO) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int saved = errno;
  close(fd);
  errno = saved;
  return moved;
}

// Opens without blocking (a FIFO would wait for a writer), and refuses
// anything but a regular file both before and after opening.
int OpenRegular(LPCSTR name, DWORD access) {
  struct stat status {};
  if (stat(name, &status) != 0) return native::FailWithErrno(), -1;
  if (!S_ISREG(status.st_mode)) return RefuseIrregular(status), -1;
  int fd = open(name, OpenFlags(access) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return native::FailWithErrno(), -1;
  // The path may have been swapped between the look and the open.
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (S_ISREG(status.st_mode)) {
      native::FailWithErrno();
    } else {
      RefuseIrregular(status);
    }
    close(fd);
    return -1;
  }
  fd = MoveAboveStandard(fd);
  if (fd < 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    native::FailWithErrno();
    if (fd >= 0) close(fd);
    return -1;
  }
  return fd;
}

// Share mode 0 keeps every other opener out; here that means every other
// run of the tool, which takes the same lock. Nobody waits for it.
bool LockExclusively(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno == EWOULDBLOCK) {
    native::Fail(ERROR_SHARING_VIOLATION);
  } else {
    native::FailWithErrno();
  }
  return false;
}

// Moves `size` bytes with as many reads or writes as it takes: a call
// interrupted by a signal is repeated, and one that moves nothing ends it.
template <typename Move>
BOOL Transfer(HANDLE handle, DWORD size, LPDWORD moved, Move move) {
  const int fd = native::FdFromHandle(handle);
  DWORD total = 0;
  BOOL ok = TRUE;
  while (total < size) {
    const ssize_t count = move(fd, total, size - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) ok = native::FailWithErrno();
    if (count <= 0) break;
    total += static_cast<DWORD>(count);
  }
  if (moved != nullptr) *moved = total;
  return ok;
}

}  // namespace

namespace native {

void RememberLastWrite(int fd, const timespec& time) {
  if (OpenFile* file = Find(fd)) {
    file->timeKnown = true;
    file->lastWrite = time;
  }
}

void ForgetFile(int fd) {
  if (OpenFile* file = Find(fd)) *file = OpenFile{};
}

}  // namespace native

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
  OpenFile* slot = Find(-1);
  if (disposition != OPEN_EXISTING || name == nullptr) {
    native::Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (slot == nullptr) {
    native::Fail(EMFILE);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = OpenRegular(name, access);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  if (shareMode == 0 && !LockExclusively(fd)) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  slot->fd = fd;
  return native::HandleFromFd(fd);
}

BOOL GetFileTime(HANDLE handle, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  const int fd = native::FdFromHandle(handle);
  struct stat status {};
  if (fstat(fd, &status) != 0) return native::FailWithErrno();
  // Only the times asked for, so that one outside FILETIME's range fails
  // only the caller who wants it. There is no creation time to be had; the
  // last status change stands in.
  const struct {
    LPFILETIME wanted;
    const timespec& time;
  } times[] = {
      {creation, status.st_ctim}, {lastAccess, status.st_atim}, {lastWrite, status.st_mtim}};
  FILETIME converted[3]{};
  for (int i = 0; i < 3; ++i) {
    if (times[i].wanted != nullptr && !native::FileTimeFromTimespec(times[i].time, converted[i])) {
      return native::Fail(EOVERFLOW);
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (times[i].wanted != nullptr) *times[i].wanted = converted[i];
  }
  native::RememberLastWrite(fd, status.st_mtim);
  return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  const int fd = native::FdFromHandle(handle);
  timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (lastAccess != nullptr && !native::TimespecFromFileTime(*lastAccess, times[0])) {
    return native::Fail(ERROR_INVALID_PARAMETER);
  }
  if (lastWrite != nullptr) {
    if (!native::TimespecFromFileTime(*lastWrite, times[1]))
      return native::Fail(ERROR_INVALID_PARAMETER);
    // The time read earlier, given back: restore it with its nanoseconds.
    const OpenFile* file = Find(fd);
    FILETIME known{};
    if (file != nullptr && file->timeKnown &&
        native::FileTimeFromTimespec(file->lastWrite, known) &&
        known.dwLowDateTime == lastWrite->dwLowDateTime &&
        known.dwHighDateTime == lastWrite->dwHighDateTime) {
      times[1] = file->lastWrite;
    }
  }
  if (futimens(fd, times) != 0) return native::FailWithErrno();
  return TRUE;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  char* bytes = static_cast<char*>(buffer);
  return Transfer(handle, toRead, read, [bytes](int fd, DWORD done, DWORD left) {
    return ::read(fd, bytes + done, left);
  });
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  const char* bytes = static_cast<const char*>(buffer);
  return Transfer(handle, toWrite, written, [bytes](int fd, DWORD done, DWORD left) {
    return ::write(fd, bytes + done, left);
  });
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (method > FILE_END) return native::Fail(ERROR_INVALID_PARAMETER), INVALID_SET_FILE_POINTER;
  const long long offset =
      distanceHigh != nullptr
          ? static_cast<long long>(
                (static_cast<unsigned long long>(static_cast<DWORD>(*distanceHigh)) << 32) |
                static_cast<DWORD>(distance))
          : distance;
  const off_t position =
      lseek(native::FdFromHandle(handle), static_cast<off_t>(offset), kWhence[method]);
  if (position < 0) return native::FailWithErrno(), INVALID_SET_FILE_POINTER;
  if (distanceHigh != nullptr)
    *distanceHigh = static_cast<LONG>(static_cast<unsigned long long>(position) >> 32);
  return static_cast<DWORD>(position);
}

BOOL SetEndOfFile(HANDLE handle) {
  const int fd = native::FdFromHandle(handle);
  const off_t position = lseek(fd, 0, SEEK_CUR);
  if (position < 0 || ftruncate(fd, position) != 0) return native::FailWithErrno();
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  const int fd = native::FdFromHandle(handle);
  if (fd < 0) return native::Fail(EBADF);
  native::ForgetFile(fd);
  if (close(fd) != 0) return native::FailWithErrno();
  return TRUE;
}
