// The fixture every unit test runs in: a fresh fake system, and the two
// output handles pointing at its capture buffers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "tests/double/platform_double.h"

class DoubleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    OutputHandle = fake::kOut;
    ErrorHandle = fake::kErr;
    ErrorLead = nullptr;
  }
  void TearDown() override {
    OutputHandle = nullptr;
    ErrorHandle = nullptr;
    ErrorLead = nullptr;
  }

  // The logged calls that start with `prefix`, in order.
  static std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> found;
    std::copy_if(fake::os.log.begin(), fake::os.log.end(), std::back_inserter(found),
                 [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    return found;
  }
};

// The position `rest` names inside `text`: where the suffix `rest` of `text`
// starts, or null for a null `rest`.
inline const char* Suffix(const char* text, const char* rest) {
  return rest ? text + std::strlen(text) - std::strlen(rest) : nullptr;
}
