// The POSIX platform's own time routines: the conversions between FILETIME,
// SYSTEMTIME and POSIX time at the edges of each range, and the real clock.
#include <gtest/gtest.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"
#include "tests/platform/moments.h"

namespace {

// ---- FILETIME and timespec ---------------------------------------------------

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

// What the tool reads of the clock is the FILETIME the record converts to:
// the reading in whole milliseconds. The record itself must be the date the
// C library gives for the same second, day of the week included. Read at
// the first and last moments a SYSTEMTIME holds, at every day of two weeks
// either side of 1970, and at steps across the whole range.
TEST(ClockReading, GivesTheDateAndConvertsToTheSameFileTime) {
  constexpr time_t kFirst = -11644473600, kLast = 910670515199, kDay = 86400;
  std::vector<timespec> readings = {{kFirst, 0}, {kLast, 999999999}, {951827696, 789000000}};
  for (time_t day = -14; day < 14; ++day) readings.push_back({day * kDay + 45296, 999999});
  for (time_t second = kFirst; second < kLast; second += 987654321) {
    readings.push_back({second, static_cast<long>(readings.size() * 1'234'567ull % 1'000'000'000)});
  }
  for (const timespec& now : readings) {
    SCOPED_TRACE(testing::Message() << now.tv_sec << " s " << now.tv_nsec << " ns");
    SYSTEMTIME time{};
    ASSERT_TRUE(posix_layer::SystemTimeFromClock(&now, time));
    tm date{};
    ASSERT_NE(gmtime_r(&now.tv_sec, &date), nullptr);
    const auto part = [](int value) { return static_cast<WORD>(value); };
    ExpectSameRecord(time, {part(date.tm_year + 1900), part(date.tm_mon + 1), part(date.tm_wday),
                            part(date.tm_mday), part(date.tm_hour), part(date.tm_min),
                            part(date.tm_sec), part(static_cast<int>(now.tv_nsec / 1'000'000))});
    FILETIME direct{}, converted{};
    ASSERT_TRUE(posix_layer::FileTimeFromTimespec({now.tv_sec, now.tv_nsec / 1'000'000 * 1'000'000},
                                                  direct));
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

// ---- The real clock ------------------------------------------------------------

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

}  // namespace
