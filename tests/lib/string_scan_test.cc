#include "lib/string_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace keymend {
namespace {

TEST(StringScanTest, Scans) {
  struct Case {
    const char* name;
    bool until;  // EXTSCANUNTIL, else EXTSCANWHILE
    std::string text;
    int16_t character;
    int offset;  // of the returned address
    int16_t endflag;
  } cases[] = {
      {"until on empty", true, "", ' ', 0, -1},
      {"until at start", true, " abc", ' ', 0, 0},
      {"until in the middle", true, "ab c", ' ', 2, 0},
      {"until not found", true, "abc", ' ', 3, -1},
      {"until NUL itself", true, "abc", 0, 3, -1},
      {"until low byte only", true, "abc", 0x100 + 'b', 1, 0},
      {"until byte above 0x7F", true, "a\xE9z", 0xE9, 1, 0},
      {"while skips blanks", false, "   abc", ' ', 3, 0},
      {"while blanks only", false, "   ", ' ', 3, -1},
      {"while on empty", false, "", ' ', 0, -1},
      {"while first differs", false, "x  ", ' ', 0, 0},
  };
  for (const Case& c : cases) {
    std::string buffer = c.text;
    char* start = buffer.data();
    int16_t flag = 7;
    char* got =
        c.until ? EXTSCANUNTIL(start, c.character, &flag) : EXTSCANWHILE(start, c.character, &flag);
    EXPECT_EQ(got - start, c.offset) << c.name;
    EXPECT_EQ(flag, c.endflag) << c.name;
    char* without = c.until ? EXTSCANUNTIL(start, c.character) : EXTSCANWHILE(start, c.character);
    EXPECT_EQ(without, got) << c.name << ": same address without the end flag";
  }
}

TEST(StringScanTest, Reallen) {
  struct Case {
    std::string text;
    int16_t length;
    int16_t expected;
  } cases[] = {
      {"AB  ", 4, 2}, {"    ", 4, 0}, {"", 0, 0},    {" A", 2, 2},
      {"AB  ", 3, 2}, {"A\t ", 3, 2}, {"AB", -1, 0}, {std::string("A\0 ", 3), 3, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(REALLEN(c.text.data(), c.length), c.expected)
        << "[" << c.text << "] length " << c.length;
  }
}

}  // namespace
}  // namespace keymend
