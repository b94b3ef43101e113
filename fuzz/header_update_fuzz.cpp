// Fuzz target: UpdateHeader over the test double with arbitrary file bytes,
// options, and at most one file call that fails or comes up short.
//
// Input: byte 0 holds the options (bit 0 -v, bit 1 -n, bit 2 -t), the call
// to disturb (bits 3-5: 0 for none, else an index into kCalls plus one) and
// how (bit 6 set: it fails with an error code; clear: a read or write moves
// fewer bytes but succeeds, any other call fails leaving no error code).
// With a disturbed call, byte 1 is how many bytes it still moves. The rest
// is the file.
//
// The outcome is predicted by a parser of the header written here, apart
// from the tool's own scanning routines, and by what the fault does.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "runtime/runtime.h"
#include "tool/tool.h"

namespace {

constexpr const char* kCalls[] = {"CreateFileA",     "GetFileTime",  "ReadFile",   "SetFilePointer",
                                  "WriteFile(file)", "SetEndOfFile", "SetFileTime"};
constexpr std::size_t kCountedBytes = 255;

struct Definition {
  std::string name;
  std::uint32_t number = 0;
};

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

// The definition the first bytes of a header hold, if they hold a valid one.
std::optional<Definition> ParseHeader(std::string_view bytes, bool addNext) {
  const std::string_view counted = bytes.substr(0, kCountedBytes);
  if (!counted.ends_with("\r\n")) return std::nullopt;
  std::string_view text = counted.substr(0, counted.size() - 2);
  text = text.substr(0, text.find('\0'));

  std::size_t at = 0;
  auto blanks = [&] {  // skips blanks, tells how many there were
    const std::size_t start = at;
    while (at < text.size() && IsBlankByte(text[at])) ++at;
    return at - start;
  };
  blanks();
  if (text.substr(at, 7) != "#define") return std::nullopt;
  at += 7;
  if (blanks() == 0) return std::nullopt;
  const std::size_t nameStart = at;
  while (at < text.size() && !IsBlankByte(text[at])) ++at;
  Definition definition{std::string(text.substr(nameStart, at - nameStart))};
  if (definition.name.empty() || blanks() == 0) return std::nullopt;

  std::uint64_t number = 0;
  const std::size_t digitsStart = at;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    number = number * 10 + static_cast<unsigned>(text[at] - '0');
    if (number > 0xFFFF'FFFFu) return std::nullopt;
  }
  if (at == digitsStart) return std::nullopt;
  definition.number = static_cast<std::uint32_t>(number);
  blanks();
  if (!addNext && at != text.size()) return std::nullopt;
  return definition;
}

struct Disturbance {
  std::string call;  // empty: none
  bool fails = false;
  DWORD bytes = 0;
};

// What the run must end in, worked out from the old file and the fault.
DWORD ExpectedCode(const std::string& old, const ToolOptions& options, const Disturbance& fault,
                   std::optional<Definition>& definition) {
  const std::string& call = fault.call;
  if (call == "CreateFileA" || call == "GetFileTime") return kExitFileError;
  std::string_view seen = old;
  if (call == "ReadFile") {
    if (fault.fails) return kExitFileError;
    seen = seen.substr(0, fault.bytes);
  }
  if (seen.empty()) return kExitFileError;  // nothing read
  definition = ParseHeader(seen, options.addNext);
  if (!definition) return kExitBadContent;
  if (call == "WriteFile(file)" && !fault.fails) {
    const std::size_t length =
        fuzz::UpdatedHeader(definition->name, definition->number, options.addNext).size();
    return fault.bytes < length ? kExitFileError : kExitUpdated;
  }
  if (call == "SetFilePointer" || call == "WriteFile(file)" || call == "SetEndOfFile" ||
      call == "SetFileTime")
    return kExitFileError;
  return kExitUpdated;
}

void Check(const std::string& old, const ToolOptions& options, const Disturbance& fault,
           DWORD code) {
  std::optional<Definition> definition;
  const DWORD expected = ExpectedCode(old, options, fault, definition);
  FUZZ_CHECK(code == kExitUpdated || code == kExitFileError || code == kExitBadContent);
  FUZZ_CHECK(code == expected);

  // One message at most: the report on success with -v, else one error.
  const bool reported = code == kExitUpdated && options.verbose;
  FUZZ_CHECK(fuzz::ConsoleWrites() == (reported || code != kExitUpdated ? 2 : 0));
  FUZZ_CHECK(
      fake::os.out ==
      (reported ? expected::Report(definition->name, std::to_string(definition->number + 1)) : ""));
  FUZZ_CHECK(code == kExitUpdated ? fake::os.err.empty() : fake::os.err.ends_with("\r\n"));

  // Only a failure to stamp the file leaves the new text behind.
  const bool rewritten = definition && (code == kExitUpdated || fault.call == "SetFileTime");
  const std::string& bytes = fake::os.file.bytes;
  if (rewritten) {
    FUZZ_CHECK(bytes == fuzz::UpdatedHeader(definition->name, definition->number, options.addNext));
  } else {
    FUZZ_CHECK(bytes == old);
  }
  const std::uint64_t time = code == kExitUpdated
                                 ? (options.keepTime ? fuzz::kOldTime : fuzz::kStamp)
                             : rewritten ? fuzz::kWriteTime
                                         : fuzz::kOldTime;
  FUZZ_CHECK(fuzz::FileTicks() == time);
  FUZZ_CHECK(!fake::os.file.open);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned control = data[0];
  const ToolOptions options{
      .verbose = (control & 1) != 0, .addNext = (control & 2) != 0, .keepTime = (control & 4) != 0};
  Disturbance fault;
  std::size_t used = 1;
  if (const unsigned pick = (control >> 3) & 7; pick != 0) {
    if (size < 2) return 0;
    fault = {kCalls[pick - 1], (control & 0x40) != 0, data[1]};
    used = 2;
  }
  const std::string old(reinterpret_cast<const char*>(data) + used, size - used);

  fuzz::ResetWithHeader(old);
  if (!fault.call.empty()) {
    // Only a read or a write can come up short; anything else just fails,
    // and an open always fails with a code, since one without fails nothing.
    const bool moves = fault.call == "ReadFile" || fault.call == "WriteFile(file)";
    const DWORD error = fault.fails || fault.call == "CreateFileA" ? EACCES : 0;
    fake::os.faults = {{fault.call, 1, error, moves ? fault.bytes : 0}};
  }
  OutputHandle = fake::kOut;
  ErrorHandle = fake::kErr;
  const DWORD code = UpdateHeader("ver.h", options);
  OutputHandle = nullptr;
  ErrorHandle = nullptr;
  Check(old, options, fault, code);
  return 0;
}
