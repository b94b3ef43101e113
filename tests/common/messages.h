// Texts the tool prints, as every kind of test expects them.
#pragma once

#include <string>

namespace expected {

// The report of -v for `name` set to `number` in `file`, with its line end.
inline std::string Report(const std::string& name, const std::string& number,
                          const std::string& file = "ver.h") {
  return "Macro \"" + name + "\" set to " + number + " in \"" + file + "\"\r\n";
}

}  // namespace expected
