#include "tests/e2e/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace e2e {
namespace {

// Why the child could not reach the program; sent back through a pipe that
// the exec closes.
struct ChildFailure {
  const char* step;
  int error;
};

struct Pipe {
  int read = -1;
  int write = -1;
};

void Close(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Puts one standard descriptor in place in the child; async-signal-safe.
bool Attach(Stream stream, const Pipe& pipe, int target) {
  if (stream == Stream::kClosed) return close(target) == 0 || errno == EBADF;
  if (stream != Stream::kNull) return dup2(pipe.write, target) == target;
  const int null = open("/dev/null", O_RDWR);
  if (null < 0 || dup2(null, target) != target) return false;
  return null == target || close(null) == 0;
}

[[noreturn]] void Fail(int report, const char* step) {
  const ChildFailure failure{step, errno};
  [[maybe_unused]] auto written = write(report, &failure, sizeof failure);
  _exit(127);
}

[[noreturn]] void StartChild(char* const* argv, const RunOptions& options, const Pipe& out,
                             const Pipe& err, int report) {
  // Standard input has no pipe: only kNull and kClosed apply to it.
  if (!Attach(options.input, Pipe{}, 0)) Fail(report, "stdin");
  if (!Attach(options.output, out, 1) || !Attach(options.error, err, 2)) Fail(report, "dup2");
  if (chdir(options.directory.c_str()) != 0) Fail(report, "chdir");
  if (options.unprivileged && geteuid() == 0 &&
      (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
    Fail(report, "drop privileges");
  const rlimit size = {static_cast<rlim_t>(options.fileSizeLimit),
                       static_cast<rlim_t>(options.fileSizeLimit)};
  if (options.fileSizeLimit > 0 && setrlimit(RLIMIT_FSIZE, &size) != 0) Fail(report, "setrlimit");
  // The default dispositions, whatever the test runner ignores.
  signal(SIGPIPE, SIG_DFL);
  signal(SIGXFSZ, SIG_DFL);
  execvp(argv[0], argv);
  Fail(report, "exec");
}

// Reads what is there without blocking; false once the writer has gone.
bool Drain(int fd, std::string& text) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && errno == EAGAIN;
    }
  }
}

}  // namespace

RunResult RunProcess(const std::vector<std::string>& command, const RunOptions& options) {
  RunResult result;
  std::vector<char*> argv;
  for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  Pipe out, err, report;
  if (command.empty() || pipe2(&out.read, O_CLOEXEC) != 0 || pipe2(&err.read, O_CLOEXEC) != 0 ||
      pipe2(&report.read, O_CLOEXEC) != 0) {
    result.failure = "no command or no pipes";
    return result;
  }
  if (options.output != Stream::kCaptured) Close(out.read);
  if (options.error != Stream::kCaptured) Close(err.read);

  const pid_t pid = fork();
  if (pid == 0) StartChild(argv.data(), options, out, err, report.write);
  Close(out.write);
  Close(err.write);
  Close(report.write);
  ChildFailure failure{};
  if (pid < 0) {
    result.failure = std::string("fork: ") + std::strerror(errno);
  } else if (read(report.read, &failure, sizeof failure) == sizeof failure) {
    result.failure = std::string(failure.step) + ": " + std::strerror(failure.error);
  }
  Close(report.read);

  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  std::pair<int*, std::string*> streams[] = {{&out.read, &result.output},
                                             {&err.read, &result.error}};
  for (auto& [fd, text] : streams)
    if (*fd >= 0) fcntl(*fd, F_SETFL, O_NONBLOCK);
  int status = 0;
  bool ended = pid < 0;
  for (bool last = false; !last;) {
    pollfd ready[2];
    nfds_t count = 0;
    for (auto& [fd, text] : streams)
      if (*fd >= 0) ready[count++] = {*fd, POLLIN, 0};
    // A stream's end or data wakes the poll early; with none left open only
    // the child's exit is awaited, which follows its closing them closely.
    poll(ready, count, ended ? 0 : count > 0 ? 20 : 1);
    for (auto& [fd, text] : streams)
      if (*fd >= 0 && !Drain(*fd, *text)) Close(*fd);
    last = ended;  // one more pass drains what the child left in the pipes
    if (!ended && waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
    } else if (!ended && std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timedOut = ended = last = true;
    }
  }
  for (auto& [fd, text] : streams) Close(*fd);
  if (pid > 0 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (pid > 0 && WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace e2e
