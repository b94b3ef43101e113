// The routines that walk the command line and the header text.
#include "tests/unit/double_test.h"

namespace {

// Only the space and the tab are blanks: the last case holds the others
// that might pass for one.
TEST(Scanning, SkipAndFindBlanks) {
  struct Case {
    const char* text;
    const char* afterBlanks;  // what SkipBlanks leaves
    const char* fromBlank;    // what FindBlank leaves
  };
  const Case cases[] = {
      {"\t \tx", "x", "\t \tx"}, {"", "", ""},
      {"abc", "abc", ""},        {"ab c", "ab c", " c"},
      {"\r x", "\r x", " x"},    {"a\rb\tc d", "a\rb\tc d", "\tc d"},
      {"  ", "", "  "},          {"\v\f\n\"a\xA0 \tx", "\v\f\n\"a\xA0 \tx", " \tx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkipBlanks(c.text), Suffix(c.text, c.afterBlanks)) << c.text;
    EXPECT_EQ(FindBlank(c.text), Suffix(c.text, c.fromBlank)) << c.text;
  }
}

TEST(Scanning, ExtractArgument) {
  struct Case {
    const char* source;
    int capacity;
    const char* output;  // null: not looked at
    const char* rest;    // null: null result
  };
  const Case cases[] = {
      {"ver.h -v", 260, "ver.h", " -v"},
      {"\"my ver.h\" x", 260, "my ver.h", " x"},
      {"\"a b\"c d", 260, "a b", "c d"},
      {"a\"\"b c", 260, "a\"b", " c"},
      {"\"a\"\"b\" c", 260, "a\"b", " c"},
      {"\"a\"\"\"", 260, "a\"", ""},
      {"a\"b c", 260, "a\"b", " c"},
      {"a\rb\tc", 260, "a\rb", "\tc"},
      {"\"a\tb\"", 260, "a\tb", ""},
      {"\"abc", 260, nullptr, nullptr},
      {"\"abc\"\"", 260, nullptr, nullptr},
      {"", 260, "", nullptr},
      {"\"\" x", 260, "", " x"},
      {" x", 260, "", " x"},
      {"\tx", 260, "", "\tx"},
      {"abcdef", 4, "abc", ""},
      {"\"abcdef\" x", 4, "abc", " x"},
      {"ab\"\"cd e", 4, "ab\"", " e"},
      {"abc", 1, "", ""},
  };
  for (const Case& c : cases) {
    char output[300];
    std::strcpy(output, "junk");
    EXPECT_EQ(ExtractArgument(c.source, output, c.capacity), Suffix(c.source, c.rest)) << c.source;
    if (c.output) {
      EXPECT_STREQ(output, c.output) << c.source;
    }
    EXPECT_EQ(ExtractArgument(c.source, nullptr, c.capacity), Suffix(c.source, c.rest)) << c.source;
  }
}

TEST(Scanning, ParseUnsigned) {
  struct Case {
    const char* text;
    DWORD value;
    const char* rest;  // where the end lands; the whole text for nothing read
  };
  const Case cases[] = {
      {"123abc", 123, "abc"},
      {"4294967295", 4294967295u, ""},
      {"4294967296", 0xFFFFFFFFu, "4294967296"},
      {"42949672950", 0xFFFFFFFFu, "42949672950"},
      {"99999999999999999999999", 0xFFFFFFFFu, "99999999999999999999999"},
      {"007", 7, ""},
      {"0 1", 0, " 1"},
      {"abc", 0, "abc"},
      {"", 0, ""},
      {"-5", 0, "-5"},
      {"+5", 0, "+5"},
      {" 5", 0, " 5"},
      {"12\r\n", 12, "\r\n"},
  };
  for (const Case& c : cases) {
    const char* end = nullptr;
    EXPECT_EQ(ParseUnsigned(c.text, &end), c.value) << c.text;
    EXPECT_EQ(end, Suffix(c.text, c.rest)) << c.text;
    EXPECT_EQ(ParseUnsigned(c.text, nullptr), c.value) << c.text;
  }
}

}  // namespace
