// The POSIX platform's file calls on real files: last-write times kept to
// the nanosecond, a stamp refused when the clock failed, files past 4 GiB,
// and refusal of every use the tool never makes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"
#include "tests/platform/moments.h"

namespace {

std::int64_t Ns(const timespec& time) {
  return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec;
}

class RealFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = "/tmp/revtick-platform-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
    dir_ = pattern;
    path_ = dir_ + "/ver.h";
    const int fd = open(path_.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(write(fd, "#define BUILD 41\r\n", 18), 18);
    close(fd);
  }
  void TearDown() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    unlink(path_.c_str());
    rmdir(dir_.c_str());
  }
  void Stamp(const timespec& time) {
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0) << std::strerror(errno);
    ASSERT_EQ(Mtime().tv_sec, time.tv_sec) << "the file system did not keep the time";
    ASSERT_EQ(Mtime().tv_nsec, time.tv_nsec);
  }
  timespec Mtime() const {
    struct stat status {};
    EXPECT_EQ(stat(path_.c_str(), &status), 0);
    return status.st_mtim;
  }
  void Open() {
    handle_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle_, INVALID_HANDLE_VALUE) << GetLastError();
  }

  std::string dir_, path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Read and given back, a time keeps its nanoseconds; any other FILETIME is
// set as it says. Both on either side of 1970 and of 2038.
TEST_F(RealFile, LastWriteTimeReadAndSetExactly) {
  for (const Moment& m : kMoments) {
    // 1601 and 30828 are beyond what file systems hold.
    if (m.time.tv_sec < -315619200 || m.time.tv_sec > 4102444800) continue;
    SCOPED_TRACE(m.name);
    timespec withNanoseconds = m.time;
    withNanoseconds.tv_nsec += 42;
    Stamp(withNanoseconds);
    Open();
    FILETIME lastWrite{};
    ASSERT_EQ(GetFileTime(handle_, nullptr, nullptr, &lastWrite), TRUE) << GetLastError();
    EXPECT_EQ(FileTimeTicks(lastWrite), m.units);
    Stamp({1234567890, 0});
    ASSERT_EQ(SetFileTime(handle_, nullptr, nullptr, &lastWrite), TRUE) << GetLastError();
    EXPECT_EQ(Ns(Mtime()), Ns(withNanoseconds)) << "given back to the nanosecond";
    const FILETIME later = FileTimeFromTicks(m.units + 3);
    ASSERT_EQ(SetFileTime(handle_, nullptr, nullptr, &later), TRUE) << GetLastError();
    EXPECT_EQ(Ns(Mtime()), Ns(m.time) + 300);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
}

// The tool's own steps with a clock that failed: the stamp is refused with
// an error, and the file keeps the time it had.
TEST_F(RealFile, FailedClockStampsNothing) {
  Stamp({1234567890, 123456789});
  Open();
  SYSTEMTIME now{};
  FILETIME time{};
  errno = EINVAL;
  posix_layer::SystemTimeFromClock(nullptr, now);
  SystemTimeToFileTime(&now, &time);
  const FILETIME stamp = FileTimeFromTicks(FileTimeTicks(time) - kTwoSeconds);
  SetLastError(0);
  EXPECT_EQ(SetFileTime(handle_, nullptr, nullptr, &stamp), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Mtime().tv_sec, 1234567890);
  EXPECT_EQ(Mtime().tv_nsec, 123456789);
}

// With the standard descriptors closed, the header must not take one of
// their numbers, where whatever the C library writes to its error channel
// (a fatal message) would land in it. Tried in a child, which can close its
// own; it exits with the header's descriptor, or 99 if a standard one is open.
TEST_F(RealFile, NeverOpenedOnAStandardDescriptor) {
  const pid_t child = fork();
  ASSERT_GE(child, 0) << std::strerror(errno);
  if (child == 0) {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) close(fd);
    const HANDLE handle = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
      if (fcntl(fd, F_GETFD) != -1 && fd != posix_layer::FdFromHandle(handle)) _exit(99);
    }
    _exit(posix_layer::FdFromHandle(handle) & 0xFF);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child) << std::strerror(errno);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_NE(WEXITSTATUS(status), 99) << "a standard descriptor was left open";
  EXPECT_GT(WEXITSTATUS(status), STDERR_FILENO) << "the header's descriptor";
  EXPECT_LT(WEXITSTATUS(status), 99) << "the header's descriptor; 255: the open failed";
}

// A header far past 2 GiB and 4 GiB (sparse: one line, then a hole) opens,
// reads and is cut like any other.
TEST_F(RealFile, FilesPast4GiB) {
  constexpr long long kSize = 5LL << 30;
  ASSERT_EQ(truncate(path_.c_str(), kSize), 0) << std::strerror(errno);
  Open();
  FILETIME lastWrite{};
  EXPECT_EQ(GetFileTime(handle_, nullptr, nullptr, &lastWrite), TRUE) << GetLastError();
  char text[32] = {};
  DWORD read = 0;
  ASSERT_EQ(ReadFile(handle_, text, 18, &read, nullptr), TRUE) << GetLastError();
  EXPECT_EQ(std::string(text, read), "#define BUILD 41\r\n");
  EXPECT_EQ(SetFilePointer(handle_, 18, nullptr, FILE_BEGIN), 18u);
  ASSERT_EQ(SetEndOfFile(handle_), TRUE) << GetLastError();
  struct stat status {};
  ASSERT_EQ(stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_size, 18);
}

// The layer provides exactly what the tool calls: any other use of these
// calls fails with ERROR_INVALID_PARAMETER rather than doing something
// the tool never asked for.
TEST_F(RealFile, OnlyWhatTheToolCallsIsProvided) {
  Open();
  const timespec before = Mtime();
  FILETIME time{};
  ASSERT_EQ(GetFileTime(handle_, nullptr, nullptr, &time), TRUE);
  time = FileTimeFromTicks(FileTimeTicks(time) + 10'000'000);  // a second later
  // Each use is refused for its parameters before the system is asked: also
  // on a pipe, where the system would refuse a move with another error.
  const auto expectRefused = [](const char* use, bool failed) {
    EXPECT_TRUE(failed) << use;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << use;
    SetLastError(0);  // so that no use passes on the error of the one before
  };
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0) << std::strerror(errno);
  for (const HANDLE file : {handle_, posix_layer::HandleFromFd(pipeEnds[0])}) {
    LONG high = 0;
    OSVERSIONINFOA shortRecord{};
    shortRecord.dwOSVersionInfoSize = sizeof shortRecord;
    SetLastError(0);
    expectRefused("GetFileTime creation", !GetFileTime(file, &time, nullptr, &time));
    expectRefused("GetFileTime access", !GetFileTime(file, nullptr, &time, &time));
    expectRefused("GetFileTime nothing", !GetFileTime(file, nullptr, nullptr, nullptr));
    expectRefused("SetFileTime creation", !SetFileTime(file, &time, nullptr, &time));
    expectRefused("SetFileTime access", !SetFileTime(file, nullptr, &time, &time));
    expectRefused("SetFileTime nothing", !SetFileTime(file, nullptr, nullptr, nullptr));
    const DWORD refusedMove = INVALID_SET_FILE_POINTER;
    expectRefused("SetFilePointer high half",
                  SetFilePointer(file, 0, &high, FILE_BEGIN) == refusedMove);
    expectRefused("SetFilePointer from here", SetFilePointer(file, 0, nullptr, 1) == refusedMove);
    expectRefused("SetFilePointer from the end",
                  SetFilePointer(file, 0, nullptr, 2) == refusedMove);
    expectRefused("SetFilePointer backwards",
                  SetFilePointer(file, -1, nullptr, FILE_BEGIN) == refusedMove);
    expectRefused("GetStdHandle input",
                  GetStdHandle(static_cast<DWORD>(-10)) == INVALID_HANDLE_VALUE);
    expectRefused("GetVersionExA short record", !GetVersionExA(&shortRecord));
  }
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  // The file is as it was: its time, and the position at its start.
  EXPECT_EQ(Mtime().tv_sec, before.tv_sec);
  EXPECT_EQ(Mtime().tv_nsec, before.tv_nsec);
  char text[32] = {};
  DWORD read = 0;
  ASSERT_EQ(ReadFile(handle_, text, sizeof text, &read, nullptr), TRUE) << GetLastError();
  EXPECT_EQ(std::string(text, read), "#define BUILD 41\r\n");
}

}  // namespace
