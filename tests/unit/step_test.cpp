// The build step over the fake system: the counter raised, read or left
// alone, the number from the environment, the wait for a held counter, and
// the header written through a file beside it.
#include "step/step.h"

#include "tests/common/messages.h"
#include "tests/double/known_times.h"
#include "tests/unit/double_test.h"

namespace {

const std::string kCounter = "build_number", kHeader = "version.h", kNew = "version.h.new";
const std::string kMissing = "(missing)";
const std::string kOldHeader = "#define BUILD 7\r\n";
const std::string kRule = ": a build number is decimal digits, at most 4294967295";
const std::string kHeld =
    " (0/16 - The process cannot access the file because it is being used by another "
    "process.)";

std::string L(const std::string& definition) { return "#define " + definition + "\r\n"; }
std::string Error(const std::string& text) { return kCounter + ": error: " + text + "\r\n"; }
// The fix said after a counter refused for its LF line ends.
const std::string kLfFix = kCounter +
                           ": note: its lines must end in CR LF, not LF alone; this keeps its "
                           "number: sed -i 's/\\r*$/\\r/' build_number (and 'build_number -text' "
                           "in .gitattributes keeps it so)\r\n";

class Step : public DoubleTest {
 protected:
  // A counter holding `counter`, and the header holding `header` unless it
  // is kMissing.
  void Prepare(const std::string& counter, const std::string& header = kOldHeader) {
    fake::ResetWithHeader(counter);
    fake::os.file.name = kCounter;
    fake::File& file = fake::os.others.emplace_back();
    file.name = kHeader;
    file.exists = header != kMissing;
    file.bytes = file.exists ? header : "";
    file.lastWrite = fake::MakeFileTime(fake::kOldTime);
  }
  static DWORD Run(const std::string& arguments) { return RunStep(arguments.c_str()); }
  static std::string Bytes(const std::string& name) {
    const fake::File* file = fake::FindFile(name);
    return file != nullptr && file->exists ? file->bytes : kMissing;
  }
};

// One case: the environment and arguments, and what it gives. `access` is
// what the counter was opened for: for its raise exactly as the tool opens
// it, for reading alone, or not at all.
struct Case {
  std::string counter;
  std::map<std::string, std::string> environment;
  std::string arguments;
  DWORD access;
  DWORD code;
  std::string out, err;
  std::string counterAfter = "";  // empty: as it was
  std::string headerAfter = "";   // empty: as it was
  friend void PrintTo(const Case& r, std::ostream* os) {
    for (const auto& [name, value] : r.environment) *os << name << "=\"" << value << "\" ";
    *os << r.arguments << " over " << testing::PrintToString(r.counter);
  }
};
class Runs : public Step, public testing::WithParamInterface<Case> {};

TEST_P(Runs, OverTheCounter) {
  const Case& r = GetParam();
  Prepare(r.counter);
  fake::os.environment = r.environment;
  EXPECT_EQ(Run(r.arguments), r.code);
  EXPECT_EQ(fake::os.out, r.out);
  EXPECT_EQ(fake::os.err, r.err);
  EXPECT_EQ(fake::os.file.accessEver, r.access);
  EXPECT_EQ(Bytes(kCounter), r.counterAfter.empty() ? r.counter : r.counterAfter);
  EXPECT_EQ(Bytes(kHeader), r.headerAfter.empty() ? kOldHeader : r.headerAfter);
  EXPECT_EQ(Bytes(kNew), kMissing);
  EXPECT_FALSE(fake::os.file.open);
}

constexpr DWORD kUpdate = GENERIC_READ | GENERIC_WRITE, kRead = GENERIC_READ;
const std::string k41 = L("BUILD 41"), k42 = L("BUILD 42"), kTop = L("BUILD 4294967295");
// A second line: refused without -n, but only once it ends in CR LF too;
// before, the bytes counted do not end in one.
const std::string kNote = L("BUILD 0") + "// note\r\n", kLfNote = L("BUILD 0") + "// note\n";
using Env = std::map<std::string, std::string>;
const Env kNone;
Env Number(const std::string& value) { return {{"REVTICK_BUILD_NUMBER", value}}; }
std::string Refused(const std::string& value) {
  return Error("REVTICK_BUILD_NUMBER is \"" + value + '"' + kRule);
}

INSTANTIATE_TEST_SUITE_P(
    Step, Runs,
    testing::ValuesIn(std::vector<Case>{
        {k41, kNone, "-v build_number version.h", kUpdate, 0,
         expected::Report("BUILD", "42", kCounter), "", k42, k42},
        {k41, Number(""), "build_number version.h", kUpdate, 0, "", "", k42, k42},
        {k41, kNone, "build_number", kUpdate, 0, "", "", k42},
        {kTop, kNone, "-n build_number version.h", kUpdate, 0, "", "",
         L("BUILD 0") + L("BUILDNext 1"), L("BUILD 0") + L("BUILDNext 1")},
        {"#define BUILD 41\n", kNone, "build_number version.h", kUpdate, 4, "",
         Error("No EOL") + kLfFix},
        {L("BUILD x"), kNone, "build_number version.h", kUpdate, 4, "",
         Error("Invalid number: \"x\"")},
        {k41, kNone, "nothere version.h", 0, 3, "",
         "nothere: error: Cannot open file \"nothere\" (0/2 - The system cannot find the file "
         "specified.)\r\n"},
        // The number from the environment: the counter is only read.
        {k41, Number("4000000000"), "-v build_number version.h", kRead, 0,
         "Macro \"BUILD\" set to 4000000000 from REVTICK_BUILD_NUMBER\r\n", "", "",
         L("BUILD 4000000000")},
        {k41, Number("007"), "-n build_number version.h", kRead, 0, "", "", "",
         L("BUILD 7") + L("BUILDNext 8")},
        {k41,
         {{"CI_RUN", "5"}},
         "-e CI_RUN -o 1000 build_number version.h",
         kRead,
         0,
         "",
         "",
         "",
         L("BUILD 1005")},
        {k41, Number("5"), "-c -o 4294967290 build_number version.h", kRead, 0, "", "", "",
         L("BUILD 4294967295")},
        {"#define BUILD 41\n", Number("5"), "build_number version.h", kRead, 4, "",
         Error("No EOL") + kLfFix},
        {k41, Number("12a"), "build_number version.h", 0, 2, "", Refused("12a")},
        {k41, Number("-1"), "-c build_number", 0, 2, "", Refused("-1")},
        {k41, Number("0x10"), "build_number version.h", 0, 2, "", Refused("0x10")},
        {k41, Number(" 1"), "build_number version.h", 0, 2, "", Refused(" 1")},
        {k41, Number("4294967296"), "build_number version.h", 0, 2, "", Refused("4294967296")},
        {k41,
         {{"CI_RUN", "4294967000"}},
         "-e CI_RUN -o 1000 build_number version.h",
         0,
         2,
         "",
         Error("CI_RUN is \"4294967000\" plus the offset 1000" + kRule)},
        {k41, Number(std::string(300, '1')), "build_number version.h", 0, 2, "",
         Error("REVTICK_BUILD_NUMBER is 300 characters long" + kRule)},
        // -c: the counter checked, never raised.
        {k41, kNone, "-c -v build_number version.h", kRead, 0,
         "Macro \"BUILD\" is 41 in \"build_number\"\r\n", "", "", k41},
        {k41, kNone, "-c build_number", kRead, 0, "", ""},
        {kNote, kNone, "-c build_number version.h", kRead, 4, "",
         Error("No EOF after the build number value")},
        {kLfNote, kNone, "-c -n build_number version.h", kRead, 4, "", Error("No EOL") + kLfFix},
        {kNote, kNone, "-c -n build_number version.h", kRead, 0, "", "", "",
         L("BUILD 0") + L("BUILDNext 1")},
    }));

// A counter that another process holds: tried again every 100 ms, for the
// raise and for a read alike, and given up after 100 waits.
struct Hold {
  const char* arguments;
  int refusals;  // opens refused before the counter is free; -1: held throughout
  DWORD code;
  std::string counterAfter, headerAfter;
  friend void PrintTo(const Hold& h, std::ostream* os) {
    *os << h.arguments << ", refused " << h.refusals << " times";
  }
};
class Held : public Step, public testing::WithParamInterface<Hold> {};

TEST_P(Held, WaitsForTheCounter) {
  const Hold& h = GetParam();
  Prepare(k41);
  fake::os.file.locked = h.refusals < 0;
  for (int i = 1; i <= h.refusals; ++i)
    fake::os.faults.push_back({"CreateFileA", i, ERROR_SHARING_VIOLATION});
  EXPECT_EQ(Run(h.arguments), h.code);
  const std::size_t waits = h.refusals < 0 ? 100 : static_cast<std::size_t>(h.refusals);
  EXPECT_EQ(Calls("Sleep").size(), waits);
  EXPECT_EQ(fake::os.slept, 100 * waits);
  EXPECT_EQ(fake::os.err, h.code == 0 ? "" : Error("Cannot open file \"build_number\"" + kHeld));
  EXPECT_EQ(Bytes(kCounter), h.counterAfter);
  EXPECT_EQ(Bytes(kHeader), h.headerAfter);
}

INSTANTIATE_TEST_SUITE_P(Step, Held,
                         testing::ValuesIn(std::vector<Hold>{
                             {"build_number version.h", 1, 0, k42, k42},
                             {"build_number version.h", 100, 0, k42, k42},
                             {"build_number version.h", -1, 3, k41, kOldHeader},
                             {"-c build_number version.h", 3, 0, k41, k41},
                             {"-c build_number version.h", -1, 3, k41, kOldHeader},
                         }));

// The header is written while the counter is held, so that no build that
// raises it next can write its own number in between.
TEST_F(Step, WritesTheHeaderBeforeLettingTheCounterGo) {
  Prepare(k41);
  EXPECT_EQ(Run("build_number version.h"), kExitUpdated);
  const auto at = [](const std::string& call) {
    return std::find(fake::os.log.begin(), fake::os.log.end(), call) - fake::os.log.begin();
  };
  EXPECT_LT(at("MoveFileExA"), at("CloseHandle(file)"));
}

// The header's write: skipped when it holds the text already, otherwise
// through version.h.new, which no failure leaves behind.
struct Write {
  std::string before;
  fake::Fault fault;
  DWORD code;
  std::string message;  // the error's system text, after "Cannot <message>"
  bool written;
  friend void PrintTo(const Write& w, std::ostream* os) {
    *os << w.fault.call << " #" << w.fault.occurrence << " over "
        << testing::PrintToString(w.before);
  }
};
class HeaderWrites : public Step, public testing::WithParamInterface<Write> {};

TEST_P(HeaderWrites, ReplaceTheHeaderWhole) {
  const Write& w = GetParam();
  Prepare(k41, w.before);
  fake::os.faults.push_back(w.fault);
  EXPECT_EQ(Run("build_number version.h"), w.code);
  EXPECT_EQ(fake::os.err, w.code == 0 ? "" : Error("Cannot " + w.message));
  EXPECT_EQ(Bytes(kHeader), w.written ? k42 : w.before);
  EXPECT_EQ(Bytes(kNew), kMissing);
  EXPECT_EQ(Calls("CreateFileA").size(), w.before == k42 ? 2u : 3u);  // no .new when the same
  EXPECT_EQ(Bytes(kCounter), k42);  // raised, whatever became of the header
}

const fake::Fault kNoFault{"none"};
const std::string kFull = "(0/28 - There is not enough space on the disk.)";
const std::string kDenied = "(0/13 - Access is denied.)";
INSTANTIATE_TEST_SUITE_P(
    Step, HeaderWrites,
    testing::ValuesIn(std::vector<Write>{
        {kOldHeader, kNoFault, 0, "", true},
        {kMissing, kNoFault, 0, "", true},
        {k42 + "x", kNoFault, 0, "", true},
        {k42, kNoFault, 0, "", false},
        {kOldHeader, {"CreateFileA", 3, EACCES}, 3, "write header \"version.h\" " + kDenied, false},
        {kOldHeader,
         {"WriteFile(version.h.new)", 1, ERROR_DISK_FULL, 4},
         3,
         "write header \"version.h\" " + kFull,
         false},
        {kOldHeader,
         {"WriteFile(version.h.new)", 1, 0, 4},
         3,
         "write header \"version.h\" " + kFull,
         false},
        {kOldHeader,
         {"CloseHandle(version.h.new)", 1, EACCES},
         3,
         "write header \"version.h\" " + kDenied,
         false},
        {kOldHeader,
         {"MoveFileExA", 1, EACCES},
         3,
         "replace header \"version.h\" " + kDenied,
         false},
        {kMissing, {"MoveFileExA", 1, EACCES}, 3, "replace header \"version.h\" " + kDenied, false},
    }));

// The command line, as the tool's grammar has it; its errors come from
// revtick-step until the counter is known.
TEST_F(Step, CommandLine) {
  const std::string n260(260, 'n');
  const std::pair<std::string, std::string> refused[] = {
      {"-x build_number", "Unknown option -x"},
      {"-vc build_number", "Invalid option: -vc build_number"},
      {"-v", "No counter file specified"},
      {"-e", "No variable after -e"},
      {"-o", "No offset after -o"},
      {"-o 12a build_number", "Invalid offset: \"12a\" (decimal digits, at most 4294967295)"},
      {"-o 4294967296 build_number",
       "Invalid offset: \"4294967296\" (decimal digits, at most 4294967295)"},
      {"-e " + n260 + " build_number", "Variable name is longer than 259 characters"},
      {n260, "Counter file name is longer than 259 characters"},
      {"build_number " + n260, "Header file name is longer than 259 characters"},
      {"\"build_number\"x", "Error - \"x\""},
      {"build_number version.h more", "Error - \"more\""},
  };
  for (const auto& [arguments, message] : refused) {
    Prepare(k41);
    EXPECT_EQ(Run(arguments), kExitBadCommandLine) << arguments;
    EXPECT_EQ(fake::os.err, "revtick-step: error: " + message + "\r\n") << arguments;
    EXPECT_EQ(Bytes(kCounter), k41) << arguments;
  }

  // Quoted names; -t as the tool's, keeping the counter's time.
  Prepare(k41);
  EXPECT_EQ(Run("-t \"build_number\" \"version.h\""), kExitUpdated);
  EXPECT_EQ(Bytes(kHeader), k42);
  EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), fake::kOldTime);
  Prepare(k41);
  fake::os.environment = {{"MY RUN", "9"}};
  EXPECT_EQ(Run("-e \"MY RUN\" build_number version.h"), kExitUpdated);
  EXPECT_EQ(Bytes(kHeader), L("BUILD 9"));
}

TEST_F(Step, UsageWithoutArguments) {
  Prepare(k41);
  EXPECT_EQ(Run(" \t"), kExitNothingDone);
  const std::string usage =
      "Usage: revtick-step [-v][-t][-n][-c][-e <variable>][-o <offset>] <counter> [<header>]\n";
  EXPECT_EQ(fake::os.out.rfind("revtick-step ", 0), 0u);
  EXPECT_NE(fake::os.out.find("\n\n" + usage + "\n"), std::string::npos) << fake::os.out;
  for (const char* option :
       {"\n-v ", "\n-n ", "\n-t ", "\n-c ", "\n-e <variable> ", "\n-o <offset> "})
    EXPECT_NE(fake::os.out.find(option), std::string::npos) << option;
  EXPECT_EQ(fake::os.err, "");
}

}  // namespace
