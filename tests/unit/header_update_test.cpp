// The header update over the fake file: accepted and rejected contents, the
// order of the system calls, and every system call failing in turn.
#include <map>
#include <tuple>

#include "tests/unit/double_test.h"
#include "tool/tool.h"

namespace {

using namespace std::string_literals;

const FILETIME kOldTime = fake::MakeFileTime(0x01D9'1234'5678'9ABCu);
const FILETIME kWriteTime = fake::MakeFileTime(0x01DA'76D1'0000'1111u);
// 2024-03-15 12:04:58.610 UTC is 0x01DA76D1'004C6520; two seconds earlier
// borrows from the high half.
const SYSTEMTIME kNow = {2024, 3, 5, 15, 12, 4, 58, 610};
const std::uint64_t kStamp = 0x01DA'76D0'FF1B'3820u;

const std::string kNoEol = "No EOL\r\n", kNoEof = "No EOF after the build number value\r\n";
const std::string kN200(200, 'N'), kM243(243, 'M');

std::string L(const std::string& definition) { return "#define " + definition + "\r\n"; }

// `head` followed by a filler line that ends exactly at the 255th byte.
std::string Padded(const std::string& head) {
  return head + std::string(255 - head.size() - 2, 'x') + "\r\n";
}

ToolOptions Options(const std::string& letters) {
  auto has = [&](char c) { return letters.find(c) != std::string::npos; };
  return {.verbose = has('v'), .addNext = has('n'), .keepTime = has('t')};
}

class HeaderUpdate : public DoubleTest {
 protected:
  void Prepare(const std::string& content) {
    SetUp();
    fake::os.file.bytes = content;
    fake::os.file.lastWrite = kOldTime;
    fake::os.now = kNow;
    fake::os.systemWriteTime = kWriteTime;
  }
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
      {L("BUILD 41"), "tv", 0, L("BUILD 42"), "Macro \"BUILD\" set to 42 in \"ver.h\"\r\n"},
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
      {Padded(L("BUILD 41")) + std::string(600, 'y'), "n", 0, L("BUILD 42") + L("BUILDNext 43"),
       ""},
      // One byte more at the start of the filler: its CR LF ends at the 256th byte.
      {L("BUILD 41") + "z" + Padded(L("BUILD 41")).substr(18), "n", 4, "", kNoEol},
      {std::string(253, 'x') + "\r\nyy", "", 4, "",
       "No \"#define\": \"" + std::string(253, 'x') + "\"\r\n"},
      {L(kN200 + " 41"), "nv", 0, L(kN200 + " 42") + L(kN200 + "Next 43"),
       "Macro \"" + kN200 + "\" set to 42 in \"ver.h\"\r\n"},
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
    EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), stamped ? kStamp : fake::Ticks(kOldTime))
        << label;
    EXPECT_FALSE(fake::os.file.open) << label;
  }
}

TEST_F(HeaderUpdate, CallOrder) {
  const std::vector<std::string> opening = {"CreateFileA", "GetFileTime", "ReadFile"};
  const std::vector<std::string> writing = {"SetFilePointer", "WriteFile(file)", "SetEndOfFile"};
  const std::vector<std::string> clock = {"GetSystemTime"};
  const std::tuple<const char*, const char*, std::vector<std::vector<std::string>>> cases[] = {
      {"BUILD 41", "", {opening, writing, clock, {"SetFileTime", "CloseHandle(file)"}}},
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
    EXPECT_EQ(fake::os.log, expected) << definition << ' ' << options;
  }
  const fake::OpenRequest& open = fake::os.opened;
  EXPECT_EQ(open.name, "ver.h");
  EXPECT_EQ(open.access, GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(open.shareMode, 0u);
  EXPECT_EQ(open.disposition, OPEN_EXISTING);
  EXPECT_EQ(open.flags, FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(open.security || open.templateFile);

  Prepare(L("BUILD 41"));
  fake::os.file.locked = true;
  EXPECT_EQ(UpdateHeader("ver.h", Options("v")), kExitFileError);
  EXPECT_EQ(fake::os.err,
            "Cannot open file \"ver.h\" (0/16 - The process cannot access the file because it is "
            "being used by another process.)\r\n");
  EXPECT_EQ(Calls("CloseHandle"), std::vector<std::string>{});
}

// Runs an update that succeeds once to learn its system calls, then again
// with each of them failing (or coming up short) in turn. Every failure but
// the last step's leaves the file's bytes and time as they were.
TEST_F(HeaderUpdate, EveryFailingCall) {
  const std::map<std::string, std::string> messages = {
      {"CreateFileA", "Cannot open file \"ver.h\" ("},
      {"GetFileTime", "Cannot get file time ("},
      {"ReadFile", "Cannot read from file ("},
      {"SetFilePointer", "Cannot set file pos ("},
      {"WriteFile(file)", "Cannot write to file ("},
      {"SetEndOfFile", "Cannot truncate file ("},
      {"SetFileTime", "Cannot set file time ("},
      {"CloseHandle(file)", ""},  // not looked at: the update stands
  };
  const std::string denied = "0/13 - Access is denied.";
  const std::string full = "0/28 - There is not enough space on the disk.";
  const std::pair<std::string, const char*> scenarios[] = {
      {L("BUILD 41"), "v"},
      {"\t#define   BUILD   0041   \r\n", "t"},  // the new text is shorter
      {L("BUILD 41"), "n"},                      // the new text is longer
      {L(kN200 + " 41"), "nv"},                  // ... and longer than 256 bytes
      {Padded(L("BUILD 41")) + std::string(600, 'y'), "n"},
      {Padded(L(kN200 + " 41")) + std::string(345, 'y'), "n"},
  };
  for (const auto& [content, letters] : scenarios) {
    const ToolOptions options = Options(letters);
    Prepare(content);
    ASSERT_EQ(UpdateHeader("ver.h", options), kExitUpdated) << content;
    const std::string updated = fake::os.file.bytes, report = fake::os.out;
    const DWORD size = static_cast<DWORD>(updated.size());

    std::map<std::string, int> seen;
    for (const std::string& call : std::vector(fake::os.log)) {
      const int occurrence = ++seen[call];
      if (!messages.contains(call)) continue;
      // Injected error (0: short), bytes moved, exit code, error text.
      std::vector<std::tuple<DWORD, DWORD, DWORD, std::string>> variants = {{EACCES, 0, 3, denied}};
      if (call == "ReadFile")
        variants.insert(variants.end(),
                        {{0, 0, 3, "0/61 - Reached the end of the file."}, {0, 1, 4, ""}});
      if (call == "WriteFile(file)")
        variants.insert(variants.end(),
                        {{EACCES, size - 1, 3, denied}, {0, 1, 3, full}, {0, size - 1, 3, full}});
      if (call == "CloseHandle(file)") variants = {{EACCES, 0, 0, ""}};

      for (const auto& [error, bytes, code, text] : variants) {
        Prepare(content);
        fake::os.faults = {{call, occurrence, error, bytes}};
        const std::string label = content.substr(0, 30) + ' ' + letters + ": " + call + " #" +
                                  std::to_string(occurrence) + (error ? " fails" : " short") +
                                  " after " + std::to_string(bytes);
        EXPECT_EQ(UpdateHeader("ver.h", options), code) << label;
        const std::string err = code == 3   ? messages.at(call) + text + ")\r\n"
                                : code == 4 ? kNoEol
                                            : "";
        EXPECT_EQ(fake::os.err, err) << label;
        EXPECT_EQ(fake::os.out, code == 0 ? report : "") << label;

        const bool written = code == 0 || call == "SetFileTime";
        const std::uint64_t time = code == 0 && !options.keepTime ? kStamp
                                   : call == "SetFileTime"        ? fake::Ticks(kWriteTime)
                                                                  : fake::Ticks(kOldTime);
        EXPECT_EQ(fake::os.file.bytes, written ? updated : content) << label;
        EXPECT_EQ(fake::Ticks(fake::os.file.lastWrite), time) << label;

        // The message, if any, is out before the file is closed, once.
        const bool opened = call != "CreateFileA";
        EXPECT_EQ(Calls("CloseHandle").size(), opened ? 1u : 0u) << label;
        EXPECT_TRUE(!opened || fake::os.log.back() == "CloseHandle(file)") << label;
      }
    }
  }
}

}  // namespace
