// The header update over the fake file: accepted and rejected contents, the
// order of the system calls, and every system call failing in turn.
#include <map>
#include <tuple>

#include "tests/common/messages.h"
#include "tests/double/known_times.h"
#include "tests/unit/double_test.h"
#include "tool/tool.h"

namespace {

using namespace std::string_literals;

using fake::kNow;
using fake::kOldTime;
using fake::kStamp;
using fake::kWriteTime;

const std::string kNoEol = "No EOL\r\n", kNoEof = "No EOF after the build number value\r\n";
const std::string kN200(200, 'N'), kM243(243, 'M');

std::string L(const std::string& definition) { return "#define " + definition + "\r\n"; }

// `head` followed by a filler line that ends exactly at the 255th byte.
std::string FilledTo255(const std::string& head) {
  return head + std::string(255 - head.size() - 2, 'x') + "\r\n";
}

ToolOptions Options(const std::string& letters) {
  auto has = [&](char c) { return letters.find(c) != std::string::npos; };
  return {.verbose = has('v'), .addNext = has('n'), .keepTime = has('t')};
}

class HeaderUpdate : public DoubleTest {
 protected:
  void Prepare(const std::string& content) { fake::ResetWithHeader(content); }
};

TEST_F(HeaderUpdate, Contents) {
  struct Case {
    std::string content;
    const char* options;
    DWORD code;
    std::string written;  // the file afterwards when updated
    std::string message;  // the report when updated, else the error
  };
  const Case cases[] = {
      {L("BUILD 41"), "", 0, L("BUILD 42"), ""},
      {L("BUILD 41"), "tv", 0, L("BUILD 42"), expected::Report("BUILD", "42")},
      {L("BUILD 41"), "n", 0, L("BUILD 42") + L("BUILDNext 43"), ""},
      {L("BUILD 42") + L("BUILDNext 43"), "n", 0, L("BUILD 43") + L("BUILDNext 44"), ""},
      {L("BUILD 42") + L("BUILDNext 43"), "v", 4, "", kNoEof},
      {"\t#define\tBUILD\t\t7  \r\n", "", 0, L("BUILD 8"), ""},
      {L("BUILD 007"), "t", 0, L("BUILD 8"), ""},
      {L("BUILD 4294967295"), "n", 0, L("BUILD 0") + L("BUILDNext 1"), ""},
      {L("BUILD 4294967294"), "n", 0, L("BUILD 4294967295") + L("BUILDNext 0"), ""},
      {L("BUILD 4294967296"), "n", 4, "", "Invalid number: \"4294967296\"\r\n"},
      {L("BUILD -1"), "", 4, "", "Invalid number: \"-1\"\r\n"},
      {L("BUILD +1 "), "n", 4, "", "Invalid number: \"+1 \"\r\n"},
      {L("BUILD "), "", 4, "", "Invalid number: \"\"\r\n"},
      {L("BUILD 12abc"), "", 4, "", kNoEof},
      {L("BUILD 12abc"), "n", 0, L("BUILD 13") + L("BUILDNext 14"), ""},
      {L("BUILD 41\r"), "", 4, "", kNoEof},
      {L("BUILD 41 \t"), "", 0, L("BUILD 42"), ""},
      {L("BUILD 41 \t") + "more\r\n", "", 4, "", kNoEof},
      {L("BUILD 41 \t") + "more\r\n", "n", 0, L("BUILD 42") + L("BUILDNext 43"), ""},
      {"#DEFINE BUILD 1\r\n", "", 4, "", "No \"#define\": \"#DEFINE BUILD 1\"\r\n"},
      {" \t#defin\r\n", "", 4, "", "No \"#define\": \" \t#defin\"\r\n"},
      {"\r\n", "", 4, "", "No \"#define\": \"\"\r\n"},
      {"#defineBUILD 1\r\n", "", 4, "", "No blank after \"#define\": \"#defineBUILD 1\"\r\n"},
      {" #define\r\n", "", 4, "", "No blank after \"#define\": \" #define\"\r\n"},
      {L("  "), "", 4, "", "No macro name: \"#define   \"\r\n"},
      {L("BUILD"), "", 4, "", "No blank after macro name: \"#define BUILD\"\r\n"},
      {L("BUILD\0 41"s), "", 4, "", "No blank after macro name: \"#define BUILD\"\r\n"},
      {L("BUILD 41\0xyz"s), "", 0, L("BUILD 42"), ""},
      {"#define BUILD 41\n", "", 4, "", kNoEol},
      {"#define BUILD 41", "", 4, "", kNoEol},
      {"#define BUILD 41\n\r", "", 4, "", kNoEol},
      {"\n", "", 4, "", kNoEol},
      {"", "v", 3, "", "Cannot read from file (0/61 - Reached the end of the file.)\r\n"},
      {FilledTo255(L("BUILD 41")) + std::string(600, 'y'), "n", 0,
       L("BUILD 42") + L("BUILDNext 43"), ""},
      // One byte more at the start of the filler: its CR LF ends at the 256th byte.
      {L("BUILD 41") + "z" + FilledTo255(L("BUILD 41")).substr(18), "n", 4, "", kNoEol},
      {std::string(253, 'x') + "\r\nyy", "", 4, "",
       "No \"#define\": \"" + std::string(253, 'x') + "\"\r\n"},
      {L(kN200 + " 41"), "nv", 0, L(kN200 + " 42") + L(kN200 + "Next 43"),
       expected::Report(kN200, "42")},
      {L(kM243 + " 9"), "n", 0, L(kM243 + " 10") + L(kM243 + "Next 11"), ""},
      {L(kM243 + "M 9"), "n", 4, "", kNoEol},
  };
  for (const Case& c : cases) {
    Prepare(c.content);
    const std::string label = std::to_string(&c - cases) + ": " + c.content.substr(0, 40);
    const bool updated = c.code == kExitUpdated;
    EXPECT_EQ(UpdateHeader("ver.h", Options(c.options)), c.code) << label;
    EXPECT_EQ(fake::os.out, updated ? c.message : "") << label;
    EXPECT_EQ(fake::os.err, updated ? "" : c.message) << label;
    EXPECT_EQ(fake::os.file.bytes, updated ? c.written : c.content) << label;
    const bool stamped = updated && !Options(c.options).keepTime;
    EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), stamped ? kStamp : kOldTime) << label;
    EXPECT_FALSE(fake::os.file.open) << label;
  }
}

// The file calls in order. The clock may be read at any moment before the
// stamp is set, so its reading is left out of the order.
TEST_F(HeaderUpdate, CallOrder) {
  const std::vector<std::string> opening = {"CreateFileA", "GetFileTime", "ReadFile"};
  const std::vector<std::string> writing = {"SetFilePointer", "WriteFile(file)", "SetEndOfFile"};
  const std::tuple<const char*, const char*, std::vector<std::vector<std::string>>> cases[] = {
      {"BUILD 41", "", {opening, writing, {"SetFileTime", "CloseHandle(file)"}}},
      {"BUILD 41",
       "tvn",
       {opening,
        writing,
        {"SetFileTime"},
        {"WriteFile(out)", "WriteFile(out)"},
        {"CloseHandle(file)"}}},
      {"BUILD 4x", "v", {opening, {"WriteFile(err)", "WriteFile(err)", "CloseHandle(file)"}}},
  };
  for (const auto& [definition, options, parts] : cases) {
    Prepare(L(definition));
    UpdateHeader("ver.h", Options(options));
    std::vector<std::string> expected;
    for (const auto& part : parts) expected.insert(expected.end(), part.begin(), part.end());
    std::vector<std::string> calls = fake::os.log;
    std::erase(calls, "GetSystemTime");
    EXPECT_EQ(calls, expected) << definition << ' ' << options;
  }

  // A header held by another opener is left alone, and one that is not
  // there is not made.
  Prepare(L("BUILD 41"));
  fake::os.file.locked = true;
  EXPECT_EQ(UpdateHeader("ver.h", Options("v")), kExitFileError);
  EXPECT_EQ(fake::os.err,
            "Cannot open file \"ver.h\" (0/16 - The process cannot access the file because it is "
            "being used by another process.)\r\n");
  EXPECT_EQ(Calls("CloseHandle"), std::vector<std::string>{});
  Prepare(L("BUILD 41"));
  fake::os.file.exists = false;
  EXPECT_EQ(UpdateHeader("ver.h", Options("v")), kExitFileError);
  EXPECT_EQ(fake::os.err,
            "Cannot open file \"ver.h\" (0/2 - The system cannot find the file specified.)\r\n");
  EXPECT_FALSE(fake::os.file.exists);
}

// Each system call of an update failing, or coming up short, in turn, over
// headers whose new text is shorter, longer, and longer than 256 bytes.
// Every failure but the last step's leaves the file's bytes and time as
// they were; a failure to set the time leaves the new text with the time of
// the write; a failed close is not looked at.
enum class After { kAsBefore, kNewTextWriteTime, kUpdated };

struct Scenario {
  std::string content;
  const char* options;
  std::string updated;  // the file after an update that succeeds
  std::uint64_t updatedTime;
  std::string report;
  friend void PrintTo(const Scenario& s, std::ostream* os) {
    *os << testing::PrintToString(s.content.substr(0, 40));
    if (*s.options) *os << " -" << s.options;
  }
};

struct Failure {
  std::string call;
  DWORD error;  // 0: the call succeeds but moves fewer bytes
  enum { kNothing, kOneByte, kAllButOne } moved;
  DWORD code;
  std::string message;  // the error text as the fake system gives it
  After after;
  friend void PrintTo(const Failure& f, std::ostream* os) {
    const char* const moved[] = {"nothing", "one byte", "all but one byte"};
    *os << f.call << " with error " << f.error << ", moving " << moved[f.moved];
  }
};

const std::string kDenied = " (0/13 - Access is denied.)\r\n";
const std::string kFull = " (0/28 - There is not enough space on the disk.)\r\n";
const std::string kEnd = " (0/61 - Reached the end of the file.)\r\n";

const Scenario kScenarios[] = {
    {L("BUILD 41"), "v", L("BUILD 42"), kStamp, expected::Report("BUILD", "42")},
    {"\t#define   BUILD   0041   \r\n", "t", L("BUILD 42"), kOldTime, ""},
    {L("BUILD 41"), "n", L("BUILD 42") + L("BUILDNext 43"), kStamp, ""},
    {L(kN200 + " 41"), "nv", L(kN200 + " 42") + L(kN200 + "Next 43"), kStamp,
     expected::Report(kN200, "42")},
    {FilledTo255(L("BUILD 41")) + std::string(600, 'y'), "n", L("BUILD 42") + L("BUILDNext 43"),
     kStamp, ""},
    {FilledTo255(L(kN200 + " 41")) + std::string(345, 'y'), "n",
     L(kN200 + " 42") + L(kN200 + "Next 43"), kStamp, ""},
};

// clang-format off
const Failure kFailures[] = {
    {"CreateFileA", EACCES, Failure::kNothing, 3, "Cannot open file \"ver.h\"" + kDenied, After::kAsBefore},
    {"GetFileTime", EACCES, Failure::kNothing, 3, "Cannot get file time" + kDenied, After::kAsBefore},
    {"ReadFile", EACCES, Failure::kNothing, 3, "Cannot read from file" + kDenied, After::kAsBefore},
    {"ReadFile", 0, Failure::kNothing, 3, "Cannot read from file" + kEnd, After::kAsBefore},
    {"ReadFile", 0, Failure::kOneByte, 4, "No EOL\r\n", After::kAsBefore},
    {"SetFilePointer", EACCES, Failure::kNothing, 3, "Cannot set file pos" + kDenied, After::kAsBefore},
    {"WriteFile(file)", EACCES, Failure::kNothing, 3, "Cannot write to file" + kDenied, After::kAsBefore},
    {"WriteFile(file)", EACCES, Failure::kAllButOne, 3, "Cannot write to file" + kDenied, After::kAsBefore},
    {"WriteFile(file)", 0, Failure::kOneByte, 3, "Cannot write to file" + kFull, After::kAsBefore},
    {"WriteFile(file)", 0, Failure::kAllButOne, 3, "Cannot write to file" + kFull, After::kAsBefore},
    {"SetEndOfFile", EACCES, Failure::kNothing, 3, "Cannot truncate file" + kDenied, After::kAsBefore},
    {"SetFileTime", EACCES, Failure::kNothing, 3, "Cannot set file time" + kDenied, After::kNewTextWriteTime},
    {"CloseHandle(file)", EACCES, Failure::kNothing, 0, "", After::kUpdated},
};
// clang-format on

class FailingCall : public HeaderUpdate,
                    public testing::WithParamInterface<std::tuple<Scenario, Failure>> {};

TEST_P(FailingCall, LeavesTheHeaderAsItSays) {
  const auto& [scenario, failure] = GetParam();
  const DWORD size = static_cast<DWORD>(scenario.updated.size());
  const DWORD moved = failure.moved == Failure::kOneByte     ? 1
                      : failure.moved == Failure::kAllButOne ? size - 1
                                                             : 0;
  Prepare(scenario.content);
  fake::os.faults = {{failure.call, 1, failure.error, moved}};
  EXPECT_EQ(UpdateHeader("ver.h", Options(scenario.options)), failure.code);
  EXPECT_EQ(fake::os.err, failure.message);
  EXPECT_EQ(fake::os.out, failure.after == After::kUpdated ? scenario.report : "");
  switch (failure.after) {
    case After::kAsBefore:
      EXPECT_EQ(fake::os.file.bytes, scenario.content);
      EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), kOldTime);
      break;
    case After::kNewTextWriteTime:
      EXPECT_EQ(fake::os.file.bytes, scenario.updated);
      EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), kWriteTime);
      break;
    case After::kUpdated:
      EXPECT_EQ(fake::os.file.bytes, scenario.updated);
      EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), scenario.updatedTime);
      break;
  }
  // The message, if any, is out before the file is closed, once.
  const bool opened = failure.call != "CreateFileA";
  EXPECT_EQ(Calls("CloseHandle").size(), opened ? 1u : 0u);
  EXPECT_TRUE(!opened || fake::os.log.back() == "CloseHandle(file)");
}

INSTANTIATE_TEST_SUITE_P(HeaderUpdate, FailingCall,
                         testing::Combine(testing::ValuesIn(kScenarios),
                                          testing::ValuesIn(kFailures)));

// The table above covers every file call an update makes.
TEST_F(HeaderUpdate, EveryFileCallFailsInTurn) {
  for (const Scenario& scenario : kScenarios) {
    Prepare(scenario.content);
    ASSERT_EQ(UpdateHeader("ver.h", Options(scenario.options)), kExitUpdated);
    EXPECT_EQ(fake::os.file.bytes, scenario.updated);
    EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), scenario.updatedTime);
    EXPECT_EQ(fake::os.out, scenario.report);
    for (const std::string& call : fake::os.log) {
      const bool fileCall = call != "GetSystemTime" && call.rfind("WriteFile(o", 0) != 0;
      const bool covered = std::any_of(std::begin(kFailures), std::end(kFailures),
                                       [&](const Failure& f) { return f.call == call; });
      EXPECT_TRUE(!fileCall || covered) << call;
    }
  }
}

}  // namespace
