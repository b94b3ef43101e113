// A second opener of the header, as another run of the tool would be: under
// the same lock on POSIX, and under Wine through a Windows program that opens
// the file with no sharing (tests/windows/hold_file.cpp).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "tests/e2e/process.h"

namespace e2e {

// Reads the file's first bytes while holding it; nothing when it is held by
// someone else.
std::optional<std::string> ReadAsSecondOpener(const std::filesystem::path& file);

// Holds the file for as long as the object lives.
class HeldFile {
 public:
  explicit HeldFile(const std::filesystem::path& file);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool held() const { return held_; }
  std::string why() const { return why_; }

 private:
  bool held_ = false;
  std::string why_;
  int descriptor_ = -1;
  std::filesystem::path marker_;
  std::thread holder_;
  RunResult result_;
};

}  // namespace e2e
