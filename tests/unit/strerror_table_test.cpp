// The error texts of the POSIX layer: every errno POSIX names has one, each
// is the GNU C library's own wording, and a value without one gets none.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/posix/posix_platform.h"

namespace {

#define NAMED(code) \
  { code, #code }
struct Named {
  int code;
  const char* name;
};
const Named kPosixErrors[] = {
    NAMED(E2BIG),        NAMED(EACCES),       NAMED(EADDRINUSE),      NAMED(EADDRNOTAVAIL),
    NAMED(EAFNOSUPPORT), NAMED(EAGAIN),       NAMED(EALREADY),        NAMED(EBADF),
    NAMED(EBADMSG),      NAMED(EBUSY),        NAMED(ECANCELED),       NAMED(ECHILD),
    NAMED(ECONNABORTED), NAMED(ECONNREFUSED), NAMED(ECONNRESET),      NAMED(EDEADLK),
    NAMED(EDESTADDRREQ), NAMED(EDOM),         NAMED(EDQUOT),          NAMED(EEXIST),
    NAMED(EFAULT),       NAMED(EFBIG),        NAMED(EHOSTUNREACH),    NAMED(EIDRM),
    NAMED(EILSEQ),       NAMED(EINPROGRESS),  NAMED(EINTR),           NAMED(EINVAL),
    NAMED(EIO),          NAMED(EISCONN),      NAMED(EISDIR),          NAMED(ELOOP),
    NAMED(EMFILE),       NAMED(EMLINK),       NAMED(EMSGSIZE),        NAMED(EMULTIHOP),
    NAMED(ENAMETOOLONG), NAMED(ENETDOWN),     NAMED(ENETRESET),       NAMED(ENETUNREACH),
    NAMED(ENFILE),       NAMED(ENOBUFS),      NAMED(ENODEV),          NAMED(ENOENT),
    NAMED(ENOEXEC),      NAMED(ENOLCK),       NAMED(ENOLINK),         NAMED(ENOMEM),
    NAMED(ENOMSG),       NAMED(ENOPROTOOPT),  NAMED(ENOSPC),          NAMED(ENOSYS),
    NAMED(ENOTCONN),     NAMED(ENOTDIR),      NAMED(ENOTEMPTY),       NAMED(ENOTRECOVERABLE),
    NAMED(ENOTSOCK),     NAMED(ENOTSUP),      NAMED(ENOTTY),          NAMED(ENXIO),
    NAMED(EOPNOTSUPP),   NAMED(EOVERFLOW),    NAMED(EOWNERDEAD),      NAMED(EPERM),
    NAMED(EPIPE),        NAMED(EPROTO),       NAMED(EPROTONOSUPPORT), NAMED(EPROTOTYPE),
    NAMED(ERANGE),       NAMED(EROFS),        NAMED(ESPIPE),          NAMED(ESRCH),
    NAMED(ESTALE),       NAMED(ETIMEDOUT),    NAMED(ETXTBSY),         NAMED(EWOULDBLOCK),
    NAMED(EXDEV),
#ifdef ENODATA
    NAMED(ENODATA),
#endif
#ifdef ENOSR
    NAMED(ENOSR),
#endif
#ifdef ENOSTR
    NAMED(ENOSTR),
#endif
#ifdef ETIME
    NAMED(ETIME),
#endif
};
#undef NAMED

TEST(ErrnoTexts, EveryPosixErrorHasOne) {
  for (const Named& error : kPosixErrors) {
    const char* text = posix_layer::ErrnoText(error.code);
    ASSERT_NE(text, nullptr) << error.name;
    EXPECT_GT(std::strlen(text), 5u) << error.name;
    EXPECT_NE(text[std::strlen(text) - 1], ' ') << error.name;
  }
  EXPECT_STREQ(posix_layer::ErrnoText(0), "Success");
  EXPECT_STREQ(posix_layer::ErrnoText(EBUSY), "Device or resource busy");
  EXPECT_STREQ(posix_layer::ErrnoText(ENOTSUP), posix_layer::ErrnoText(EOPNOTSUPP));
}

// Every value the table knows, looked up the way glibc itself words it.
TEST(ErrnoTexts, SameAsTheGnuCLibrary) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the texts are checked against the GNU C library's strerror";
#else
  int known = 0;
  for (int code = -10; code < 4096; ++code) {
    const char* text = posix_layer::ErrnoText(code);
    if (text == nullptr) continue;
    ++known;
    EXPECT_EQ(std::string(text), std::strerror(code)) << "errno " << code;
  }
  EXPECT_GE(known, static_cast<int>(std::size(kPosixErrors)) - 2) << "EAGAIN and ENOTSUP share";
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
