#include "lib/template_translate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace keymend {
namespace {

struct Result {
  int16_t error;
  std::string pattern;  // when error is 0
};

// Translates into a buffer of `capacity` bytes followed by guard bytes,
// which must stay as they were.
template <typename Translate>
Result Run(Translate translate, const std::string& text, int16_t capacity) {
  char buffer[2048];
  std::memset(buffer, '#', sizeof buffer);
  int16_t length = -99;
  const int16_t error =
      translate(text.data(), static_cast<int16_t>(text.size()), buffer, capacity, &length);
  for (int k = capacity; k < static_cast<int>(sizeof buffer); ++k) {
    EXPECT_EQ(buffer[k], '#') << "written past the buffer for " << text.substr(0, 30);
  }
  if (error != 0) {
    EXPECT_EQ(length, -99) << "length written on error for " << text;
    return {error, ""};
  }
  return {0, std::string(buffer, length)};
}

Result Internal(const std::string& text, int16_t capacity = 1024) {
  return Run(TranslateToInternal, text, capacity);
}
Result System(const std::string& text, int16_t capacity = 60) {
  return Run(TranslateToSystem, text, capacity);
}

TEST(TemplateTranslateTest, BothPatterns) {
  struct Case {
    std::string text;
    std::string system;
    std::string internal;
  } cases[] = {
      {"$DATA*.SUB{..n}.FILE{..*}", "$DATA*.SUB*.FILE*", "$DATA*.SUB+.FILE*"},
      {"$DATA-.SUB+", "$DATA*.SUB*", "$DATA-.SUB+"},
      {"X{an}{..a}", "X??*", "X'~-"},
      {"A**--+B", "A*B", "A*-+B"},
      {"{..a..A}", "*", "-"},
      {"-{..a}", "*", "-"},
      {"*{..*}", "*", "*"},
      {"{*..*}", "*", "*"},
      {"*-", "*", "*-"},
      {"{..n..n}", "*", "+"},
      {"{..N}{..n}+", "*", "+"},
      {"AB{nn}", "AB??", "AB~~"},
      {"{a..n}", "?*", "'+"},
      {"{AaNn?}", "?????", "''~~?"},
      {"{..*}.X", "*.X", "*.X"},
      {"..*", "..*", "..*"},  // outside a group: plain dots
      {"$DATA*.SUB..n.FILE", "$DATA*.SUB..n.FILE", "$DATA*.SUB..n.FILE"},
      {"X'~", "X'~", "X'~"},
      {"A{}B", "AB", "AB"},
      {"{}", "", ""},
      {"", "", ""},
      {"\\NODE.$V.S.F", "\\NODE.$V.S.F", "\\NODE.$V.S.F"},
  };
  for (const Case& c : cases) {
    const Result system = System(c.text);
    EXPECT_EQ(system.error, 0) << c.text;
    EXPECT_EQ(system.pattern, c.system) << c.text;
    const Result internal = Internal(c.text);
    EXPECT_EQ(internal.error, 0) << c.text;
    EXPECT_EQ(internal.pattern, c.internal) << c.text;
  }
}

TEST(TemplateTranslateTest, ErrorsAreTheSameInBoth) {
  struct Error {
    std::string text;
    int16_t error;
  } errors[] = {
      {"{a{n}}", kBraceError}, {"a}", kBraceError},       {"{a", kBraceError},
      {"{{", kBraceError},     {"}", kBraceError},        {"{x}", kBadGroupToken},
      {"{.}", kBadGroupToken}, {"{..b}", kBadGroupToken}, {"{$}", kBadGroupToken},
      {"{..", kBadGroupToken}, {"{.*}", kBadGroupToken},  {"{x", kBadGroupToken},
      {"{a}}{", kBraceError},  {"{-}", kBadGroupToken},   {"{'}", kBadGroupToken},
  };
  for (const Error& e : errors) {
    EXPECT_EQ(System(e.text).error, e.error) << e.text;
    EXPECT_EQ(Internal(e.text).error, e.error) << e.text;
  }
}

TEST(TemplateTranslateTest, BufferLimits) {
  struct Limit {
    const char* name;
    bool system;
    std::string text;
    int16_t capacity;
    int16_t error;
  } cases[] = {
      {"system 60", true, std::string(60, 'A'), 60, 0},
      {"system 61", true, std::string(61, 'A'), 60, kPatternTooLong},
      {"system 61 from groups", true, "{" + std::string(61, 'a') + "}", 60, kPatternTooLong},
      {"system runs merge", true, std::string(59, 'A') + "*-+{..a}", 60, 0},
      {"internal 230", false, std::string(230, 'A'), 230, 0},
      {"internal 231", false, std::string(231, 'A'), 230, kPatternTooLong},
      {"internal runs collapse", false, std::string(229, 'A') + "**{*}", 230, 0},
      {"internal unlike runs count", false, std::string(228, 'A') + "*-+", 230, kPatternTooLong},
      {"internal 1024", false, std::string(1024, 'n'), 1024, 0},
      {"internal 1025", false, std::string(1025, 'n'), 1024, kPatternTooLong},
      {"too long before a late brace error", false, std::string(231, 'A') + "}", 230,
       kPatternTooLong},
  };
  for (const Limit& c : cases) {
    const Result r = c.system ? System(c.text, c.capacity) : Internal(c.text, c.capacity);
    EXPECT_EQ(r.error, c.error) << c.name;
  }
}

TEST(TemplateTranslateTest, SystemPatternShape) {
  struct Case {
    std::string pattern;
    int16_t error;
  } cases[] = {
      {"ABCDEFGH", 0},
      {"ABCDEFGHI", kBadNameShape},
      {"????ABCDE", kBadNameShape},
      {"\\ABCDEFGH", kBadNameShape},  // the backslash counts
      {"\\ABCDEFG.$ABCDEFG.ABCDEFGH.ABCDEFGH", 0},
      {"$ABCDEFGH", kBadNameShape},
      {"ABCDEFGH*", 0},  // "*" does not count
      {"*A*B*C*D*E*F*G*H*", 0},
      {"a.b.c.d", 0},
      {"a.b.c.d.e", kBadNameShape},
      {"....", kBadNameShape},
      {"$DATA*.SUB..n.FILE", kBadNameShape},
      {"A.ABCDEFGHI", kBadNameShape},
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSystemPattern(c.pattern.data(), static_cast<int16_t>(c.pattern.size())), c.error)
        << c.pattern;
  }
}

}  // namespace
}  // namespace keymend
