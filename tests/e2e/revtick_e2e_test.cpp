// The built program run as a process in a fresh folder per test: its output,
// error output and exit code, and the header's bytes and time afterwards.
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tests/common/messages.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/second_opener.h"

namespace e2e {
namespace {

const ErrorTexts kPosixTexts = {
    {SysError::kNotFound, "0/2 - No such file or directory"},
    {SysError::kNoPath, "0/2 - No such file or directory"},
    {SysError::kIsDirectory, "0/21 - Is a directory"},
    {SysError::kNotRegular, "u0/1 - Not a regular file"},
    {SysError::kAccessDenied, "0/13 - Permission denied"},
    {SysError::kBusy, "0/16 - Device or resource busy"},
    {SysError::kNoData, "0/61 - No data available"},
    {SysError::kTooLarge, "0/27 - File too large"},
    {SysError::kReadOnlyFs, "0/30 - Read-only file system"},
};
// Wine's own texts; Windows words some of them differently.
const ErrorTexts kWineTexts = {
    {SysError::kNotFound, "0/2 - File not found."},
    {SysError::kNoPath, "0/3 - Path not found."},
    {SysError::kIsDirectory, "0/5 - Access denied."},
    {SysError::kAccessDenied, "0/5 - Access denied."},
    {SysError::kBusy, "0/32 - Sharing violation."},
    {SysError::kNoData, "0/38 - End of file."},
};

using expected::Report;
// A first line of exactly `size` bytes: blanks pad it before the CR LF.
std::string LineOfSize(const std::string& line, size_t size) {
  return line + std::string(size - line.size() - 2, ' ') + "\r\n";
}
// A relative path of `size` characters, with a blank in its last part.
std::string LongName(size_t size) {
  std::string last(size - 201, 'f');
  last[1] = ' ';
  return std::string(200, 'd') + "/" + last;
}
const std::string kNext42 = kH42 + Def("BUILDNext", "43"),
                  kReport42 = Report("BUILD", "42", "ver.h");

// ---- Successful updates ------------------------------------------------------

struct Update {
  const char* name;
  Args args;  // the header is the last one
  std::string before, after, out;
  friend void PrintTo(const Update& c, std::ostream* os) { *os << c.name; }
};
class Updates : public E2e, public testing::WithParamInterface<Update> {};

TEST_P(Updates, RewriteHeaderAndStampIt) {
  const Update& c = GetParam();
  const std::string& file = c.args.back();
  Write(file, c.before);
  const std::int64_t start = Now();
  ExpectRun(c.args, 0, c.out, "");
  const std::int64_t end = Now();
  ExpectBytes(ReadBytes(Path(file)), c.after, "header");
  const std::int64_t stamp = Mtime(Path(file));
  if (std::count(c.args.begin(), c.args.end(), "-t")) {
    EXPECT_EQ(stamp, Ns(headerStamp)) << "-t keeps the time to the nanosecond";
  } else {  // the clock in whole milliseconds, 2 s back
    EXPECT_GE(stamp, start / 1'000'000 * 1'000'000 - 2 * kSecond);
    EXPECT_LE(stamp, end - 2 * kSecond);
    EXPECT_EQ(stamp % 1'000'000, 0);
  }
}

const std::string kN128(128, 'M'), kN243(243, 'M');
// clang-format off
INSTANTIATE_TEST_SUITE_P(E2e, Updates, testing::ValuesIn(std::vector<Update>{
    {"Plain", {"ver.h"}, kH41, kH42, ""},
    {"Verbose", {"-v", "ver.h"}, kH41, kH42, kReport42},
    {"Next", {"-n", "ver.h"}, kH41, kNext42, ""},
    {"NextAgain", {"-n", "ver.h"}, kNext42, Def("BUILD", "43") + Def("BUILDNext", "44"), ""},
    {"KeepTime", {"-t", "ver.h"}, kH41, kH42, ""},
    {"Repeated", {"-v", "-t", "-n", "-v", "-n", "-t", "ver.h"}, kH41, kNext42, kReport42},
    {"FromZero", {"ver.h"}, Def("B", "0"), Def("B", "1"), ""},
    {"Wraps", {"-n", "ver.h"}, Def("B", "4294967295"), Def("B", "0") + Def("BNext", "1"), ""},
    {"NextWraps", {"-n", "ver.h"}, Def("B", "4294967294"), Def("B", "4294967295") + Def("BNext", "0"), ""},
    {"LeadingZeros", {"ver.h"}, Def("B", "007"), Def("B", "8"), ""},
    {"ManyZeros", {"ver.h"}, Def("B", "000000000000000000004294967294"), Def("B", "4294967295"), ""},
    {"Blanks", {"ver.h"}, "\t#define\tBUILD\t\t7 \t\r\n", Def("BUILD", "8"), ""},
    {"ZeroByte", {"ver.h"}, std::string("#define BUILD 41\0xyz\r\n", 22), kH42, ""},
    {"NextIgnoresRest", {"-n", "ver.h"}, Def("B", "12abc"), Def("B", "13") + Def("BNext", "14"), ""},
    {"NextIgnoresLines", {"-n", "ver.h"}, "#define V 5 // x\r\nint x;\r\n", Def("V", "6") + Def("VNext", "7"), ""},
    {"AnyNameChars", {"-v", "ver.h"}, Def("B\"%s%n", "1"), Def("B\"%s%n", "2"), Report("B\"%s%n", "2", "ver.h")},
    {"Line255", {"ver.h"}, LineOfSize("#define BUILD 41", 255), kH42, ""},
    {"Line255ThenJunk", {"ver.h"}, LineOfSize("#define BUILD 41", 255) + std::string(1 << 20, 'j'), kH42, ""},
    {"Name128", {"-v", "-n", "ver.h"}, Def(kN128, "1"), Def(kN128, "2") + Def(kN128 + "Next", "3"), Report(kN128, "2", "ver.h")},
    {"Name243", {"-v", "ver.h"}, Def(kN243, "1"), Def(kN243, "2"), Report(kN243, "2", "ver.h")},
    {"Name243Next", {"-n", "ver.h"}, Def(kN243, "1"), Def(kN243, "2") + Def(kN243 + "Next", "3"), ""},
    {"FileNameWithBlank", {"-v", "my ver.h"}, kH41, kH42, Report("BUILD", "42", "my ver.h")},
    {"FileNameLikeOption", {"-v", "-x ver.h"}, kH41, kH42, Report("BUILD", "42", "-x ver.h")},
    {"FileNamePercent", {"-v", "%s%n.h"}, kH41, kH42, Report("BUILD", "42", "%s%n.h")},
    {"FileName259", {"-v", LongName(259)}, kH41, kH42, Report("BUILD", "42", LongName(259))},
}), [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- Rejected command lines and contents -------------------------------------

struct Rejection {
  const char* name;
  Args args;
  std::string header;  // ver.h holds this
  int code;
  std::string err;
  friend void PrintTo(const Rejection& c, std::ostream* os) { *os << c.name; }
};
class Rejections : public E2e, public testing::WithParamInterface<Rejection> {};

TEST_P(Rejections, LeaveHeaderAlone) {
  const Args& args = GetParam().args;
  const bool quote = std::any_of(args.begin(), args.end(),
                                 [](const std::string& a) { return a.find('"') != a.npos; });
  if (quote && !onPosix) GTEST_SKIP() << "Wine's launcher escapes a double quote its own way";
  Write("ver.h", GetParam().header);
  ExpectNoChange(GetParam().args, GetParam().code, GetParam().err);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\"\r\n"; }
const std::string kNoEol = "No EOL\r\n", kNoEof = "No EOF after the build number value\r\n";
const std::string kNoDefine = "No \"#define\": ", kNoBlank = "No blank after \"#define\": ";
const std::string kNoName = "No macro name: ", kNoNameEnd = "No blank after macro name: ";
const std::string kBadNumber = "Invalid number: ", kNoFile = "No header file specified\r\n";
const std::string kTooLong = "Header file name is longer than 259 characters\r\n";
// clang-format off
INSTANTIATE_TEST_SUITE_P(E2e, Rejections, testing::ValuesIn(std::vector<Rejection>{
    {"LoneHyphen", {"-v", "-"}, kH41, 2, "No option char after \"-\"\r\n"},
    {"JoinedOptions", {"-t", "-vn", "ver.h"}, kH41, 2, "Invalid option: -vn ver.h\r\n"},
    {"OptionLikeName", {"-x.h"}, kH41, 2, "Invalid option: -x.h\r\n"},
    {"HyphenThenBlank", {"-", "ver.h"}, kH41, 2, "Invalid option: - ver.h\r\n"},
    {"HyphenThenOption", {"-", "-v", "ver.h"}, kH41, 2, "Invalid option: - -v ver.h\r\n"},
    {"UnknownOption", {"-v", "-x", "ver.h"}, kH41, 2, "Unknown option -x\r\n"},
    {"UpperCaseOption", {"-V", "ver.h"}, kH41, 2, "Unknown option -V\r\n"},
    {"DoubleHyphen", {"--", "ver.h"}, kH41, 2, "Unknown option --\r\n"},
    {"NoFile", {"-v"}, kH41, 2, kNoFile},
    {"OnlyOptions", {"-v", "-t", "-n"}, kH41, 2, kNoFile},
    {"OptionAfterFile", {"ver.h", "-v"}, kH41, 2, "Error - \"-v\"\r\n"},
    {"WordsAfterFile", {"-v", "ver.h", "a", "b"}, kH41, 2, "Error - \"a b\"\r\n"},
    {"BlankArgAfterFile", {"ver.h", "a b"}, kH41, 2, "Error - \"\"a b\"\"\r\n"},
    {"QuoteArgAfterFile", {"ver.h", "a\"b"}, kH41, 2, "Error - \"\"a\"\"b\"\"\r\n"},
    {"EmptyArgAfterFile", {"ver.h", ""}, kH41, 2, "Error - \"\"\"\"\r\n"},
    {"FileName260", {"-v", LongName(260)}, kH41, 2, kTooLong},
    {"FileName1000", {std::string(1000, 'n')}, kH41, 2, kTooLong},
    {"NoLineEnd", {"ver.h"}, "#define BUILD 41", 4, kNoEol},
    {"LoneLf", {"ver.h"}, "#define BUILD 41\n", 4, kNoEol},
    {"LfCr", {"ver.h"}, "#define BUILD 41\n\r", 4, kNoEol},
    {"OneByte", {"ver.h"}, "\n", 4, kNoEol},
    {"Line256", {"ver.h"}, LineOfSize("#define BUILD 41", 256), 4, kNoEol},
    {"JunkIn255", {"ver.h"}, kH41 + std::string(300, 'j'), 4, kNoEol},
    {"OnlyLineEnd", {"ver.h"}, "\r\n", 4, kNoDefine + Quoted("")},
    {"UpperCase", {"ver.h"}, " \t#DEFINE BUILD 1\r\n", 4, kNoDefine + Quoted(" \t#DEFINE BUILD 1")},
    {"ShortDefine", {"ver.h"}, "#defin\r\n", 4, kNoDefine + Quoted("#defin")},
    {"PercentText", {"ver.h"}, "%s%s%n %u\r\n", 4, kNoDefine + Quoted("%s%s%n %u")},
    {"CommentFirst", {"ver.h"}, "// b\r\n#define B 1\r\n", 4, kNoDefine + Quoted("// b\r\n#define B 1")},
    {"DefineJoined", {"ver.h"}, "#defineBUILD 1\r\n", 4, kNoBlank + Quoted("#defineBUILD 1")},
    {"DefineAlone", {"ver.h"}, "#define\r\n", 4, kNoBlank + Quoted("#define")},
    {"CrIsNoBlank", {"ver.h"}, "#define\rB 1\r\n", 4, kNoBlank + Quoted("#define\rB 1")},
    {"NoName", {"-n", "ver.h"}, "\t#define \t \r\n", 4, kNoName + Quoted("\t#define \t ")},
    {"NameAtEnd", {"ver.h"}, "#define BUILD\r\n", 4, kNoNameEnd + Quoted("#define BUILD")},
    {"ZeroInName", {"ver.h"}, std::string("#define BUILD\0 41\r\n", 19), 4, kNoNameEnd + Quoted("#define BUILD")},
    {"NoNumber", {"-n", "ver.h"}, "#define BUILD \r\n", 4, kBadNumber + Quoted("")},
    {"TooBig", {"-n", "ver.h"}, "#define B 4294967296 x\r\n", 4, kBadNumber + Quoted("4294967296 x")},
    {"WrapsIn64Bits", {"ver.h"}, Def("B", "18446744073709551617"), 4, kBadNumber + Quoted("18446744073709551617")},
    {"Signed", {"ver.h"}, "#define B -1 \r\n", 4, kBadNumber + Quoted("-1 ")},
    {"Letters", {"-v", "ver.h"}, Def("BUILD", "x1"), 4, kBadNumber + Quoted("x1")},
    {"Name244", {"ver.h"}, LineOfSize("#define " + std::string(244, 'M') + " ", 255), 4, kBadNumber + Quoted("")},
    {"TextAfterNumber", {"ver.h"}, Def("BUILD", "12abc"), 4, kNoEof},
    {"TwoNumbers", {"ver.h"}, Def("BUILD", "1 2"), 4, kNoEof},
    {"CrBeforeEol", {"ver.h"}, "#define BUILD 41\r\r\n", 4, kNoEof},
    {"NextLineWithoutN", {"-v", "ver.h"}, kNext42, 4, kNoEof},
}), [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- Failing system calls -----------------------------------------------------

struct SystemFailure {
  const char* name;
  Args args;
  void (*prepare)(const fs::path& dir);
  std::string message;  // the error text in parentheses follows
  SysError error;
  RunOptions options = {};
  friend void PrintTo(const SystemFailure& c, std::ostream* os) { *os << c.name; }
};
class SystemFailures : public E2e, public testing::WithParamInterface<SystemFailure> {};

TEST_P(SystemFailures, ReportErrorText) {
  const SystemFailure& c = GetParam();
  if (!errorTexts->count(c.error)) GTEST_SKIP() << "no error text known for this platform";
  if (c.options.unprivileged && !onPosix) GTEST_SKIP() << "Wine runs only as its prefix's owner";
  if (c.prepare) c.prepare(dir_);
  ExpectNoChange(c.args, 3, c.message + " (" + errorTexts->at(c.error) + ")\r\n", c.options);
}

void MakeSocket(const fs::path& dir) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (dir / "sock.h").c_str(), sizeof address.sun_path - 1);
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(s);
}
// clang-format off
INSTANTIATE_TEST_SUITE_P(E2e, SystemFailures, testing::ValuesIn(std::vector<SystemFailure>{
    {"Missing", {"-v", "nope.h"}, nullptr, CannotOpen("nope.h"), SysError::kNotFound},
    {"EmptyName", {""}, nullptr, CannotOpen(""), SysError::kNoPath},
    {"OneArgWithBlank", {"-v ver.h"}, nullptr, CannotOpen("-v ver.h"), SysError::kNotFound},
    {"Name259Missing", {LongName(259)}, nullptr, CannotOpen(LongName(259)), SysError::kNoPath},
    {"Directory", {"dir.h"}, [](const fs::path& d) { fs::create_directory(d / "dir.h"); }, CannotOpen("dir.h"), SysError::kIsDirectory},
    {"Fifo", {"fifo.h"}, [](const fs::path& d) { mkfifo((d / "fifo.h").c_str(), 0644); }, CannotOpen("fifo.h"), SysError::kNotRegular},
    {"Socket", {"sock.h"}, MakeSocket, CannotOpen("sock.h"), SysError::kNotRegular},
    {"Device", {"/dev/null"}, nullptr, CannotOpen("/dev/null"), SysError::kNotRegular},
    {"ReadOnly", {"-t", "ver.h"}, [](const fs::path& d) { chmod((d / "ver.h").c_str(), 0404); }, CannotOpen("ver.h"), SysError::kAccessDenied, {.unprivileged = true}},
    {"EmptyFile", {"-v", "ver.h"}, [](const fs::path& d) { WriteBytes(d / "ver.h", ""); }, "Cannot read from file", SysError::kNoData},
    // Room for 30 bytes: the two new lines do not fit, the old one goes back.
    {"FileTooLarge", {"-v", "-n", "ver.h"}, nullptr, "Cannot write to file", SysError::kTooLarge, {.fileSizeLimit = 30}},
}), [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A run that finds the header held by another opener, as a second run of
// the tool at the same moment would, changes nothing; once it is let go the
// next run updates it.
TEST_F(E2e, HeaderHeldByAnotherOpenerIsBusy) {
  {
    const HeldFile held(Path("ver.h"));
    ASSERT_TRUE(held.held()) << held.why();
    ExpectNoChange({"-v", "ver.h"}, 3,
                   CannotOpen("ver.h") + " (" + errorTexts->at(SysError::kBusy) + ")\r\n");
  }
  ExpectRun({"-v", "ver.h"}, 0, kReport42, "");
  EXPECT_EQ(ReadBytes(Path("ver.h")), kH42);
}

// ---- Usage, long messages, time and standard streams --------------------------

TEST_F(E2e, NoArgumentsShowUsage) {
  ExpectNoChange({}, 1, "", {},
                 "revtick 1.0.0.0\n\nUsage: revtick [-v][-t][-n] <header file>\n\n-v - verbose\n"
                 "-n - add a next number definition\n-t - preserve file time\n\nHeader file must "
                 "start from \"#define <name> <decimal number>\".\nThe entire contents of the "
                 "file will be overwritten.\n\r\n");
}

// A rest of the line past the message allowance is cut, not written beyond it.
TEST_F(E2e, OverlongRestOfLineIsCut) {
  const std::string rest(3000, 'a');
  for (const Args& args : {Args{"-vt", rest}, Args{"ver.h", rest}}) {
    const std::string start = args[0] == "-vt" ? "Invalid option: -vt aaa" : "Error - \"aaa";
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << start;
    EXPECT_EQ(result.error.substr(0, start.size()), start);
    EXPECT_EQ(result.error.size(), 1021u + 2) << "cut to the allowance exactly";
    EXPECT_EQ(result.error.substr(result.error.size() - 2), "\r\n");
    EXPECT_EQ(ReadBytes(Path("ver.h")), kH41);
  }
}

// POSIX hands over arguments of any length; rebuilt into one line they must
// fit where Windows draws the line, or the run is refused as a whole.
TEST_F(E2e, CommandLineLongerThanWindowsTakesIsRefused) {
  if (!onPosix) GTEST_SKIP() << "Windows itself refuses such a command line";
  const std::string words(16000, 'w');
  ExpectNoChange({"ver.h", words, words, words}, 2, "Command line too long\r\n");
}

TEST_F(E2e, KeepTimeIsExactForAnyTime) {
  // Windows counts in 100 ns: there the nanoseconds are whole hundreds.
  const long unit = onPosix ? 1 : 100;
  // 1970 itself, just before it, 1960, the first second past a 32-bit
  // time_t (2038-01-19 03:14:08), and 2100.
  for (const timespec stamp :
       {timespec{0, unit}, timespec{-2, 5 * unit}, timespec{-315619200, 7 * unit},
        timespec{2147483648, 3 * unit}, timespec{4102444800, 1'000'000'000 - unit}}) {
    Write("ver.h", kH41, stamp);
    ExpectRun({"-t", "ver.h"}, 0, "", "");
    EXPECT_EQ(ReadBytes(Path("ver.h")), kH42);
    EXPECT_EQ(Mtime(Path("ver.h")), Ns(stamp)) << stamp.tv_sec;
  }
}

// A header far past 2 GiB and 4 GiB (sparse: its line, then a hole) is read
// like any other and cut to its new line.
TEST_F(E2e, HeaderPast4GiB) {
  Write("ver.h", LineOfSize(kH41.substr(0, kH41.size() - 2), 255));
  ASSERT_EQ(truncate(Path("ver.h").c_str(), 5LL << 30), 0) << std::strerror(errno);
  ExpectRun({"-v", "ver.h"}, 0, kReport42, "");
  ASSERT_EQ(fs::file_size(Path("ver.h")), kH42.size());
  EXPECT_EQ(ReadBytes(Path("ver.h")), kH42);
}

// With a standard stream closed or a broken pipe the run goes on, and
// nothing meant for the stream lands in the header.
TEST_F(E2e, ClosedOrBrokenStreamsDoNotMatter) {
  const std::string bad = Def("BUILD", "x");
  const struct {
    Stream out, err;
    std::string before, after;
    int code;
  } cases[] = {
      {Stream::kClosed, Stream::kClosed, kH41, kH42, 0},
      {Stream::kClosed, Stream::kCaptured, kH41, kH42, 0},
      {Stream::kCaptured, Stream::kClosed, kH41, kH42, 0},
      {Stream::kClosed, Stream::kClosed, bad, bad, 4},
      {Stream::kCaptured, Stream::kClosed, bad, bad, 4},
      {Stream::kBroken, Stream::kCaptured, kH41, kH42, 0},
      {Stream::kBroken, Stream::kBroken, kH41, kH42, 0},
      {Stream::kCaptured, Stream::kBroken, bad, bad, 4},
  };
  for (const auto& c : cases) {
    // Wine itself needs its standard descriptors open.
    if (!onPosix && (c.out == Stream::kClosed || c.err == Stream::kClosed)) continue;
    SCOPED_TRACE(testing::Message() << "out " << int(c.out) << ", err " << int(c.err));
    Write("ver.h", c.before);
    EXPECT_EQ(Run({"-v", "ver.h"}, {.output = c.out, .error = c.err}).exitCode, c.code);
    EXPECT_EQ(ReadBytes(Path("ver.h")), c.after);
  }
  EXPECT_EQ(Run({}, {.output = Stream::kBroken}).exitCode, 1) << "usage on a broken pipe";
}

}  // namespace
}  // namespace e2e

// revtick_e2e_tests [gtest flags] [--platform=posix|wine] [--holder=EXE] COMMAND...
// COMMAND starts the program under test; under Wine, EXE is the Windows
// holder program, started with the same launcher.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::string platform = "posix";
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string flag = argv[i];
    if (flag.rfind("--platform=", 0) == 0) {
      platform = flag.substr(11);
    } else if (flag.rfind("--holder=", 0) == 0) {
      e2e::holder = e2e::fs::absolute(flag.substr(9)).string();
    } else {
      std::fprintf(stderr, "%s: unknown flag %s\n", argv[0], argv[i]);
      return 2;
    }
  }
  for (; i < argc; ++i) {
    // The child starts in its own folder, so a relative program path is made absolute.
    const e2e::fs::path word = argv[i];
    const bool path = word.has_parent_path() && word.is_relative() && e2e::fs::exists(word);
    e2e::program.push_back(path ? e2e::fs::absolute(word).string() : word.string());
  }
  // Listing the tests (as CTest does to discover them) needs no program.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  e2e::onPosix = platform == "posix";
  e2e::errorTexts = e2e::onPosix         ? &e2e::kPosixTexts
                    : platform == "wine" ? &e2e::kWineTexts
                                         : nullptr;
  if (!e2e::errorTexts || e2e::program.empty() || (!e2e::onPosix && e2e::holder.empty())) {
    std::fprintf(stderr,
                 "usage: %s [gtest flags] [--platform=posix|wine] [--holder=EXE] COMMAND...\n"
                 "(--holder is needed under Wine)\n",
                 argv[0]);
    return 2;
  }
  // Windows keeps file times in 100-ns units.
  if (!e2e::onPosix) e2e::headerStamp.tv_nsec = 123456700;
  return RUN_ALL_TESTS();
}
