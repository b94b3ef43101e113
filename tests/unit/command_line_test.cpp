// Process entry, standard handles and the command-line grammar.
#include <regex>

#include "tests/unit/double_test.h"
#include "tool/tool.h"

namespace {

const std::string kNotFound = " (0/2 - The system cannot find the file specified.)\r\n";
const std::string kReport = "Macro \"BUILD\" set to 42 in \"ver.h\"\r\n";
const std::string kTooLong = "Header file name is longer than 259 characters\r\n";
const std::string kNoFile = "No header file specified\r\n";
const std::uint64_t kOldTime = 0x01D0'0000'0000'0000u;
using Log = std::vector<std::string>;

class CommandLine : public DoubleTest {
 protected:
  void SetUp() override {
    DoubleTest::SetUp();
    OutputHandle = ErrorHandle = nullptr;  // RunTool sets them itself
    fake::os.file.bytes = "#define BUILD 41\r\n";
    fake::os.file.lastWrite = fake::MakeFileTime(kOldTime);
    fake::os.now = {2024, 1, 1, 1, 0, 0, 0, 0};
  }
  // The standard handles closed, in order.
  static Log StdCloses() {
    Log closes = Calls("CloseHandle(");
    std::erase(closes, "CloseHandle(file)");
    return closes;
  }
};

TEST_F(CommandLine, Grammar) {
  const std::string n259(259, 'n'), n260(260, 'n'), tail(2000, 'y');
  const std::tuple<std::string, DWORD, std::string, std::string> cases[] = {
      {"ver.h", 0, "", ""},
      {"  -v\tver.h\t ", 0, kReport, ""},
      {"-v -v -n ver.h", 0, kReport, ""},
      {"-n -t -v \"ver.h\"", 0, kReport, ""},
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
  };
  for (const auto& [arguments, code, out, err] : cases) {
    SetUp();
    EXPECT_EQ(RunTool(arguments.c_str()), code) << arguments;
    EXPECT_EQ(fake::os.out, out) << arguments;
    EXPECT_EQ(fake::os.err, err) << arguments;
    EXPECT_EQ(StdCloses(), Log({"CloseHandle(out)", "CloseHandle(err)"})) << arguments;
    EXPECT_EQ(fake::os.log.back(), "CloseHandle(err)") << arguments;
    if (code == kExitUpdated) {  // the options reached the update
      EXPECT_EQ(fake::os.file.bytes.find("Next") != std::string::npos,
                arguments.find("-n") != std::string::npos);
      EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite) == kOldTime,
                arguments.find("-t") != std::string::npos);
    }
    EXPECT_TRUE(OutputHandle == nullptr && ErrorHandle == nullptr) << arguments;
  }
}

TEST_F(CommandLine, UsageWithoutArguments) {
  const std::regex usage(
      "revtick \\d+\\.\\d+\\.\\d+\\.\\d+\n\nUsage: revtick \\[-v\\]\\[-t\\]\\[-n\\] <header "
      "file>\n\n"
      "-v - verbose\n-n - add a next number definition\n-t - preserve file time\n\n"
      "Header file must start from \"#define <name> <decimal number>\"\\.\n"
      "The entire contents of the file will be overwritten\\.\n\r\n");
  for (const char* arguments : {"", " \t "}) {
    SetUp();
    EXPECT_EQ(RunTool(arguments), kExitNothingDone);
    EXPECT_TRUE(std::regex_match(fake::os.out, usage)) << fake::os.out;
    EXPECT_EQ(fake::os.err, "");
  }
}

TEST_F(CommandLine, StandardHandles) {
  const HANDLE out = fake::kOut, err = fake::kErr, none = nullptr, bad = INVALID_HANDLE_VALUE;
  const Log both = {"CloseHandle(out)", "CloseHandle(err)"};
  const Log swapped = {"CloseHandle(err)", "CloseHandle(out)"};
  const Log twice = {"CloseHandle(out)", "CloseHandle(out)"};
  const std::string unknown = "Unknown option -x\r\n";
  const DWORD given = STARTF_USESTDHANDLES;
  struct Case {
    DWORD flags;
    HANDLE startupOut, startupErr, stdOut, stdErr;
    bool oldSystem;
    const char* arguments;
    DWORD code;
    std::string out, err;
    Log closes;
  };
  const Case cases[] = {
      {0, bad, bad, out, err, false, "-x", 2, "", unknown, both},
      {given, out, err, bad, bad, false, "-x", 2, "", unknown, both},
      {given, err, out, bad, bad, false, "-x", 2, unknown, "", swapped},
      {0, out, err, bad, err, false, "-x", 1, "", "", {}},
      {0, out, err, out, bad, false, "-x", 1, "", "", {}},
      {given, out, bad, out, err, false, "", 1, "", "", {}},
      {0, out, err, none, err, false, "", 1, "", "", {"CloseHandle(err)"}},
      {0, out, err, out, none, false, "-x", 2, "", "", {"CloseHandle(out)"}},
      {0, out, err, out, out, false, "-x", 2, unknown, "", twice},
      {0, out, err, none, none, false, "ver.h", 0, "", "", {}},
      {0, out, err, out, err, true, "ver.h", 1, "", "Cannot initialize application\r\n", both},
      {0, out, err, out, err, true, "", 1, "", "Cannot initialize application\r\n", both},
  };
  for (const Case& c : cases) {
    SetUp();
    fake::os.startupFlags = c.flags;
    fake::os.startupOut = c.startupOut;
    fake::os.startupErr = c.startupErr;
    fake::os.stdOut = c.stdOut;
    fake::os.stdErr = c.stdErr;
    if (c.oldSystem) fake::os.version.dwMajorVersion = 3;
    const bool given = c.flags & STARTF_USESTDHANDLES;
    const bool invalid =
        (given ? c.startupOut : c.stdOut) == bad || (given ? c.startupErr : c.stdErr) == bad;
    const std::string label = std::to_string(&c - cases);

    EXPECT_EQ(RunTool(c.arguments), c.code) << label;
    EXPECT_EQ(fake::os.out, c.out) << label;
    EXPECT_EQ(fake::os.err, c.err) << label;
    EXPECT_EQ(StdCloses(), c.closes) << label;
    EXPECT_EQ(Calls("GetStdHandle"),
              (given ? Log{} : Log{"GetStdHandle(out)", "GetStdHandle(err)"}))
        << label;
    EXPECT_EQ(Calls("GetVersionExA").size(), invalid ? 0u : 1u) << label;
    EXPECT_EQ(fake::os.file.bytes, c.code ? "#define BUILD 41\r\n" : "#define BUILD 42\r\n")
        << label;
    EXPECT_TRUE(OutputHandle == nullptr && ErrorHandle == nullptr) << label;
  }
}

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

TEST_F(CommandLine, ToolEntryExitsWithTheResult) {
  fake::os.commandLine = "\"C:\\tools\\rev tick.exe\" -v ver.h";
  EXPECT_EQ(fake::RunCatchingExit(ToolEntry), kExitUpdated);
  EXPECT_EQ(fake::os.out, kReport);
  EXPECT_EQ(fake::os.log.front(), "GetCommandLineA");
  EXPECT_EQ(fake::os.log.back(), "ExitProcess");

  SetUp();
  fake::os.commandLine = "revtick.exe -x";
  EXPECT_EQ(fake::RunCatchingExit(ToolEntry), kExitBadCommandLine);
  EXPECT_EQ(fake::os.err, "Unknown option -x\r\n");
}

// Arguments that make no command line are refused before anything else.
TEST_F(CommandLine, NoCommandLineIsRefused) {
  const Log both = {"CloseHandle(out)", "CloseHandle(err)"};
  const struct {
    HANDLE stdErr;
    UINT code;
    std::string err;
    Log closes;
  } cases[] = {
      {fake::kErr, kExitBadCommandLine, "Command line too long\r\n", both},
      {nullptr, kExitBadCommandLine, "", {"CloseHandle(out)"}},
      {INVALID_HANDLE_VALUE, kExitNothingDone, "", {}},
  };
  for (const auto& c : cases) {
    SetUp();
    fake::os.noCommandLine = true;
    fake::os.stdErr = c.stdErr;
    EXPECT_EQ(fake::RunCatchingExit(ToolEntry), c.code);
    EXPECT_EQ(fake::os.err, c.err);
    EXPECT_EQ(fake::os.out, "");
    EXPECT_EQ(StdCloses(), c.closes);
    EXPECT_EQ(Calls("CreateFileA").size() + Calls("GetVersionExA").size(), 0u);
    EXPECT_EQ(fake::os.file.bytes, "#define BUILD 41\r\n");
  }
}

}  // namespace
