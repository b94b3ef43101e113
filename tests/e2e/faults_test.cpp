// The program against faults from around it: a file system mounted
// read-only, every standard descriptor closed, and many runs fighting over
// one header while another process reads it as a second opener.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/common/messages.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/second_opener.h"

namespace e2e {
namespace {

std::string ErrorText(SysError error) { return " (" + errorTexts->at(error) + ")\r\n"; }

// ---- Read-only file system ----------------------------------------------------

// A tmpfs mounted inside the test's folder, in a mount namespace of the test
// process's own so that nobody else sees it; unmounted before the folder goes.
class ReadOnlyMount : public E2e {
 protected:
  void TearDown() override {
    if (!mounted_.empty()) umount2(mounted_.c_str(), MNT_DETACH);
    E2e::TearDown();
  }
  fs::path mounted_;
};

TEST_F(ReadOnlyMount, OpenFailsAndHeaderStays) {
  if (!onPosix) GTEST_SKIP() << "mount namespaces are POSIX only";
  if (!errorTexts->count(SysError::kReadOnlyFs)) GTEST_SKIP() << "no error text for EROFS";
  if (geteuid() != 0) GTEST_SKIP() << "not root: cannot mount a read-only file system";
  if (unshare(CLONE_NEWNS) != 0) {
    if (errno == EPERM) GTEST_SKIP() << "unshare(CLONE_NEWNS) not permitted (EPERM)";
    FAIL() << "unshare: " << std::strerror(errno);
  }
  // Keep the mounts below from propagating back to the parent namespace.
  ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
  const fs::path ro = Path("ro");
  fs::create_directory(ro);
  constexpr unsigned long kFlags = MS_NOSUID | MS_NODEV | MS_NOEXEC;
  ASSERT_EQ(mount("revtick-ro", ro.c_str(), "tmpfs", kFlags, "size=64k"), 0)
      << std::strerror(errno);
  mounted_ = ro;
  Write("ro/ver.h", kH41, {1234567890, 987654321});
  ASSERT_EQ(mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | kFlags, nullptr), 0)
      << std::strerror(errno);
  ExpectNoChange({"ro/ver.h"}, 3, CannotOpen("ro/ver.h") + ErrorText(SysError::kReadOnlyFs));
}

// ---- All three standard descriptors closed -------------------------------------

// The header's descriptor may be the lowest free one, 0; nothing written for
// a closed channel may land in it, and standard input is never needed.
TEST_F(E2e, ClosedStandardInputToo) {
  if (!onPosix) GTEST_SKIP() << "Wine itself needs its standard descriptors open";
  const std::string bad = Def("BUILD", "x"), report = expected::Report("BUILD", "42");
  const std::string missing = CannotOpen("nope.h") + ErrorText(SysError::kNotFound);
  constexpr Stream kShut = Stream::kClosed, kPipe = Stream::kCaptured;
  const struct {
    Stream in, out, err;
    const char* file;
    std::string before;
    int code;
    std::string printed, error;
  } cases[] = {
      {kShut, kShut, kShut, "ver.h", kH41, 0, "", ""},
      {kShut, kShut, kShut, "ver.h", bad, 4, "", ""},
      {kShut, kShut, kShut, "nope.h", kH41, 3, "", ""},
      {kShut, kPipe, kPipe, "ver.h", kH41, 0, report, ""},
      {kShut, kPipe, kPipe, "ver.h", bad, 4, "", "Invalid number: \"x\"\r\n"},
      {kShut, kPipe, kPipe, "nope.h", kH41, 3, "", missing},
      {kShut, kShut, kPipe, "nope.h", kH41, 3, "", missing},
      {kShut, kPipe, kShut, "ver.h", kH41, 0, report, ""},
      {Stream::kNull, Stream::kNull, Stream::kNull, "ver.h", kH41, 0, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "in " << int(c.in) << ", out " << int(c.out) << ", err "
                                    << int(c.err) << ", " << c.file << ", code " << c.code);
    Write("ver.h", c.before);
    ExpectRun({"-v", c.file}, c.code, c.printed, c.error,
              {.input = c.in, .output = c.out, .error = c.err});
    EXPECT_EQ(ReadBytes(Path("ver.h")), c.code == 0 ? kH42 : c.before);
    if (c.code != 0) {
      EXPECT_EQ(Mtime(Path("ver.h")), Ns(headerStamp));
    }
  }
}

// ---- Contention ----------------------------------------------------------------

// How one worker's runs ended; sent whole through a pipe (well under PIPE_BUF,
// so one write is atomic and one read takes exactly one tally).
struct Tally {
  int updated = 0;  // ended 0 with nothing printed
  int busy = 0;     // ended 3 with the message for a held file
  int other = 0;    // anything else
  char firstOther[480] = {};

  void Count(const RunResult& r, const std::string& busyText) {
    const bool quiet = r.output.empty() && r.failure.empty();
    if (quiet && r.exitCode == 0 && r.error.empty()) {
      ++updated;
    } else if (quiet && r.exitCode == 3 && r.error == busyText) {
      ++busy;
    } else if (other++ == 0) {
      std::snprintf(firstOther, sizeof firstOther,
                    "exit %d, signal %d, timed out %d, failure \"%s\", out \"%s\", err \"%s\"",
                    r.exitCode, r.signal, int(r.timedOut), r.failure.c_str(), r.output.c_str(),
                    r.error.c_str());
    }
  }
  void Add(const Tally& more) {
    updated += more.updated;
    busy += more.busy;
    if (other == 0) std::memcpy(firstOther, more.firstOther, sizeof firstOther);
    other += more.other;
  }
};

// The body of one forked worker: runs the program again and again, then
// reports and leaves without running the test framework's exit handlers.
[[noreturn]] void Work(const Args& command, const std::string& dir, int runs,
                       const std::string& busy, int report) {
  Tally tally;
  for (int i = 0; i < runs; ++i) tally.Count(RunStarted(command, {.directory = dir}), busy);
  const bool sent = write(report, &tally, sizeof tally) == sizeof tally;
  _exit(sent ? 0 : 1);
}

// What the reader saw: each header it read as a second opener must be
// whole, and the numbers must never go down.
struct Reader {
  long long last = 41;
  int attempts = 0, checks = 0, invalid = 0;
  std::string firstInvalid;

  void Attempt(const fs::path& path) {
    ++attempts;
    const std::optional<std::string> text = ReadAsSecondOpener(path);
    if (!text) return;
    const long long number =
        std::strtoll(text->c_str() + std::min<size_t>(text->size(), 14), nullptr, 10);
    ++checks;
    if (*text == Def("BUILD", std::to_string(number)) && number >= last) {
      last = number;
    } else if (invalid++ == 0) {
      firstInvalid = *text;
    }
  }
};

int Setting(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text ? std::atoi(text) : fallback;
}

TEST_F(E2e, ContendedRunsStayConsistent) {
  // Under Wine every run starts a Windows process, some fifty times slower.
  const int processes = Setting("REVTICK_CONTENTION_PROCESSES", onPosix ? 8 : 4);
  const int runs = Setting("REVTICK_CONTENTION_RUNS", onPosix ? 200 : 40);
  ASSERT_GT(processes, 0) << "REVTICK_CONTENTION_PROCESSES";
  ASSERT_GT(runs, 0) << "REVTICK_CONTENTION_RUNS";
  const std::string busy = CannotOpen("ver.h") + ErrorText(SysError::kBusy);
  const auto start = std::chrono::steady_clock::now();

  int reports[2];
  ASSERT_EQ(pipe2(reports, O_CLOEXEC), 0);
  std::vector<pid_t> workers;
  for (int i = 0; i < processes; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      close(reports[0]);
      Work(Command({"ver.h"}), dir_.string(), runs, busy, reports[1]);
    }
    if (pid < 0) {
      ADD_FAILURE() << "fork: " << std::strerror(errno);
      break;
    }
    workers.push_back(pid);
  }
  close(reports[1]);

  // Read the header between runs until every worker has reported and gone.
  Reader reader;
  Tally total;
  int tallies = 0;
  for (;;) {
    reader.Attempt(Path("ver.h"));
    pollfd ready = {reports[0], POLLIN, 0};
    if (poll(&ready, 1, 1) == 0) continue;
    Tally tally;
    const ssize_t got = read(reports[0], &tally, sizeof tally);
    if (got != sizeof tally) break;  // every worker has gone
    total.Add(tally);
    ++tallies;
  }
  close(reports[0]);
  for (const pid_t pid : workers) {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "worker status " << status;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf(
      "%d processes x %d runs: %d ended 0, %d ended 3, %d otherwise; "
      "reader: %d checks of %d attempts; %.2f s\n",
      processes, runs, total.updated, total.busy, total.other, reader.checks, reader.attempts,
      seconds);
  RecordProperty("runs", processes * runs);
  RecordProperty("ended0", total.updated);
  RecordProperty("ended3", total.busy);
  RecordProperty("readerChecks", reader.checks);
  EXPECT_EQ(tallies, int(workers.size())) << "a worker did not report";
  EXPECT_EQ(total.updated + total.busy, int(workers.size()) * runs);
  EXPECT_EQ(total.other, 0) << "first: " << total.firstOther;
  EXPECT_EQ(ReadBytes(Path("ver.h")), Def("BUILD", std::to_string(41 + total.updated)));
  EXPECT_EQ(reader.invalid, 0) << "first: \"" << reader.firstInvalid << "\"";
  EXPECT_GE(reader.checks, 5) << "the reader hardly ever got the lock";
}

}  // namespace
}  // namespace e2e
