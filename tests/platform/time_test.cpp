// The POSIX platform's own time routines: the conversions between FILETIME,
// SYSTEMTIME and POSIX time at the edges of each range, and the times of
// real files and of the real clock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"

namespace {

// What the tool does to the current time before it stamps a header.
constexpr std::uint64_t kTwoSeconds = 20'000'000;
std::int64_t Ns(const timespec& time) {
  return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec;
}

// ---- FILETIME and timespec ---------------------------------------------------

struct Moment {
  const char* name;
  timespec time;
  std::uint64_t units;
};
// clang-format off
const Moment kMoments[] = {
    {"1601", {-11644473600, 0}, 0},
    {"1601PlusOneUnit", {-11644473600, 100}, 1},
    {"1960", {-315619200, 700}, 113288544000000007},
    {"TwoSecondsBefore1970", {-2, 500}, 116444735980000005},
    {"1970", {0, 0}, 116444736000000000},
    {"PastInt32Seconds2038", {2147483648, 0}, 137919572480000000},
    {"2100", {4102444800, 999999900}, 157469184009999999},
    {"LastFileTime", {910692730085, 477580700}, 0x7FFF'FFFF'FFFF'FFFF},
};
// clang-format on

TEST(FileTimeConversion, BothWaysAtTheEdges) {
  for (const Moment& m : kMoments) {
    SCOPED_TRACE(m.name);
    FILETIME fileTime{};
    ASSERT_TRUE(posix_layer::FileTimeFromTimespec(m.time, fileTime));
    EXPECT_EQ(FileTimeTicks(fileTime), m.units);
    timespec back{};
    ASSERT_TRUE(posix_layer::TimespecFromFileTime(FileTimeFromTicks(m.units), back));
    EXPECT_EQ(back.tv_sec, m.time.tv_sec);
    EXPECT_EQ(back.tv_nsec, m.time.tv_nsec);
  }
}

TEST(FileTimeConversion, NanosecondsBelowAUnitAreCut) {
  FILETIME fileTime{};
  ASSERT_TRUE(posix_layer::FileTimeFromTimespec({0, 199}, fileTime));
  EXPECT_EQ(FileTimeTicks(fileTime), 116444736000000001u);
}

TEST(FileTimeConversion, TimesOutsideFileTimeAreRefused) {
  const struct {
    const char* name;
    timespec time;
  } cases[] = {
      {"Before1601", {-11644473601, 999999999}},
      {"OneUnitPastTheLast", {910692730085, 477580800}},
      {"ASecondPastTheLast", {910692730086, 0}},
      {"LatestTimeT", {INT64_MAX, 0}},
      {"EarliestTimeT", {INT64_MIN, 0}},
      {"NegativeNanoseconds", {0, -1}},
      {"WholeSecondOfNanoseconds", {0, 1'000'000'000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FILETIME fileTime = FileTimeFromTicks(12345);
    EXPECT_FALSE(posix_layer::FileTimeFromTimespec(c.time, fileTime));
    EXPECT_EQ(FileTimeTicks(fileTime), 12345u) << "left alone";
  }
  const std::uint64_t noTime = FileTimeTicks(posix_layer::kNoFileTime);
  for (const std::uint64_t units : {std::uint64_t{1} << 63, noTime, noTime - kTwoSeconds}) {
    timespec time{7, 7};
    EXPECT_FALSE(posix_layer::TimespecFromFileTime(FileTimeFromTicks(units), time)) << units;
    EXPECT_EQ(time.tv_sec, 7);
  }
}

// ---- The clock's reading as a SYSTEMTIME, and SYSTEMTIME to FILETIME --------

struct Reading {
  const char* name;
  timespec now;
  SYSTEMTIME expected;  // year, month, day of week, day, hour, minute, second, ms
};
// clang-format off
const Reading kReadings[] = {
    {"First", {-11644473600, 0}, {1601, 1, 1, 1, 0, 0, 0, 0}},
    {"Before1970", {-2, 0}, {1969, 12, 3, 31, 23, 59, 58, 0}},
    {"1970", {0, 999999999}, {1970, 1, 4, 1, 0, 0, 0, 999}},
    {"LeapDay", {951827696, 789000000}, {2000, 2, 2, 29, 12, 34, 56, 789}},
    {"PastInt32Seconds", {2147483648, 0}, {2038, 1, 2, 19, 3, 14, 8, 0}},
    {"2100", {4107542400, 0}, {2100, 3, 1, 1, 0, 0, 0, 0}},
    {"Last", {910670515199, 999999999}, {30827, 12, 5, 31, 23, 59, 59, 999}},
};
// clang-format on

void ExpectSameRecord(const SYSTEMTIME& actual, const SYSTEMTIME& expected) {
  EXPECT_EQ(actual.wYear, expected.wYear);
  EXPECT_EQ(actual.wMonth, expected.wMonth);
  EXPECT_EQ(actual.wDayOfWeek, expected.wDayOfWeek);
  EXPECT_EQ(actual.wDay, expected.wDay);
  EXPECT_EQ(actual.wHour, expected.wHour);
  EXPECT_EQ(actual.wMinute, expected.wMinute);
  EXPECT_EQ(actual.wSecond, expected.wSecond);
  EXPECT_EQ(actual.wMilliseconds, expected.wMilliseconds);
}

TEST(ClockReading, GivesTheDateAndConvertsToTheSameFileTime) {
  for (const Reading& r : kReadings) {
    SCOPED_TRACE(r.name);
    SYSTEMTIME time{};
    ASSERT_TRUE(posix_layer::SystemTimeFromClock(&r.now, time));
    ExpectSameRecord(time, r.expected);
    // Through SYSTEMTIME the time keeps whole milliseconds.
    FILETIME direct{}, converted{};
    ASSERT_TRUE(posix_layer::FileTimeFromTimespec(
        {r.now.tv_sec, r.now.tv_nsec / 1'000'000 * 1'000'000}, direct));
    EXPECT_EQ(SystemTimeToFileTime(&time, &converted), TRUE);
    EXPECT_EQ(FileTimeTicks(converted), FileTimeTicks(direct));
  }
}

// A clock that failed or reads a time no SYSTEMTIME holds gives a record
// that SystemTimeToFileTime refuses, and no FILETIME, even 2 s earlier.
TEST(ClockReading, FailureGivesNoTime) {
  const struct {
    const char* name;
    bool clockFailed;
    timespec now;
    DWORD error;
  } cases[] = {
      {"ClockFailed", true, {}, EIO},
      {"After30827", false, {910670515200, 0}, EOVERFLOW},
      {"Before1601", false, {-11644473601, 999999999}, EOVERFLOW},
      {"LatestTimeT", false, {INT64_MAX, 0}, EOVERFLOW},
      {"EarliestTimeT", false, {INT64_MIN, 0}, EOVERFLOW},
      {"BadNanoseconds", false, {0, 1'000'000'000}, EOVERFLOW},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    errno = EIO;  // as a failed clock_gettime leaves it
    SYSTEMTIME time;
    std::memset(&time, 0x55, sizeof time);
    EXPECT_FALSE(posix_layer::SystemTimeFromClock(c.clockFailed ? nullptr : &c.now, time));
    EXPECT_EQ(GetLastError(), c.error);
    ExpectSameRecord(time, SYSTEMTIME{});
    FILETIME fileTime = FileTimeFromTicks(116444736000000000);
    EXPECT_EQ(SystemTimeToFileTime(&time, &fileTime), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(FileTimeTicks(fileTime), FileTimeTicks(posix_layer::kNoFileTime));
    timespec stamp{};
    EXPECT_FALSE(posix_layer::TimespecFromFileTime(
        FileTimeFromTicks(FileTimeTicks(fileTime) - kTwoSeconds), stamp));
  }
}

TEST(SystemTimeToFileTime, RefusesDatesThatDoNotExist) {
  const SYSTEMTIME valid = {2000, 2, 0, 29, 23, 59, 59, 999};
  const struct {
    const char* name;
    WORD SYSTEMTIME::*field;
    WORD value;
    bool accepted;
  } cases[] = {
      {"LeapDay2000", &SYSTEMTIME::wDay, 29, true},
      {"DayOfWeekIgnored", &SYSTEMTIME::wDayOfWeek, 6, true},
      {"Feb30", &SYSTEMTIME::wDay, 30, false},
      {"DayZero", &SYSTEMTIME::wDay, 0, false},
      {"MonthZero", &SYSTEMTIME::wMonth, 0, false},
      {"Month13", &SYSTEMTIME::wMonth, 13, false},
      {"LeapDayOf2100", &SYSTEMTIME::wYear, 2100, false},
      {"LeapDayOf2024", &SYSTEMTIME::wYear, 2024, true},
      {"LeapDayOf1900", &SYSTEMTIME::wYear, 1900, false},
      {"Year1600", &SYSTEMTIME::wYear, 1600, false},
      {"Year30828", &SYSTEMTIME::wYear, 30828, false},
      {"Hour24", &SYSTEMTIME::wHour, 24, false},
      {"Minute60", &SYSTEMTIME::wMinute, 60, false},
      {"Second60", &SYSTEMTIME::wSecond, 60, false},
      {"Millisecond1000", &SYSTEMTIME::wMilliseconds, 1000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SYSTEMTIME time = valid;
    time.*c.field = c.value;
    FILETIME fileTime{};
    EXPECT_EQ(SystemTimeToFileTime(&time, &fileTime), c.accepted ? TRUE : FALSE);
    if (!c.accepted) {
      EXPECT_EQ(FileTimeTicks(fileTime), FileTimeTicks(posix_layer::kNoFileTime));
    }
  }
  SYSTEMTIME april = {2023, 4, 0, 31, 0, 0, 0, 0};
  FILETIME fileTime{};
  EXPECT_EQ(SystemTimeToFileTime(&april, &fileTime), FALSE) << "31 April";
}

// ---- Real files and the real clock ----------------------------------------------

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

TEST(RealClock, ReadsTheCurrentTimeInMilliseconds) {
  timespec before{}, after{};
  SYSTEMTIME now{};
  FILETIME time{}, first{}, last{};
  clock_gettime(CLOCK_REALTIME, &before);
  GetSystemTime(&now);
  clock_gettime(CLOCK_REALTIME, &after);
  ASSERT_EQ(SystemTimeToFileTime(&now, &time), TRUE);
  before.tv_nsec = before.tv_nsec / 1'000'000 * 1'000'000;
  ASSERT_TRUE(posix_layer::FileTimeFromTimespec(before, first));
  ASSERT_TRUE(posix_layer::FileTimeFromTimespec(after, last));
  EXPECT_GE(FileTimeTicks(time), FileTimeTicks(first));
  EXPECT_LE(FileTimeTicks(time), FileTimeTicks(last));
  EXPECT_EQ(FileTimeTicks(time) % 10'000, 0u) << "whole milliseconds";
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
  LONG high = 0;
  OSVERSIONINFOA shortRecord{};
  shortRecord.dwOSVersionInfoSize = sizeof shortRecord;
  const std::pair<const char*, bool> refused[] = {
      {"GetFileTime creation", GetFileTime(handle_, &time, nullptr, &time) == FALSE},
      {"GetFileTime access", GetFileTime(handle_, nullptr, &time, &time) == FALSE},
      {"GetFileTime nothing", GetFileTime(handle_, nullptr, nullptr, nullptr) == FALSE},
      {"SetFileTime creation", SetFileTime(handle_, &time, nullptr, &time) == FALSE},
      {"SetFileTime access", SetFileTime(handle_, nullptr, &time, &time) == FALSE},
      {"SetFileTime nothing", SetFileTime(handle_, nullptr, nullptr, nullptr) == FALSE},
      {"SetFilePointer high half",
       SetFilePointer(handle_, 0, &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER},
      {"SetFilePointer from here",
       SetFilePointer(handle_, 0, nullptr, 1) == INVALID_SET_FILE_POINTER},
      {"SetFilePointer from the end",
       SetFilePointer(handle_, 0, nullptr, 2) == INVALID_SET_FILE_POINTER},
      {"SetFilePointer backwards",
       SetFilePointer(handle_, -1, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER},
      {"GetStdHandle input", GetStdHandle(static_cast<DWORD>(-10)) == INVALID_HANDLE_VALUE},
      {"GetVersionExA short record", GetVersionExA(&shortRecord) == FALSE},
  };
  for (const auto& [call, failed] : refused) {
    SetLastError(0);
    EXPECT_TRUE(failed) << call;
  }
  // Each refusal says why, and leaves the file as it was.
  SetLastError(0);
  EXPECT_EQ(SetFileTime(handle_, nullptr, &time, &time), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Mtime().tv_sec, before.tv_sec);
  EXPECT_EQ(Mtime().tv_nsec, before.tv_nsec);
}

}  // namespace
