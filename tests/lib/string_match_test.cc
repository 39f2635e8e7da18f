#include "lib/string_match.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace keymend {
namespace {

constexpr std::optional<int16_t> kEitherCase = std::nullopt;
constexpr std::optional<int16_t> kCaseSensitive = 1;

struct Case {
  std::string text;
  std::string pattern;
  int16_t expected;
  std::optional<int16_t> casesensitive = kEitherCase;
};

int16_t Simple(const Case& c) {
  return STRINGMATCH(c.text.data(), static_cast<int16_t>(c.text.size()), c.pattern.data(),
                     static_cast<int16_t>(c.pattern.size()), c.casesensitive);
}

int16_t Internal(const Case& c) {
  return STRINGMATCHX(c.text.data(), static_cast<int16_t>(c.text.size()), c.pattern.data(),
                      static_cast<int16_t>(c.pattern.size()), c.casesensitive, -1);
}

int16_t FromTemplate(const Case& c) {
  return STRINGMATCHX(c.text.data(), static_cast<int16_t>(c.text.size()), c.pattern.data(),
                      static_cast<int16_t>(c.pattern.size()), c.casesensitive);
}

TEST(StringMatchTest, SimplePatterns) {
  const std::string a35(35, 'A');
  const Case cases[] = {
      {"", "", 2},
      {"x", "", 0},
      {"", "*", 2},
      {"anything at all", "*", 2},
      {"a", "?", 2},
      {"", "?", 0},
      {"ab", "?", 0},
      {"FILE.c", "*.C", 2},
      {"FILE.cc", "*.C", 0},
      {"acb", "a*b*c", 0},
      {"aXbYc", "a*b*c", 2},
      {"abc", "ABC", 2},
      {"abc", "ABC", 0, kCaseSensitive},
      {"abc", "ABC", 2, int16_t{0}},
      {"ABC", "ABC", 2, kCaseSensitive},
      {"\xE9", "\xC9", 0},  // above 0x7F: never the other case
      {"[", "{", 0},        // 0x20 apart, but not letters
      {"@", "`", 0},
      {"A+B", "A+B", 2},  // only "*" and "?" are wild cards here
      {"a+b", "A+B", 2},
      {"A1B", "A+B", 0},
      {"A-B", "A-B", 2},
      {"AxB", "A'B", 0},
      {"A5B", "A~B", 0},
      {"{a}", "{a}", 2},
      {a35, "*A*A*A*A*A*A*A*A*B", 0},
      {a35 + "B", "*A*A*A*A*A*A*A*A*B", 2},
      {"abcabcabd", "*abd", 2},
      {"mississippi", "m*iss*ppi", 2},
      {"mississippi", "m*iss*pi?", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Simple(c), c.expected) << "[" << c.text << "] against [" << c.pattern << "]";
  }
}

TEST(StringMatchTest, Keywords) {
  // The driver asks for "-H" as the first two bytes of "-HELP", then for
  // the whole word; the option word is matched the same way.
  struct Keyword {
    std::string token;
    bool help;
    bool listonly;
  } cases[] = {
      {"-H", true, false},         {"-h", true, false},       {"-HELP", true, false},
      {"-help", true, false},      {"-HeLp", true, false},    {"-HE", false, false},
      {"-HELPX", false, false},    {"H", false, false},       {"LISTONLY", false, true},
      {"listonly", false, true},   {"ListOnly", false, true}, {"LISTONL", false, false},
      {"LISTONLYX", false, false}, {"", false, false},
  };
  for (const Keyword& k : cases) {
    const int16_t n = static_cast<int16_t>(k.token.size());
    const bool help = STRINGMATCH(k.token.data(), n, "-HELP", 2) == 2 ||
                      STRINGMATCH(k.token.data(), n, "-HELP", 5) == 2;
    EXPECT_EQ(help, k.help) << k.token;
    EXPECT_EQ(STRINGMATCH(k.token.data(), n, "LISTONLY", 8) == 2, k.listonly) << k.token;
  }
}

TEST(StringMatchTest, InternalPatterns) {
  const std::string a35(35, 'A');
  const Case cases[] = {
      {"AB", "AB+", 2},
      {"AB7", "AB+", 2},
      {"AB123", "AB+", 2},
      {"AB1X", "AB+", 0},
      {"X", "X-", 2},
      {"XYZ", "X-", 2},
      {"X1", "X-", 0},
      {"12", "~~", 2},
      {"1A", "~~", 0},
      {"123", "~~", 0},
      {"Q", "'", 2},
      {"q", "'", 2},
      {"'", "'", 2},
      {"5", "'", 0},
      {"~", "~", 2},
      {"A", "~", 0},
      {"abc", "-", 2},
      {"ab1", "-", 0},
      {"", "-", 2},
      {"", "+", 2},
      {"12ab", "+-", 2},
      {"a1", "+-", 0},
      {"a1", "-+", 2},
      {"ab12cd", "*+*", 2},
      {"abcd", "-+-", 2},
      {"ab1c2d", "-+-", 0},
      {"DATA1.X9", "DATA+.X~", 2},
      {"{a}", "{a}", 2},  // no group in an internal pattern
      {"..xyz", "..*", 2},
      {"aXz", "a?z", 2},
      {"abc", "ABC", 0, kCaseSensitive},
      {"abc", "ABC", 2},
      {"A1", "'~", 2, kCaseSensitive},
      {a35, "*A*A*A*A*A*A*A*A*B", 0},
      {a35, "-A-A-A-A-A-A-A-A+B", 0},
      {a35 + "1", "-A-A-A-A-A-A-A-A+~", 2},
      // Runs across the 64-character steps of the row method.
      {std::string(100, 'a') + "1", "-~", 2},
      {"1" + std::string(63, 'a') + "b2", "~-~", 2},
      {std::string(130, '7') + "x", "+'", 2},
      {std::string(64, 'a') + "1" + std::string(64, 'a'), "-", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Internal(c), c.expected) << "[" << c.text << "] against [" << c.pattern << "]";
  }
}

TEST(StringMatchTest, Templates) {
  const Case cases[] = {
      {"AB12", "AB{nn}", 2},
      {"ab12", "AB{nn}", 2},
      {"AB1", "AB{nn}", 0},
      {"ABC1", "AB{nn}", 0},
      {"X123", "{a..n}", 2},
      {"X", "{a..n}", 2},
      {"1", "{a..n}", 0},
      {"abc.X", "{..*}.X", 2},
      {"..abc", "..*", 2},  // outside a group: two dots and the any-run token
      {"XA1", "X'~", 2},
      {"AB", "A{}B", 2},
      {"abc", "{..a}", 2},
      {"ABC", "{..a}", 2},
      {"ab1", "{..a}", 0},
      {"$DATA1.SUB12.FILEA", "$DATA*.SUB{..n}.FILE{..*}", 2},
      {"$DATA1.SUBX.FILEA", "$DATA*.SUB{..n}.FILE{..*}", 0},
      {"{x}", "{x}", -7},
      {"", "{{", -5},
      {"", "}", -5},
      {"a", "{a", -5},
      {"a", "{a{n}}", -5},
      {"", "{..", -7},
      {"", "{x", -7},  // the first error met counts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromTemplate(c), c.expected) << "[" << c.text << "] against [" << c.pattern << "]";
  }
}

TEST(StringMatchTest, TranslatedPatternHoldsAtMost1024Bytes) {
  auto letter_tokens = [](int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += "{a}";
    return out;
  };
  struct Size {
    const char* name;
    std::string pattern;
    std::string text;
    int16_t expected;
  } cases[] = {
      {"1024 plain characters", std::string(1024, 'a'), std::string(1024, 'a'), 2},
      {"1025 plain characters", std::string(1025, 'a'), std::string(1025, 'a'), -6},
      {"2000 any-run tokens collapse", std::string(2000, '*'), "x", 2},
      {"braces add nothing", "{}" + std::string(1024, 'a') + "{}", std::string(1024, 'A'), 2},
      {"1024 letter tokens", letter_tokens(1024), std::string(1024, 'b'), 2},
      {"1025 letter tokens", letter_tokens(1025), std::string(1025, 'b'), -6},
  };
  for (const Size& c : cases) {
    EXPECT_EQ(FromTemplate({c.text, c.pattern, 0}), c.expected) << c.name;
  }
}

TEST(StringMatchTest, ParameterChecksComeFirstInOrder) {
  struct Call {
    const char* name;
    const char* text;
    int16_t textlen;
    const char* pattern;
    int16_t patternlen;
    int16_t expected;
  } cases[] = {
      {"no text", nullptr, 1, "a", 1, -1},
      {"no pattern", "a", 1, nullptr, 1, -2},
      {"neither", nullptr, 1, nullptr, 1, -1},
      {"no text, negative pattern length", nullptr, 1, "a", -1, -1},
      {"negative text length", "a", -1, "a", 1, -3},
      {"negative pattern length", "a", 1, "a", -1, -4},
      {"both lengths negative", "a", -1, "a", -1, -3},
      {"bad template, no text", nullptr, 1, "{x}", 3, -1},
      {"bad template, negative text length", "a", -1, "{", 1, -3},
  };
  for (const Call& c : cases) {
    EXPECT_EQ(STRINGMATCH(c.text, c.textlen, c.pattern, c.patternlen), c.expected) << c.name;
    EXPECT_EQ(STRINGMATCHX(c.text, c.textlen, c.pattern, c.patternlen), c.expected) << c.name;
  }
}

TEST(StringMatchTest, LongInputsStayCorrect) {
  // Beyond what the memo holds the matchers switch method; the results must
  // not change.
  std::string text(30000, 'a');
  text += "b";
  const Case cases[] = {
      {text, "*b", 2},
      {text, "*a", 0},
      {text, "a*?b", 2},
      {text, "-b", 2},
      {text, "-~", 0},
      {text, "*" + std::string(200, 'a') + "*b", 2},
      {text, std::string(300, '*') + "c", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Internal(c), c.expected) << "[" << c.pattern.substr(0, 20) << "]";
    if (c.pattern.find_first_of("-+~'") == std::string::npos) {
      EXPECT_EQ(Simple(c), c.expected) << "[" << c.pattern.substr(0, 20) << "]";
    }
  }
  // The largest inputs of all, one run token per pattern character.
  const std::string big_text(32767, 'x');
  const std::string big_pattern(32767, '*');
  EXPECT_EQ(STRINGMATCH(big_text.data(), 32767, big_pattern.data(), 32767), 2);
  EXPECT_EQ(STRINGMATCHX(big_text.data(), 32767, big_pattern.data(), 32767, {}, -1), 2);
}

}  // namespace
}  // namespace keymend
