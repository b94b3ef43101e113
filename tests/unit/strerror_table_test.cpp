// The error texts of the POSIX layer: every errno its calls give has one,
// each is the GNU C library's own wording, and a value without one gets none.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace {

// What each call of the POSIX layer may fail with, by POSIX and the Linux
// manual pages, and the codes the layer records itself: the tool shows the
// text of any of them.
struct CallErrors {
  const char* call;
  std::vector<int> errors;
};
const CallErrors kCallErrors[] = {
    {"stat", {EACCES, EBADF, EFAULT, EIO, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOTDIR, EOVERFLOW}},
    {"open",
     {EACCES, EAGAIN,  EBUSY, EDQUOT,     EEXIST,       EFAULT, EFBIG,  EINTR,   EINVAL,
      EIO,    EISDIR,  ELOOP, EMFILE,     ENAMETOOLONG, ENFILE, ENODEV, ENOENT,  ENOMEM,
      ENOSPC, ENOTDIR, ENXIO, EOPNOTSUPP, EOVERFLOW,    EPERM,  EROFS,  ETXTBSY, EWOULDBLOCK}},
    {"fstat", {EBADF, EFAULT, EIO, ENOMEM, EOVERFLOW}},
    {"fcntl", {EACCES, EAGAIN, EBADF, EDEADLK, EINTR, EINVAL, EMFILE, ENOLCK, EOVERFLOW, EPERM}},
    {"flock", {EBADF, EINTR, EINVAL, ENOLCK, EWOULDBLOCK}},
    {"read",
     {EAGAIN, EBADF, EBADMSG, ECONNRESET, EFAULT, EINTR, EINVAL, EIO, EISDIR, ENOBUFS, ENOMEM,
      ENOTCONN, ENXIO, EOVERFLOW, ETIMEDOUT}},
    {"write",
     {EACCES, EAGAIN, EBADF, ECONNRESET, EDESTADDRREQ, EDQUOT, EFAULT, EFBIG, EINTR, EINVAL, EIO,
      ENETDOWN, ENETUNREACH, ENOBUFS, ENOSPC, ENXIO, EPERM, EPIPE, ERANGE}},
    {"lseek", {EBADF, EINVAL, ENXIO, EOVERFLOW, ESPIPE}},
    {"ftruncate", {EBADF, EFBIG, EINTR, EINVAL, EIO, EPERM, EROFS, ETXTBSY}},
    {"futimens", {EACCES, EBADF, EFAULT, EINVAL, EIO, EPERM, EROFS, ESRCH}},
    {"close", {EBADF, EDQUOT, EINTR, EIO, ENOSPC}},
    {"clock_gettime", {EFAULT, EINVAL, EOVERFLOW}},
    {"NFS, on any call that reaches the server", {ESTALE}},
    {"the layer itself", {0, EBUSY, EINVAL, EISDIR, ENODATA, ENOMSG, ENOSPC, EOVERFLOW, ERANGE}},
};

// Every error a call can give has a text, and every text the table holds
// is the one the GNU C library gives for it.
TEST(ErrnoTexts, SameAsTheGnuCLibrary) {
  for (const CallErrors& call : kCallErrors) {
    for (const int code : call.errors) {
      EXPECT_NE(posix_layer::ErrnoText(code), nullptr) << call.call << ": errno " << code;
    }
  }
#ifdef __GLIBC__
  for (int code = -10; code < 4096; ++code) {
    const char* text = posix_layer::ErrnoText(code);
    if (text != nullptr) {
      EXPECT_EQ(std::string(text), std::strerror(code)) << "errno " << code;
    }
  }
#endif
}

TEST(ErrnoTexts, NoneForValuesWithoutOne) {
  for (const int code : {-1, 12345, 0x10000}) {
    EXPECT_EQ(posix_layer::ErrnoText(code), nullptr) << code;
  }
#ifdef __linux__
  // Linux numbers these, but no call the tool makes gives them.
  for (const int code : {41, ECHRNG, EADV}) {
    EXPECT_EQ(posix_layer::ErrnoText(code), nullptr) << code;
  }
#endif
}

}  // namespace
