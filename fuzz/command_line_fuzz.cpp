// Fuzz target: RunTool with arbitrary argument text over the test double,
// which holds a valid "ver.h", so that some command lines update it.
//
// Input: the argument text, up to the first zero byte if there is one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/runtime.h"
#include "tool/tool.h"

namespace {

const std::string kHeader = "#define BUILD 41\r\n";

// The options of a command line that was accepted: every option is a hyphen
// and one letter, then blanks or the end, and none comes after the name.
ToolOptions AcceptedOptions(const char* text) {
  ToolOptions options;
  auto skipBlanks = [&] {
    while (*text == ' ' || *text == '\t') ++text;
  };
  for (skipBlanks(); text[0] == '-' && text[1] != '\0'; skipBlanks()) {
    options.verbose |= text[1] == 'v';
    options.addNext |= text[1] == 'n';
    options.keepTime |= text[1] == 't';
    text += 2;
  }
  return options;
}

void Check(const char* arguments, DWORD code) {
  FUZZ_CHECK(code <= kExitBadContent);
  FUZZ_CHECK(code != kExitBadContent);  // the header is valid

  const int writes = fuzz::ConsoleWrites();
  FUZZ_CHECK(writes == 0 || writes == 2);
  FUZZ_CHECK(code == kExitUpdated || writes == 2);  // every failure says why
  // The usage text goes to the output; errors go to the error handle.
  FUZZ_CHECK(fake::os.out.empty() || code <= kExitNothingDone);
  FUZZ_CHECK(fake::os.err.empty() || code >= kExitBadCommandLine);

  if (code == kExitUpdated) {
    const ToolOptions options = AcceptedOptions(arguments);
    FUZZ_CHECK(fake::os.file.bytes == fuzz::UpdatedHeader("BUILD", 41, options.addNext));
    FUZZ_CHECK(fuzz::FileTicks() == (options.keepTime ? fuzz::kOldTime : fuzz::kStamp));
    FUZZ_CHECK(fake::os.out == (options.verbose ? expected::Report("BUILD", "42") : ""));
  } else {
    FUZZ_CHECK(fake::os.file.bytes == kHeader);
    FUZZ_CHECK(fuzz::FileTicks() == fuzz::kOldTime);
  }

  // Both standard handles closed and cleared, the file let go.
  FUZZ_CHECK(OutputHandle == nullptr && ErrorHandle == nullptr);
  const std::size_t calls = fake::os.log.size();
  FUZZ_CHECK(calls >= 2 && fake::os.log[calls - 2] == "CloseHandle(out)" &&
             fake::os.log[calls - 1] == "CloseHandle(err)");
  FUZZ_CHECK(!fake::os.file.open);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const std::string arguments(bytes, strnlen(bytes, size));
  fuzz::ResetWithHeader(kHeader);
  const DWORD code = RunTool(arguments.c_str());
  Check(arguments.c_str(), code);
  return 0;
}
