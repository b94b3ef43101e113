// Runs a program as a child process and captures what it leaves behind.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// How one of the child's standard descriptors is set up.
enum class Stream {
  kCaptured,  // a pipe the test reads (output and error only)
  kClosed,    // the descriptor is not open in the child
  kBroken,    // a pipe whose read end is already closed (output and error only)
  kNull,      // /dev/null
};

struct RunOptions {
  std::string directory = ".";
  Stream input = Stream::kNull;
  Stream output = Stream::kCaptured;
  Stream error = Stream::kCaptured;
  // When run as root, drop to nobody/nogroup (65534) before the exec.
  bool unprivileged = false;
  long fileSizeLimit = 0;  // RLIMIT_FSIZE in bytes for the child, when not 0
  std::chrono::milliseconds timeout{20000};
};

struct RunResult {
  std::string output;
  std::string error;
  int exitCode = -1;      // valid when the child exited
  int signal = 0;         // nonzero when a signal ended the child
  bool timedOut = false;  // the child was killed for running too long
  std::string failure;    // why the child could not be started, if so
};

RunResult RunProcess(const std::vector<std::string>& command, const RunOptions& options);

}  // namespace e2e
