// The English text of an errno value, the same on every C library: the
// tool's messages must not change with the libc it is linked against (musl
// words many of these differently), nor with the locale. The wording is
// that of the GNU C library, so that messages stay as they always were there.
//
// A table of symbolic constants searched in order, not a switch: some
// constants share a value on some systems (EAGAIN and EWOULDBLOCK, ENOTSUP
// and EOPNOTSUPP), and the first entry with the value wins.
#include <errno.h>

#include "platform/posix/posix_platform.h"

namespace {

struct Entry {
  int code;
  const char* text;
};

constexpr Entry kEntries[] = {
    {0, "Success"},
    // Every errno POSIX.1-2008 names; the STREAMS ones are optional there.
    {EPERM, "Operation not permitted"},
    {ENOENT, "No such file or directory"},
    {ESRCH, "No such process"},
    {EINTR, "Interrupted system call"},
    {EIO, "Input/output error"},
    {ENXIO, "No such device or address"},
    {E2BIG, "Argument list too long"},
    {ENOEXEC, "Exec format error"},
    {EBADF, "Bad file descriptor"},
    {ECHILD, "No child processes"},
    {EAGAIN, "Resource temporarily unavailable"},
    {EWOULDBLOCK, "Resource temporarily unavailable"},
    {ENOMEM, "Cannot allocate memory"},
    {EACCES, "Permission denied"},
    {EFAULT, "Bad address"},
    {EBUSY, "Device or resource busy"},
    {EEXIST, "File exists"},
    {EXDEV, "Invalid cross-device link"},
    {ENODEV, "No such device"},
    {ENOTDIR, "Not a directory"},
    {EISDIR, "Is a directory"},
    {EINVAL, "Invalid argument"},
    {ENFILE, "Too many open files in system"},
    {EMFILE, "Too many open files"},
    {ENOTTY, "Inappropriate ioctl for device"},
    {ETXTBSY, "Text file busy"},
    {EFBIG, "File too large"},
    {ENOSPC, "No space left on device"},
    {ESPIPE, "Illegal seek"},
    {EROFS, "Read-only file system"},
    {EMLINK, "Too many links"},
    {EPIPE, "Broken pipe"},
    {EDOM, "Numerical argument out of domain"},
    {ERANGE, "Numerical result out of range"},
    {EDEADLK, "Resource deadlock avoided"},
    {ENAMETOOLONG, "File name too long"},
    {ENOLCK, "No locks available"},
    {ENOSYS, "Function not implemented"},
    {ENOTEMPTY, "Directory not empty"},
    {ELOOP, "Too many levels of symbolic links"},
    {ENOMSG, "No message of desired type"},
    {EIDRM, "Identifier removed"},
#ifdef ENOSTR
    {ENOSTR, "Device not a stream"},
#endif
#ifdef ENODATA
    {ENODATA, "No data available"},
#endif
#ifdef ETIME
    {ETIME, "Timer expired"},
#endif
#ifdef ENOSR
    {ENOSR, "Out of streams resources"},
#endif
    {ENOLINK, "Link has been severed"},
    {EPROTO, "Protocol error"},
    {EMULTIHOP, "Multihop attempted"},
    {EBADMSG, "Bad message"},
    {EOVERFLOW, "Value too large for defined data type"},
    {EILSEQ, "Invalid or incomplete multibyte or wide character"},
    {ENOTSOCK, "Socket operation on non-socket"},
    {EDESTADDRREQ, "Destination address required"},
    {EMSGSIZE, "Message too long"},
    {EPROTOTYPE, "Protocol wrong type for socket"},
    {ENOPROTOOPT, "Protocol not available"},
    {EPROTONOSUPPORT, "Protocol not supported"},
    {ENOTSUP, "Operation not supported"},
    {EOPNOTSUPP, "Operation not supported"},
    {EAFNOSUPPORT, "Address family not supported by protocol"},
    {EADDRINUSE, "Address already in use"},
    {EADDRNOTAVAIL, "Cannot assign requested address"},
    {ENETDOWN, "Network is down"},
    {ENETUNREACH, "Network is unreachable"},
    {ENETRESET, "Network dropped connection on reset"},
    {ECONNABORTED, "Software caused connection abort"},
    {ECONNRESET, "Connection reset by peer"},
    {ENOBUFS, "No buffer space available"},
    {EISCONN, "Transport endpoint is already connected"},
    {ENOTCONN, "Transport endpoint is not connected"},
    {ETIMEDOUT, "Connection timed out"},
    {ECONNREFUSED, "Connection refused"},
    {EHOSTUNREACH, "No route to host"},
    {EALREADY, "Operation already in progress"},
    {EINPROGRESS, "Operation now in progress"},
    {ESTALE, "Stale file handle"},
    {EDQUOT, "Disk quota exceeded"},
    {ECANCELED, "Operation canceled"},
    {EOWNERDEAD, "Owner died"},
    {ENOTRECOVERABLE, "State not recoverable"},
// Beyond POSIX: what Linux file systems give for the calls the tool makes
// (removable media, a damaged file system, network and encrypted folders).
#ifdef __linux__
    {EHOSTDOWN, "Host is down"},
    {EUCLEAN, "Structure needs cleaning"},
    {EREMOTEIO, "Remote I/O error"},
    {ENOMEDIUM, "No medium found"},
    {EMEDIUMTYPE, "Wrong medium type"},
    {ENOKEY, "Required key not available"},
    {EKEYEXPIRED, "Key has expired"},
    {EKEYREVOKED, "Key has been revoked"},
    {EKEYREJECTED, "Key was rejected by service"},
#endif
};

// The table as the program holds it: the codes, and the texts one after
// another, each with its terminator. A table of pointers would cost a
// relocation per entry each time a position-independent program starts,
// for texts that are read only when a call has failed.
constexpr int kCount = sizeof kEntries / sizeof kEntries[0];

constexpr int TextBytes() {
  int bytes = 0;
  for (const Entry& entry : kEntries) {
    for (const char* c = entry.text; *c != '\0'; ++c) ++bytes;
    ++bytes;
  }
  return bytes;
}

struct Packed {
  int codes[kCount];
  char texts[TextBytes()];
};

consteval Packed Pack() {
  Packed packed{};
  int at = 0;
  for (int i = 0; i < kCount; ++i) {
    packed.codes[i] = kEntries[i].code;
    const char* c = kEntries[i].text;
    do {
      packed.texts[at++] = *c;
    } while (*c++ != '\0');
  }
  return packed;
}

constexpr Packed kPacked = Pack();

}  // namespace

namespace posix_layer {

const char* ErrnoText(int code) {
  const char* text = kPacked.texts;
  for (int i = 0; i < kCount; ++i) {
    if (kPacked.codes[i] == code) return text;
    while (*text++ != '\0') {
    }
  }
  return nullptr;
}

}  // namespace posix_layer
