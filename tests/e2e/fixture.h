// What every end-to-end test shares: the command that starts the program,
// the platform's error texts, and a fresh folder per test with helpers for
// the header's bytes and last-write time.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

namespace e2e {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

inline std::vector<std::string> program;  // the command prefix that starts the tool
inline bool onPosix = true;               // false when the program is the Windows build under Wine
inline std::string holder;                // under Wine: tests/windows/hold_file.exe

// The holder starts the way the program does: the same launcher before it.
inline std::vector<std::string> HolderCommand(const std::vector<std::string>& args) {
  std::vector<std::string> command(program.begin(), program.end() - 1);
  command.push_back(holder);
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

// The only expectations that differ between platforms: texts of system errors.
enum class SysError {
  kNotFound,
  kNoPath,  // a folder on the way is missing, or the name is empty
  kIsDirectory,
  kNotRegular,
  kAccessDenied,
  kBusy,
  kNoData,
  kTooLarge,
  kReadOnlyFs,
};
using ErrorTexts = std::map<SysError, std::string>;
inline const ErrorTexts* errorTexts = nullptr;

// Starts the program (or the holder) through the command prefix. Under Wine,
// about one start in a few thousand, with several running at once, ends
// with exit code 1 before the program runs: nothing printed, nothing
// touched. (A build whose own exit-1 paths were given other codes showed
// the same, so it is Wine's.) Such a run is started once more; a program
// that really ends that way does so again.
inline RunResult RunStarted(const std::vector<std::string>& command, const RunOptions& options) {
  RunResult result = RunProcess(command, options);
  if (!onPosix && result.exitCode == 1 && result.output.empty() && result.error.empty()) {
    std::fprintf(stderr, "note: Wine did not start the program; starting it again\n");
    result = RunProcess(command, options);
  }
  return result;
}

// Stamps before 1970 and past 2038 must mean what they say: with a 32-bit
// time_t they would wrap on the way to the file system and back.
static_assert(sizeof(time_t) == 8,
              "time_t must have 64 bits: compile with -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64");

constexpr std::int64_t kSecond = 1'000'000'000;
// Every header starts with this last-write time. Windows keeps times in
// 100-ns units, so under Wine the nanoseconds are cut to 123456700.
inline timespec headerStamp = {1234567890, 123456789};
constexpr std::int64_t Ns(timespec t) { return t.tv_sec * kSecond + t.tv_nsec; }
inline std::int64_t Now() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return Ns(t);
}

inline std::string Def(const std::string& name, const std::string& number) {
  return "#define " + name + " " + number + "\r\n";
}
inline std::string CannotOpen(const std::string& name) {
  return "Cannot open file \"" + name + "\"";
}
inline const std::string kH41 = Def("BUILD", "41"), kH42 = Def("BUILD", "42");

// What Mtime gives for a file it cannot look at; no real stamp is this early.
constexpr std::int64_t kNoMtime = INT64_MIN;
inline std::int64_t Mtime(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? Ns(info.st_mtim) : kNoMtime;
}
// The stamp is read back: a file system that cannot hold it (or a time that
// got cut on the way) fails the test here, not later as the tool's fault.
inline void WriteBytes(const fs::path& path, const std::string& bytes,
                       timespec stamp = headerStamp) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  const timespec times[2] = {{0, UTIME_OMIT}, stamp};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
  ASSERT_EQ(Mtime(path), Ns(stamp))
      << "the stamp " << stamp.tv_sec << " s did not hold on " << path;
}
inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
// Compares bytes without flooding the log when a large file differs.
inline void ExpectBytes(const std::string& actual, const std::string& expected,
                        const std::string& what) {
  if (actual.size() + expected.size() < 4096) {
    EXPECT_EQ(actual, expected) << what;
  } else {
    EXPECT_TRUE(actual == expected)
        << what << ": " << actual.size() << " bytes, not " << expected.size();
  }
}

class E2e : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "revtick-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::permissions(dir_, fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
    Write("ver.h", kH41);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }
  void Write(const std::string& name, const std::string& bytes, timespec stamp = headerStamp) {
    WriteBytes(Path(name), bytes, stamp);
  }
  Args Command(const Args& args) const {
    Args command = program;
    command.insert(command.end(), args.begin(), args.end());
    return command;
  }

  RunResult Run(const Args& args, RunOptions options = {}) {
    options.directory = dir_.string();
    RunResult result = RunStarted(Command(args), options);
    EXPECT_EQ(result.failure, "") << "the program did not start";
    EXPECT_FALSE(result.timedOut) << "the program hung";
    EXPECT_EQ(result.signal, 0) << "the program was killed by a signal";
    return result;
  }
  void ExpectRun(const Args& args, int code, const std::string& out, const std::string& err,
                 const RunOptions& options = {}) {
    const RunResult result = Run(args, options);
    EXPECT_EQ(result.exitCode, code);
    ExpectBytes(result.output, out, "standard output");
    ExpectBytes(result.error, err, "standard error");
  }

  // Every regular file in the folder, with its bytes and last-write time.
  std::map<std::string, std::pair<std::string, std::int64_t>> Snapshot() const {
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_))
      if (fs::is_regular_file(entry.symlink_status()))
        files[entry.path().string()] = {ReadBytes(entry.path()), Mtime(entry.path())};
    return files;
  }
  // A run that does not update: every file keeps its bytes and time.
  void ExpectNoChange(const Args& args, int code, const std::string& err,
                      const RunOptions& options = {}, const std::string& out = "") {
    const auto before = Snapshot();
    ExpectRun(args, code, out, err, options);
    const auto after = Snapshot();
    EXPECT_EQ(after.size(), before.size()) << "files appeared or vanished";
    for (const auto& [name, file] : before) {
      const auto now =
          after.count(name) ? after.at(name) : std::pair{std::string("<gone>"), kNoMtime};
      ExpectBytes(now.first, file.first, name);
      EXPECT_EQ(now.second, file.second) << "last-write time of " << name;
    }
  }

  fs::path dir_;
};

}  // namespace e2e
