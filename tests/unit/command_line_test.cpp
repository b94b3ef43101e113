// Process entry, standard handles and the command-line grammar.
#include <regex>

#include "tests/common/messages.h"
#include "tests/double/known_times.h"
#include "tests/unit/double_test.h"
#include "tool/tool.h"

namespace {

const std::string kNotFound = " (0/2 - The system cannot find the file specified.)\r\n";
const std::string kReport = expected::Report("BUILD", "42");
const std::string kTooLong = "Header file name is longer than 259 characters\r\n";
const std::string kNoFile = "No header file specified\r\n";
const std::string kH41 = "#define BUILD 41\r\n", kH42 = "#define BUILD 42\r\n";
const std::string kNext42 = kH42 + "#define BUILDNext 43\r\n";
using Log = std::vector<std::string>;

class CommandLine : public DoubleTest {
 protected:
  void SetUp() override {
    DoubleTest::SetUp();
    OutputHandle = ErrorHandle = nullptr;  // RunTool sets them itself
    fake::ResetWithHeader(kH41);
  }
  // The standard handles closed, in order.
  static Log StdCloses() {
    Log closes = Calls("CloseHandle(");
    std::erase(closes, "CloseHandle(file)");
    return closes;
  }
};

// One command line: what the run prints and returns, and the header afterwards.
struct Syntax {
  std::string arguments;
  DWORD code;
  std::string out, err;
  std::string after = kH41;
  bool keptTime = true;
  friend void PrintTo(const Syntax& c, std::ostream* os) {
    *os << '"' << c.arguments.substr(0, 40) << '"';
  }
};
class Grammar : public CommandLine, public testing::WithParamInterface<Syntax> {};

TEST_P(Grammar, RunTool) {
  const Syntax& c = GetParam();
  EXPECT_EQ(RunTool(c.arguments.c_str()), c.code);
  EXPECT_EQ(fake::os.out, c.out);
  EXPECT_EQ(fake::os.err, c.err);
  EXPECT_EQ(fake::os.file.bytes, c.after);
  EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite) == fake::kOldTime, c.keptTime);
  EXPECT_EQ(StdCloses(), Log({"CloseHandle(out)", "CloseHandle(err)"}));
  EXPECT_EQ(fake::os.log.back(), "CloseHandle(err)");
  EXPECT_TRUE(OutputHandle == nullptr && ErrorHandle == nullptr);
}

const std::string n259(259, 'n'), n260(260, 'n'), tail(2000, 'y');
INSTANTIATE_TEST_SUITE_P(
    CommandLine, Grammar,
    testing::ValuesIn(std::vector<Syntax>{
        {"ver.h", 0, "", "", kH42, false},
        {"  -v\tver.h\t ", 0, kReport, "", kH42, false},
        {"-v -v -n ver.h", 0, kReport, "", kNext42, false},
        {"-n -t -v \"ver.h\"", 0, kReport, "", kNext42, true},
        {"-vt ver.h", 2, "", "Invalid option: -vt ver.h\r\n"},
        {"-v\"ver.h\"", 2, "", "Invalid option: -v\"ver.h\"\r\n"},
        {"-x.h", 2, "", "Invalid option: -x.h\r\n"},
        {"- ver.h", 2, "", "Invalid option: - ver.h\r\n"},
        {"-  ver.h", 2, "", "Unknown option - \r\n"},
        {"-\t ver.h", 2, "", "Unknown option -\t\r\n"},
        {"-x ver.h", 2, "", "Unknown option -x\r\n"},
        {"-V ver.h", 2, "", "Unknown option -V\r\n"},
        {"-", 2, "", "No option char after \"-\"\r\n"},
        {"-v -", 2, "", "No option char after \"-\"\r\n"},
        {"-v", 2, "", kNoFile},
        {"-t  ", 2, "", kNoFile},
        {"\"ver.h", 2, "", kNoFile},
        {"ver.h -v", 2, "", "Error - \"-v\"\r\n"},
        {"ver.h \t x y ", 2, "", "Error - \"x y \"\r\n"},
        {"\"ver.h\"x", 2, "", "Error - \"x\"\r\n"},
        {"\"-x.h\"", 3, "", "Cannot open file \"-x.h\"" + kNotFound},
        {"\"\"", 3, "", "Cannot open file \"\"" + kNotFound},
        {"\"my \"\"v\"\".h\"", 3, "", "Cannot open file \"my \"v\".h\"" + kNotFound},
        {n259, 3, "", "Cannot open file \"" + n259 + '"' + kNotFound},
        {'"' + n259 + '"', 3, "", "Cannot open file \"" + n259 + '"' + kNotFound},
        {n260, 2, "", kTooLong},
        {'"' + n260 + "\" -v", 2, "", kTooLong},
        {"-vt" + tail, 2, "", ("Invalid option: -vt" + tail).substr(0, 1021) + "\r\n"},
        {"ver.h " + tail, 2, "", ("Error - \"" + tail).substr(0, 1021) + "\r\n"},
    }));

class Usage : public CommandLine, public testing::WithParamInterface<const char*> {};

TEST_P(Usage, WithoutArguments) {
  const std::regex usage(
      "revtick \\d+\\.\\d+\\.\\d+\\.\\d+\n\nUsage: revtick \\[-v\\]\\[-t\\]\\[-n\\] <header "
      "file>\n\n"
      "-v - verbose\n-n - add a next number definition\n-t - preserve file time\n\n"
      "Header file must start from \"#define <name> <decimal number>\"\\.\n"
      "The entire contents of the file will be overwritten\\.\n\r\n");
  EXPECT_EQ(RunTool(GetParam()), kExitNothingDone);
  EXPECT_TRUE(std::regex_match(fake::os.out, usage)) << fake::os.out;
  EXPECT_EQ(fake::os.err, "");
}
INSTANTIATE_TEST_SUITE_P(CommandLine, Usage, testing::Values("", " \t "));

// Where the standard handles come from, which of them are closed, and that
// an invalid one ends the run before anything else.
const HANDLE out = fake::kOut, err = fake::kErr, none = nullptr, bad = INVALID_HANDLE_VALUE;
const Log both = {"CloseHandle(out)", "CloseHandle(err)"};
const Log asked = {"GetStdHandle(out)", "GetStdHandle(err)"};
const std::string unknown = "Unknown option -x\r\n", cannot = "Cannot initialize application\r\n";
constexpr DWORD given = STARTF_USESTDHANDLES;

struct Handles {
  DWORD flags;
  HANDLE startupOut, startupErr, stdOut, stdErr;
  bool oldSystem;
  const char* arguments;
  DWORD code;
  std::string out, err;
  Log closes;
  Log stdHandleCalls;  // the GetStdHandle calls made
  bool checksVersion;
};
const char* HandleName(HANDLE h) {
  return h == out ? "out" : h == err ? "err" : h == none ? "none" : "bad";
}
// A row is named by what it sets up, e.g. "given-out-err_std-bad-bad_-x_old".
void PrintTo(const Handles& c, std::ostream* os) {
  *os << (c.flags == given ? "given-" : "notgiven-") << HandleName(c.startupOut) << '-'
      << HandleName(c.startupErr) << "_std-" << HandleName(c.stdOut) << '-' << HandleName(c.stdErr)
      << '_' << (*c.arguments ? c.arguments : "none") << (c.oldSystem ? "_old" : "");
}
class StandardHandles : public CommandLine, public testing::WithParamInterface<Handles> {};

TEST_P(StandardHandles, TakenCheckedAndClosed) {
  const Handles& c = GetParam();
  fake::os.startupFlags = c.flags;
  fake::os.startupOut = c.startupOut;
  fake::os.startupErr = c.startupErr;
  fake::os.stdOut = c.stdOut;
  fake::os.stdErr = c.stdErr;
  if (c.oldSystem) fake::os.version.dwMajorVersion = 3;
  EXPECT_EQ(RunTool(c.arguments), c.code);
  EXPECT_EQ(fake::os.out, c.out);
  EXPECT_EQ(fake::os.err, c.err);
  EXPECT_EQ(StdCloses(), c.closes);
  EXPECT_EQ(Calls("GetStdHandle"), c.stdHandleCalls);
  EXPECT_EQ(Calls("GetVersionExA").size(), c.checksVersion ? 1u : 0u);
  EXPECT_EQ(fake::os.file.bytes, c.code == kExitUpdated ? kH42 : kH41);
  EXPECT_TRUE(OutputHandle == nullptr && ErrorHandle == nullptr);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, StandardHandles, testing::ValuesIn(std::vector<Handles>{
    {0, bad, bad, out, err, false, "-x", 2, "", unknown, both, asked, true},
    {given, out, err, bad, bad, false, "-x", 2, "", unknown, both, {}, true},
    {given, err, out, bad, bad, false, "-x", 2, unknown, "", {"CloseHandle(err)", "CloseHandle(out)"}, {}, true},
    {0, out, err, bad, err, false, "-x", 1, "", "", {}, asked, false},
    {0, out, err, out, bad, false, "-x", 1, "", "", {}, asked, false},
    {given, out, bad, out, err, false, "", 1, "", "", {}, {}, false},
    {0, out, err, none, err, false, "", 1, "", "", {"CloseHandle(err)"}, asked, true},
    {0, out, err, out, none, false, "-x", 2, "", "", {"CloseHandle(out)"}, asked, true},
    {0, out, err, out, out, false, "-x", 2, unknown, "", {"CloseHandle(out)", "CloseHandle(out)"}, asked, true},
    {0, out, err, none, none, false, "ver.h", 0, "", "", {}, asked, true},
    {0, out, err, out, err, true, "ver.h", 1, "", cannot, both, asked, true},
    {0, out, err, out, err, true, "", 1, "", cannot, both, asked, true},
}));
// clang-format on

TEST_F(CommandLine, SkipProgramName) {
  const std::pair<const char*, const char*> cases[] = {
      {"revtick -v ver.h", "-v ver.h"},
      {"\"C:\\Program Files\\revtick.exe\" -v ver.h", "-v ver.h"},
      {"\"revtick\"-v ver.h", "-v ver.h"},
      {"\"revtick\" \t -v", "-v"},
      {"\"\" x", "x"},
      {"\"revtick -v ver.h", ""},
      {"revtick\t-v ver.h", "ver.h"},
      {"revtick\t-v", ""},
      {"revtick", ""},
      {"revtick \t ", ""},
      {"", ""},
  };
  for (const auto& [commandLine, arguments] : cases)
    EXPECT_EQ(SkipProgramName(commandLine), Suffix(commandLine, arguments)) << commandLine;
}

// ToolEntry takes the command line itself and ends the process with the
// result; RefuseCommandLine ends it before anything else is looked at.
struct Entry {
  void (*entry)();
  const char* commandLine;
  HANDLE stdErr;
  UINT code;
  std::string out, err;
  Log closes;
  Log firstCalls;
};
// A row is named by its entry, its standard error and its exit code.
void PrintTo(const Entry& c, std::ostream* os) {
  *os << (c.entry == ToolEntry ? "ToolEntry" : "RefuseCommandLine") << "_stderr-"
      << HandleName(c.stdErr) << "_exit-" << c.code;
}
class Entries : public CommandLine, public testing::WithParamInterface<Entry> {};

TEST_P(Entries, EndTheProcessWithTheResult) {
  const Entry& c = GetParam();
  fake::os.commandLine = c.commandLine;
  fake::os.stdErr = c.stdErr;
  EXPECT_EQ(fake::RunCatchingExit(c.entry), c.code);
  EXPECT_EQ(fake::os.out, c.out);
  EXPECT_EQ(fake::os.err, c.err);
  EXPECT_EQ(StdCloses(), c.closes);
  EXPECT_EQ(Log(fake::os.log.begin(), fake::os.log.begin() + 1), c.firstCalls);
  EXPECT_EQ(fake::os.log.back(), "ExitProcess");
  EXPECT_EQ(Calls("GetVersionExA").size(), c.entry == ToolEntry ? 1u : 0u);
  EXPECT_EQ(fake::os.file.bytes, c.code == kExitUpdated ? kH42 : kH41);
}

const Log fromLine = {"GetCommandLineA"}, fromHandles = {"GetStartupInfoA"};
INSTANTIATE_TEST_SUITE_P(
    CommandLine, Entries,
    testing::ValuesIn(std::vector<Entry>{
        {ToolEntry, "\"C:\\tools\\rev tick.exe\" -v ver.h", err, kExitUpdated, kReport, "", both,
         fromLine},
        {ToolEntry, "revtick.exe -x", err, kExitBadCommandLine, "", unknown, both, fromLine},
        {RefuseCommandLine, "revtick ver.h", err, kExitBadCommandLine, "",
         "Command line too long\r\n", both, fromHandles},
        {RefuseCommandLine,
         "revtick ver.h",
         none,
         kExitBadCommandLine,
         "",
         "",
         {"CloseHandle(out)"},
         fromHandles},
        {RefuseCommandLine, "revtick ver.h", bad, kExitNothingDone, "", "", {}, fromHandles},
    }));

}  // namespace
