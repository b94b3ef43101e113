#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"

namespace {

// A FILETIME holds 100-ns units, a POSIX file time nanoseconds. So that -t
// gives a header back its exact time, GetFileTime keeps the last-write time
// it read here, to the nanosecond, with the descriptor it read it from; the
// tool has one file open at a time.
struct LastWriteRead {
  int fd = -1;
  timespec time{};
};
LastWriteRead lastWriteRead;

int OpenFlags(DWORD access) {
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  return read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
}

DWORD IrregularCode(const struct stat& status) {
  return S_ISDIR(status.st_mode) ? static_cast<DWORD>(EISDIR) : posix_layer::kNotRegularFile;
}

// A file must never land on descriptors 0 to 2: with one of them closed,
// a write meant for that channel would go into the file. The tool's own
// messages cannot (it takes a channel closed at its start as a null
// handle), but the C library's can: it reports a fatal error on 2.
int MoveAboveStandard(int fd) {
  if (fd > STDERR_FILENO) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int saved = errno;
  close(fd);
  errno = saved;
  return moved;
}

// An open of an existing file names no mode, so that a fortified build
// checks its flags (open's mode is read only when it makes a file).
int OpenDescriptor(LPCSTR name, DWORD access, bool create) {
  const int flags = OpenFlags(access) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  constexpr mode_t kNewFileMode = 0666;  // less the umask, as for any new file
  return create ? open(name, flags | O_CREAT, kNewFileMode) : open(name, flags);
}

// Opens without blocking (a FIFO would wait for a writer), and refuses
// anything but a regular file both before and after opening; -1 when it
// fails, with the last error set. A file to be made may be missing, and is
// then looked at once open only. Each step runs only when the ones before
// it succeeded; the first to fail keeps its code, and a failure leaves by
// one way, which lets go of the descriptor if there is one.
int OpenRegular(LPCSTR name, DWORD access, bool create) {
  DWORD failure = 0;
  const auto succeeded = [&failure](bool result) {
    if (!result) failure = static_cast<DWORD>(errno);
    return result;
  };
  const auto regular = [&failure](const struct stat& status) {
    if (!S_ISREG(status.st_mode)) failure = IrregularCode(status);
    return failure == 0;
  };
  struct stat status {};
  int fd = -1;
  // Looked at by name, then again once open: the path may have been
  // swapped between the two.
  const bool opened = (create || (succeeded(stat(name, &status) == 0) && regular(status))) &&
                      succeeded((fd = OpenDescriptor(name, access, create)) >= 0) &&
                      succeeded(fstat(fd, &status) == 0) && regular(status) &&
                      succeeded((fd = MoveAboveStandard(fd)) >= 0) &&
                      succeeded(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0);
  if (opened) return fd;
  if (fd >= 0) close(fd);
  posix_layer::Fail(failure);
  return -1;
}

// Share mode 0 keeps every other opener out, FILE_SHARE_READ every one
// that writes; here that means every other run of the tool or its build
// step, which take the same locks: exclusive for the one, shared for the
// other. Any other share mode takes none. Nobody waits for a lock.
int LockFor(DWORD shareMode) {
  if (shareMode == 0) return LOCK_EX;
  return shareMode == FILE_SHARE_READ ? LOCK_SH : 0;
}

bool Lock(int fd, int lock) {
  if (lock == 0 || flock(fd, lock | LOCK_NB) == 0) return true;
  if (errno == EWOULDBLOCK) {
    posix_layer::Fail(ERROR_SHARING_VIOLATION);
  } else {
    posix_layer::FailWithErrno();
  }
  return false;
}

bool Emptied(int fd) {
  if (ftruncate(fd, 0) == 0) return true;
  posix_layer::FailWithErrno();
  return false;
}

// Moves `size` bytes with as many reads or writes as it takes: a call
// interrupted by a signal is repeated, and one that moves nothing ends it.
template <typename Move>
BOOL Transfer(HANDLE handle, DWORD size, LPDWORD moved, Move move) {
  const int fd = posix_layer::FdFromHandle(handle);
  DWORD total = 0;
  BOOL ok = TRUE;
  while (total < size) {
    const ssize_t count = move(fd, total, size - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) ok = posix_layer::FailWithErrno();
    if (count <= 0) break;
    total += static_cast<DWORD>(count);
  }
  if (moved != nullptr) *moved = total;
  return ok;
}

}  // namespace

// What the tool and its step ask for: an existing file, or one made anew
// (CREATE_ALWAYS), with no sharing, shared with readers, or with any. A
// file made anew is emptied only once its lock is held: one held by
// another opener keeps its content.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
  const bool create = disposition == CREATE_ALWAYS;
  if ((disposition != OPEN_EXISTING && !create) || name == nullptr) {
    posix_layer::Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = OpenRegular(name, access, create);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  if (!Lock(fd, LockFor(shareMode)) || (create && !Emptied(fd))) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  return posix_layer::HandleFromFd(fd);
}

// The last-write time alone: the tool asks for no other, and there is no
// creation time to be had here.
// cppcheck-suppress constParameter ; the signature is the Win32 one
BOOL GetFileTime(HANDLE handle, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  if (creation != nullptr || lastAccess != nullptr || lastWrite == nullptr) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  const int fd = posix_layer::FdFromHandle(handle);
  struct stat status {};
  if (fstat(fd, &status) != 0) return posix_layer::FailWithErrno();
  if (!posix_layer::FileTimeFromTimespec(status.st_mtim, *lastWrite))
    return posix_layer::Fail(EOVERFLOW);
  lastWriteRead = {fd, status.st_mtim};
  return TRUE;
}

// The last-write time alone. Handed the FILETIME that GetFileTime read for
// the same open file, it gives the file back the exact time it read, with
// the nanoseconds a FILETIME cannot hold; any other time is set in 100-ns
// units.
BOOL SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  if (creation != nullptr || lastAccess != nullptr || lastWrite == nullptr) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  const int fd = posix_layer::FdFromHandle(handle);
  timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (!posix_layer::TimespecFromFileTime(*lastWrite, times[1])) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  FILETIME read{};
  if (fd == lastWriteRead.fd && posix_layer::FileTimeFromTimespec(lastWriteRead.time, read) &&
      FileTimeTicks(read) == FileTimeTicks(*lastWrite)) {
    times[1] = lastWriteRead.time;
  }
  if (futimens(fd, times) != 0) return posix_layer::FailWithErrno();
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

// A move to a position from the start of the file, below 2 GiB: the tool
// moves only to the start.
// cppcheck-suppress constParameter ; the signature is the Win32 one
DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
  if (distanceHigh != nullptr || method != FILE_BEGIN || distance < 0) {
    posix_layer::Fail(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t position = lseek(posix_layer::FdFromHandle(handle), distance, SEEK_SET);
  if (position < 0) {
    posix_layer::FailWithErrno();
    return INVALID_SET_FILE_POINTER;
  }
  return static_cast<DWORD>(position);
}

BOOL SetEndOfFile(HANDLE handle) {
  const int fd = posix_layer::FdFromHandle(handle);
  const off_t position = lseek(fd, 0, SEEK_CUR);
  if (position < 0 || ftruncate(fd, position) != 0) return posix_layer::FailWithErrno();
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  const int fd = posix_layer::FdFromHandle(handle);
  if (fd < 0) return posix_layer::Fail(EBADF);
  if (fd == lastWriteRead.fd) lastWriteRead = LastWriteRead{};
  if (close(fd) != 0) return posix_layer::FailWithErrno();
  return TRUE;
}

// rename() replaces the target in one step, as MOVEFILE_REPLACE_EXISTING
// does; the step asks for nothing else.
BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (existingName == nullptr || newName == nullptr || flags != MOVEFILE_REPLACE_EXISTING) {
    return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  }
  if (rename(existingName, newName) != 0) return posix_layer::FailWithErrno();
  return TRUE;
}

BOOL DeleteFileA(LPCSTR name) {
  if (name == nullptr) return posix_layer::Fail(ERROR_INVALID_PARAMETER);
  if (unlink(name) != 0) return posix_layer::FailWithErrno();
  return TRUE;
}
