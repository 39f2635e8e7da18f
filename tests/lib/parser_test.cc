#include "lib/parser.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace keymend {
namespace {

struct Options {
  bool quoted_blanks = false;
  bool plain_quotes = false;
  std::string separators = ",";
  std::string blanks;
};

struct Parsed {
  std::vector<std::string> tokens;
  int count = 0;
  std::string text;    // TEXT up to its NUL
  std::string string;  // the parsed string after the call
  int16_t cut = 99;
  bool invariants = false;
};

// Checks what every parse must leave behind: entries in use first and without
// gaps, tokens inside TEXT, in text order and not overlapping, and the first
// empty entry at the NUL that ends TEXT.
::testing::AssertionResult Invariants(const TokenTable& table) {
  const char* text_end = table.TEXT + std::strlen(table.TEXT);
  if (text_end >= table.TEXT + kTokenTextSize) return ::testing::AssertionFailure() << "no NUL";
  const char* previous_end = table.TEXT;
  for (int k = 0; k < kTokenEntries; ++k) {
    const TokenEntry& e = table.TOKEN[k];
    if (k < table.COUNT) {
      if (e.LEN <= 0) return ::testing::AssertionFailure() << "entry " << k << " empty";
      if (e.PTR < previous_end || e.PTR + e.LEN > text_end) {
        return ::testing::AssertionFailure() << "entry " << k << " out of order or outside TEXT";
      }
      if (std::memchr(e.PTR, '\0', e.LEN) != nullptr) {
        return ::testing::AssertionFailure() << "entry " << k << " holds a NUL";
      }
      previous_end = e.PTR + e.LEN;
    } else {
      if (e.LEN != 0) return ::testing::AssertionFailure() << "entry " << k << " after COUNT";
      if (k == table.COUNT && e.PTR != text_end) {
        return ::testing::AssertionFailure() << "first empty entry not at the NUL";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

Parsed Parse(const std::string& input, const Options& options = {}) {
  TokenTable table;
  std::memset(&table, 0xAB, sizeof table);
  std::string buffer = input;
  Parsed out;
  PARSER(buffer.data(), static_cast<int16_t>(buffer.size()), &table, options.separators.data(),
         static_cast<int16_t>(options.separators.size()), options.blanks.data(),
         static_cast<int16_t>(options.blanks.size()),
         options.quoted_blanks ? std::optional<int16_t>(0) : std::nullopt,
         options.plain_quotes ? std::optional<int16_t>(0) : std::nullopt, &out.cut);
  out.count = table.COUNT;
  out.text = table.TEXT;
  out.string = buffer;
  for (int k = 0; k < table.COUNT; ++k)
    out.tokens.emplace_back(table.TOKEN[k].PTR, table.TOKEN[k].LEN);
  // The bytes between TEXT and the entries are padding that only an
  // overrun of TEXT could change.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&table);
  for (size_t b = offsetof(TokenTable, TEXT) + kTokenTextSize; b < offsetof(TokenTable, TOKEN);
       ++b) {
    EXPECT_EQ(bytes[b], 0xAB) << "written past TEXT at " << input.substr(0, 20);
  }
  out.invariants = Invariants(table);
  EXPECT_TRUE(Invariants(table)) << input.substr(0, 40);
  return out;
}

using Tokens = std::vector<std::string>;

TEST(ParserTest, SplitsAtBlanksAndCommas) {
  struct Case {
    std::string input;
    std::string text;
    Tokens tokens;
  } cases[] = {
      {"$DATA.SUB.*,$VOL.SV", "$DATA.SUB.* , $VOL.SV", {"$DATA.SUB.*", ",", "$VOL.SV"}},
      {",$VOL.SV", " , $VOL.SV", {",", "$VOL.SV"}},
      {"a,,b", "a ,  , b", {"a", ",", ",", "b"}},
      {"a,", "a , ", {"a", ","}},
      {"a b LISTONLY", "a b LISTONLY", {"a", "b", "LISTONLY"}},
      {"  lower  MiXeD ", "  lower  MiXeD ", {"lower", "MiXeD"}},
      {"a\tb", "a\tb", {"a\tb"}},  // only blanks and listed characters split
      {std::string("ab\0,cd", 6), "ab", {"ab"}},
      {"", "", {}},
      {"     ", "     ", {}},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.input);
    EXPECT_EQ(p.text, c.text) << "input [" << c.input << "]";
    EXPECT_EQ(p.tokens, c.tokens) << "input [" << c.input << "]";
    EXPECT_EQ(p.count, static_cast<int>(c.tokens.size())) << "input [" << c.input << "]";
    EXPECT_EQ(p.cut, 0) << "input [" << c.input << "]";
  }
}

TEST(ParserTest, QuotationMarksAndOptions) {
  Options qb;
  qb.quoted_blanks = true;
  Options plain;
  plain.plain_quotes = true;
  Options both = qb;
  both.plain_quotes = true;
  Options blank_list;
  blank_list.blanks = ";,";  // the comma is in both lists: it stays a separator
  struct Case {
    const char* name;
    std::string input;
    Options options;
    Tokens tokens;
  } cases[] = {
      {"separator in quotes", "\"a,b\"", {}, {"a,b"}},
      {"blank in quotes splits", "\"a b\"", {}, {"a", "b"}},
      {"quoted blank kept", "\"a b\"", qb, {"a b"}},
      {"unpaired mark quotes the rest", "a\"b,c", {}, {"ab,c"}},
      {"plain quotes", "\"a,b\"", plain, {"\"a", ",", "b\""}},
      {"plain quotes keep marks, blanks still marked", "\"a b\"", both, {"\"a b\""}},
      {"single mark marks nothing", "x \"a b", qb, {"x", "a", "b"}},
      {"third mark unpaired", "\"a b\" \"c d", qb, {"a b", "c", "d"}},
      {"two groups", "\"a b\",\"c d\"", qb, {"a b", ",", "c d"}},
      {"blank list", "a;b,c", blank_list, {"a", "b", ",", "c"}},
      {"blank list ignored in quotes", "\"a;b\"", blank_list, {"a;b"}},
      {"empty quotes", "\"\"", {}, {}},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.input, c.options);
    EXPECT_EQ(p.tokens, c.tokens) << c.name;
    EXPECT_EQ(p.string, c.input) << c.name << ": the string is given back as it was";
  }
}

TEST(ParserTest, BlankMarkComesBackAsBlank) {
  Options qb;
  qb.quoted_blanks = true;
  // With marking in effect every 255, quoted or not, ends up a blank, in
  // the string and in its token.
  const Parsed p = Parse(
      "\xFFz \"a\xFF"
      "b\"",
      qb);
  EXPECT_EQ(p.tokens, (Tokens{" z", "a b"}));
  EXPECT_EQ(p.string, " z \"a b\"");
  // Without marking a 255 is an ordinary byte.
  const Parsed unmarked = Parse(
      "a\xFF"
      "b");
  EXPECT_EQ(unmarked.tokens, (Tokens{"a\xFF"
                                     "b"}));
}

TEST(ParserTest, KeepsFiftyTokens) {
  std::string input;
  for (int k = 0; k < 60; ++k) input.append("w").append(std::to_string(k)).append(" ");
  const Parsed p = Parse(input);
  ASSERT_EQ(p.count, 50);
  EXPECT_EQ(p.tokens.front(), "w0");
  EXPECT_EQ(p.tokens.back(), "w49");
}

TEST(ParserTest, TextThatDoesNotFitIsCutAtATokenBoundary) {
  const std::string x1000(1000, 'x');
  std::string commas342;
  for (int k = 0; k < 342; ++k) commas342 += ',';
  struct Case {
    const char* name;
    std::string input;
    int16_t cut;
    size_t text_length;
    Tokens first_tokens;  // the tokens expected, up to three
  } cases[] = {
      {"word of 1023 fits", std::string(1023, 'w'), 0, 1023, {std::string(1023, 'w')}},
      {"word of 1024 is dropped", std::string(1024, 'w'), -1, 0, {}},
      {"341 separators fit", commas342.substr(1), 0, 1023, {",", ",", ","}},
      {"342nd separator dropped", commas342, -1, 1023, {",", ",", ","}},
      {"separator would straddle",
       std::string(1021, 'x') + ",",
       -1,
       1021,
       {std::string(1021, 'x')}},
      {"next word would be a fragment", x1000 + " " + std::string(100, 'y'), -1, 1001, {x1000}},
      {"quoted word would be a fragment",
       x1000 + " \"" + std::string(100, 'q') + "\"",
       -1,
       1001,
       {x1000}},
      {"separator ends exactly at the end",
       std::string(1020, 'x') + ",yy",
       -1,
       1023,
       {std::string(1020, 'x'), ","}},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.input);
    EXPECT_EQ(p.cut, c.cut) << c.name;
    EXPECT_EQ(p.text.size(), c.text_length) << c.name;
    const Tokens first(p.tokens.begin(), p.tokens.begin() + std::min<size_t>(p.tokens.size(), 3));
    EXPECT_EQ(first, c.first_tokens) << c.name;
  }
}

TEST(ParserTest, CutFlagIsOptional) {
  TokenTable table;
  std::string input(2000, 'a');
  PARSER(input.data(), static_cast<int16_t>(input.size()), &table, ",", 1, "", 0);
  EXPECT_EQ(table.COUNT, 0);
  EXPECT_EQ(table.TEXT[0], '\0');
}

}  // namespace
}  // namespace keymend
