#include "lib/token_shift.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "lib/parser.h"

namespace keymend {
namespace {

using Tokens = std::vector<std::string>;

class TokenShiftTest : public ::testing::Test {
 protected:
  void ParseWords(std::string words) {
    input_ = std::move(words);
    PARSER(input_.data(), static_cast<int16_t>(input_.size()), &table_, ",", 1, "", 0);
  }

  // The words of `n` entries counted from 0, and the table's count.
  Tokens Leading(int n) const {
    Tokens out;
    for (int k = 0; k < n; ++k) out.emplace_back(table_.TOKEN[k].PTR, table_.TOKEN[k].LEN);
    return out;
  }
  Tokens InUse() const { return Leading(table_.COUNT); }

  TokenTable table_;
  std::string input_;
};

TEST_F(TokenShiftTest, RemovesFromTheFront) {
  struct Case {
    int16_t count;
    Tokens left;
  } cases[] = {
      {0, {"LISTONLY", "X1", "X2"}},  {1, {"X1", "X2"}}, {2, {"X2"}}, {3, {}}, {4, {}}, {32767, {}},
      {-1, {"LISTONLY", "X1", "X2"}},
  };
  for (const Case& c : cases) {
    ParseWords("LISTONLY X1 X2");
    DOWNSHIFTPOINTERS(&table_, kTokenEntries, c.count);
    EXPECT_EQ(InUse(), c.left) << "count " << c.count;
    EXPECT_EQ(table_.COUNT, static_cast<int16_t>(c.left.size())) << "count " << c.count;
  }
}

TEST_F(TokenShiftTest, FullTableLosesItsLastEntry) {
  std::string words;
  for (int k = 0; k < 50; ++k) words.append("w").append(std::to_string(k)).append(" ");
  ParseWords(words);
  ASSERT_EQ(table_.COUNT, 50);

  DOWNSHIFTPOINTERS(&table_, kTokenEntries, 1);
  EXPECT_EQ(table_.COUNT, 49);
  EXPECT_EQ(Leading(1), Tokens{"w1"});
  EXPECT_EQ(Leading(49).back(), "w49");
  EXPECT_EQ(table_.TOKEN[49].LEN, 0) << "the vacated entry is cleared";

  DOWNSHIFTPOINTERS(&table_, kTokenEntries, 2);
  EXPECT_EQ(table_.COUNT, 47);
  EXPECT_EQ(Leading(47).back(), "w49");
  EXPECT_EQ(Leading(1), Tokens{"w3"});
}

TEST_F(TokenShiftTest, RemovesFromTheMiddle) {
  struct Case {
    int16_t first;
    int16_t count;
    Tokens left;
  } cases[] = {
      {1, 1, {"a", "c", "d", "e"}},
      {1, 2, {"a", "d", "e"}},
      {3, 5, {"a", "b", "c"}},
      {4, 1, {"a", "b", "c", "d"}},
      {5, 1, {"a", "b", "c", "d", "e"}},   // nothing there to remove
      {50, 1, {"a", "b", "c", "d", "e"}},  // beyond the capacity
      {-3, 1, {"b", "c", "d", "e"}},       // read as 0
  };
  for (const Case& c : cases) {
    ParseWords("a b c d e");
    DOWNSHIFTPOINTERS(&table_, kTokenEntries, c.count, c.first);
    EXPECT_EQ(InUse(), c.left) << "first " << c.first << " count " << c.count;
  }
}

TEST_F(TokenShiftTest, CapacityBoundsTheMove) {
  ParseWords("a b c d e");
  // Only the first three entries move; the recount still sees all 50.
  DOWNSHIFTPOINTERS(&table_, 3, 1);
  EXPECT_EQ(Leading(5), (Tokens{"b", "c", "", "d", "e"}));
  EXPECT_EQ(table_.COUNT, 2);

  // A capacity above the table's size writes nothing outside it.
  struct Padded {
    TokenTable table;
    unsigned char guard[64];
  } padded;
  std::memset(padded.guard, 0x5A, sizeof padded.guard);
  std::string words = "p q r";
  PARSER(words.data(), 5, &padded.table, ",", 1, "", 0);
  DOWNSHIFTPOINTERS(&padded.table, 200, 1);
  EXPECT_EQ(padded.table.COUNT, 2);
  for (unsigned char g : padded.guard) ASSERT_EQ(g, 0x5A);
}

}  // namespace
}  // namespace keymend
