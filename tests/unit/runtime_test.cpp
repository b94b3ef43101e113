// Start-up check, texts of system error codes and console messages.
#include "tests/unit/double_test.h"

namespace {

using Runtime = DoubleTest;

TEST_F(Runtime, StartRuntimeWantsNt4OrLater) {
  struct Case {
    DWORD platform, major, minor;
    bool queryFails;
    bool runs;
  };
  const Case cases[] = {
      {VER_PLATFORM_WIN32_NT, 4, 0, false, true},
      {VER_PLATFORM_WIN32_NT, 10, 0, false, true},
      {VER_PLATFORM_WIN32_NT, 3, 51, false, false},
      {VER_PLATFORM_WIN32_NT, 3, 0x400, false, false},  // only the low byte of each part counts
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, false},
      {VER_PLATFORM_WIN32s, 4, 0, false, false},
      {3, 10, 0, false, false},
      {VER_PLATFORM_WIN32_NT, 10, 0, true, false},
  };
  for (const Case& c : cases) {
    fake::os.version.dwPlatformId = c.platform;
    fake::os.version.dwMajorVersion = c.major;
    fake::os.version.dwMinorVersion = c.minor;
    fake::os.versionFails = c.queryFails;
    EXPECT_EQ(StartRuntime(), c.runs) << c.platform << ' ' << c.major << '.' << c.minor;
    EXPECT_EQ(fake::os.versionSizeSeen, sizeof(OSVERSIONINFOEXA));
  }
}

TEST_F(Runtime, FormatSystemError) {
  struct Case {
    DWORD code;
    int size;
    const char* text;
  };
  const Case cases[] = {
      {ENOENT, 256, "0/2 - The system cannot find the file specified."},
      {0, 256, "0/0 - The operation completed successfully."},
      {12345, 256, "0/12345"},
      {0x8007000Eu, 256, "7/14"},
      {0x1FFF0001u, 256, "8191/1"},
      {0x3FFF0001u, 256, "u8191/1"},
      {0xE0071234u, 256, "u7/4660 - Custom component failed."},
      {0xE0070001u, 256, "u7/1 - Ends in two spaces. "},
      // "0/2 - " and the 43 characters of the text need 51 bytes with the
      // terminator and the one byte held back; one byte less leaves the prefix.
      {ENOENT, 51, "0/2 - The system cannot find the file specified."},
      {ENOENT, 50, "0/2"},
      {0x3FFFFFFFu, 15, "u8191/65535"},
      // Left as the system stores it: the insert is not filled in.
      {193, 256, "0/193 - %1 is not a valid Win32 application."},
  };
  for (const Case& c : cases) {
    char buffer[300];
    fake::os.lastError = 0xBEEF;
    EXPECT_EQ(FormatSystemError(buffer, c.size, c.code), buffer);
    EXPECT_STREQ(buffer, c.text) << std::hex << c.code;
    EXPECT_EQ(fake::os.lastError, 0xBEEFu) << std::hex << c.code;
  }

  char text[kErrorTextSize];
  EXPECT_EQ(GetSystemErrorText(text, ERROR_DISK_FULL), text);
  EXPECT_STREQ(text, "0/28 - There is not enough space on the disk.");
}

class Allowance : public DoubleTest, public testing::WithParamInterface<std::size_t> {};

TEST_P(Allowance, MessagesAreCutToIt) {
  const std::string text(GetParam(), 'x');
  PrintErr("%s", text.c_str());
  PrintOut("%s", text.c_str());
  const std::string expected = text.substr(0, kMessageAllowance) + "\r\n";
  EXPECT_EQ(fake::os.err, expected);
  EXPECT_EQ(fake::os.out, expected);
  EXPECT_EQ(fake::os.log, std::vector<std::string>({"WriteFile(err)", "WriteFile(err)",
                                                    "WriteFile(out)", "WriteFile(out)"}));
}
INSTANTIATE_TEST_SUITE_P(Runtime, Allowance, testing::Values(0u, 1020u, 1021u, 1022u, 5000u));

TEST_F(Runtime, MessagesCarryTheirArguments) {
  PrintErr("%s=%u%c %s", "build", 4294967295u, '!', "done");
  EXPECT_EQ(fake::os.err, "build=4294967295! done\r\n");
}

// An error starts with the lead; the text after it keeps the whole
// allowance, and the output's messages have none.
TEST_F(Runtime, ErrorsStartWithTheLead) {
  ErrorLead = "build_number: error: ";
  PrintErr("No %s", "EOL");
  PrintOut("done");
  EXPECT_EQ(fake::os.err, "build_number: error: No EOL\r\n");
  EXPECT_EQ(fake::os.out, "done\r\n");
  fake::os.err.clear();
  const std::string text(2000, 'x');
  PrintErr("%s", text.c_str());
  EXPECT_EQ(fake::os.err, "build_number: error: " + text.substr(0, kMessageAllowance) + "\r\n");
}

TEST_F(Runtime, NullHandleSwallowsMessages) {
  ErrorHandle = nullptr;
  PrintErr("lost %s", "text");
  OutputHandle = nullptr;
  PrintOut("lost too");
  EXPECT_EQ(fake::os.err + fake::os.out, "");
}

}  // namespace
