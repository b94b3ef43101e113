#include "tests/e2e/second_opener.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>

#include "tests/e2e/fixture.h"

namespace e2e {

std::optional<std::string> ReadAsSecondOpener(const fs::path& file) {
  if (!onPosix) {
    const RunResult read = RunStarted(HolderCommand({file.filename().string()}),
                                      {.directory = file.parent_path().string()});
    if (read.exitCode != 0) return std::nullopt;
    return read.output;
  }
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> text;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    char bytes[64];
    const ssize_t size = pread(fd, bytes, sizeof bytes, 0);
    text.emplace(bytes, size > 0 ? size_t(size) : 0);
  }
  close(fd);  // releases the lock
  return text;
}

HeldFile::HeldFile(const fs::path& file) {
  if (onPosix) {
    descriptor_ = open(file.c_str(), O_RDWR | O_CLOEXEC);
    held_ = descriptor_ >= 0 && flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
    if (!held_) why_ = "open or flock failed";
    return;
  }
  // The holder creates the marker once it has the file and lets go when the
  // marker is deleted.
  marker_ = file.parent_path() / "held.marker";
  const Args command = HolderCommand({file.filename().string(), marker_.filename().string()});
  holder_ = std::thread([this, command, dir = file.parent_path().string()] {
    result_ = RunStarted(command, {.directory = dir});
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!fs::exists(marker_) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  held_ = fs::exists(marker_);
  if (!held_) why_ = "the holder never took the file";
}

HeldFile::~HeldFile() {
  if (descriptor_ >= 0) close(descriptor_);
  if (holder_.joinable()) {
    std::error_code ignored;
    fs::remove(marker_, ignored);
    holder_.join();
    EXPECT_EQ(result_.exitCode, 0) << "holder: " << result_.output << result_.error;
  }
}

}  // namespace e2e
