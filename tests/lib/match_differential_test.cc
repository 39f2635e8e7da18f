// The bounded matchers against the plain backtracking they must agree with,
// written here straight from its rules: compare from the right ends, a run
// token takes the fewest characters first, "-" and "+" stop growing at the
// first character not of their class. Only its result, match or not, is
// compared.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>

#include "lib/string_match.h"

namespace keymend {
namespace {

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

struct OutOfSteps {};

class NaiveMatcher {
 public:
  NaiveMatcher(const std::string& text, const std::string& pattern, bool either_case, bool extended,
               long budget)
      : t_(text), p_(pattern), either_case_(either_case), extended_(extended), budget_(budget) {}

  // True on a match; throws OutOfSteps when the budget runs out.
  bool Matches() { return MATCH(static_cast<int>(t_.size()), static_cast<int>(p_.size())) == 0; }

 private:
  bool IsRun(char c) const { return c == '*' || (extended_ && (c == '-' || c == '+')); }

  int MATCH(int i, int j) {
    for (;;) {
      if (--budget_ < 0) throw OutOfSteps{};
      if (j == 0) return i;
      const char p = p_[j - 1];
      if (IsRun(p)) {
        int last = 0;
        for (int n = i;; --n) {
          last = MATCH(n, j - 1);
          if (last == 0) return 0;
          if (n == 0) break;
          if (p == '-' && !Letter(t_[n - 1])) break;
          if (p == '+' && !Digit(t_[n - 1])) break;
        }
        return last;
      }
      if (i == 0) return j;
      const char t = t_[i - 1];
      bool same = p == '?' || t == p;
      if (!same && either_case_ && Letter(t) && Letter(p) && (t - p == 0x20 || p - t == 0x20)) {
        same = true;
      }
      if (!same && extended_ && ((p == '\'' && Letter(t)) || (p == '~' && Digit(t)))) {
        same = true;
      }
      if (!same) return j;
      --i;
      --j;
    }
  }

  const std::string& t_;
  const std::string& p_;
  bool either_case_;
  bool extended_;
  long budget_;
};

constexpr long kBudget = 200000;

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int Below(int n) { return static_cast<int>(random_() % n); }

  // Text in runs of one kind of character, up to `max_run` long, so that
  // letter and digit runs of some length occur; it includes the wild-card
  // characters themselves.
  std::string Text(int max_length, int max_run = 6) {
    static const std::string kinds[] = {"aAbBzZ", "0159", ".$\\", "*-+?'~", "\xE9\x7F{"};
    std::string text;
    const int length = Below(max_length + 1);
    while (static_cast<int>(text.size()) < length) {
      const std::string& kind = kinds[Below(5)];
      for (int run = 1 + Below(max_run); run > 0 && static_cast<int>(text.size()) < length; --run) {
        text += kind[Below(static_cast<int>(kind.size()))];
      }
    }
    return text;
  }

  // A pattern drawn from `text` (characters replaced by a wild card or by
  // the other case, stretches by a run token, runs put in), or made up
  // freely.
  std::string Pattern(const std::string& text, bool extended, int max_length) {
    const std::string runs = extended ? "*-+" : "*";
    const std::string ones = extended ? "?'~" : "?";
    std::string pattern;
    if (Below(2) == 0) {
      for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (Below(10) == 0) {
          // A stretch taken by one run token of a class that fits it.
          const size_t end = std::min(text.size(), k + 1 + Below(40));
          bool letters = true;
          bool digits = true;
          for (size_t m = k; m < end; ++m) {
            letters = letters && Letter(text[m]);
            digits = digits && Digit(text[m]);
          }
          pattern += !extended || Below(3) == 0 ? '*' : letters ? '-' : digits ? '+' : '*';
          k = end - 1;
          continue;
        }
        switch (Below(9)) {
          case 0:
            pattern += ones[Below(static_cast<int>(ones.size()))];
            break;
          case 1:
            pattern += runs[Below(static_cast<int>(runs.size()))];
            break;
          case 2:
            pattern += runs[Below(static_cast<int>(runs.size()))];
            pattern += c;
            break;
          case 3:
            pattern += Letter(c) ? static_cast<char>(c ^ 0x20) : c;
            break;
          case 4:
            break;  // dropped: usually no match
          default:
            pattern += c;
        }
      }
      return pattern;
    }
    static const std::string plain = "aAbZ09.$\xE9";
    const int length = Below(max_length + 1);
    for (int k = 0; k < length; ++k) {
      switch (Below(3)) {
        case 0:
          pattern += runs[Below(static_cast<int>(runs.size()))];
          break;
        case 1:
          pattern += ones[Below(static_cast<int>(ones.size()))];
          break;
        default:
          pattern += plain[Below(static_cast<int>(plain.size()))];
      }
    }
    return pattern;
  }

 private:
  std::mt19937 random_;
};

int16_t Bounded(const std::string& text, const std::string& pattern, bool either_case,
                bool extended) {
  const std::optional<int16_t> casesensitive =
      either_case ? std::nullopt : std::optional<int16_t>(1);
  const int16_t textlen = static_cast<int16_t>(text.size());
  const int16_t patternlen = static_cast<int16_t>(pattern.size());
  return extended
             ? STRINGMATCHX(text.data(), textlen, pattern.data(), patternlen, casesensitive, -1)
             : STRINGMATCH(text.data(), textlen, pattern.data(), patternlen, casesensitive);
}

std::string Show(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x" + std::to_string(c);
    }
  }
  return "[" + out + "]";
}

TEST(MatchDifferentialTest, AgreesWithBacktrackingOnShortInputs) {
  for (bool extended : {false, true}) {
    Generator generate(extended ? 11 : 7);
    int compared = 0;
    int matched = 0;
    for (int round = 0; round < 30000; ++round) {
      const std::string text = generate.Text(12);
      const std::string pattern = generate.Pattern(text, extended, 10);
      const bool either_case = generate.Below(2) == 0;
      bool expected;
      try {
        expected = NaiveMatcher(text, pattern, either_case, extended, kBudget).Matches();
      } catch (const OutOfSteps&) {
        continue;
      }
      ++compared;
      matched += expected;
      ASSERT_EQ(Bounded(text, pattern, either_case, extended), expected ? 2 : 0)
          << (extended ? "STRINGMATCHX " : "STRINGMATCH ") << Show(text) << " against "
          << Show(pattern) << (either_case ? "" : " case-sensitive");
    }
    // The generator must give both answers often enough to mean something.
    EXPECT_GT(compared, 29000);
    EXPECT_GT(matched, compared / 10);
    EXPECT_LT(matched, compared - compared / 10);
  }
}

// Texts long enough to span several 64-bit words of the row method, with
// letter and digit runs long enough to cross from one word into the next.
TEST(MatchDifferentialTest, AgreesWithBacktrackingOnLongerInputs) {
  for (bool extended : {false, true}) {
    Generator generate(extended ? 23 : 19);
    int compared = 0;
    int matched = 0;
    for (int round = 0; round < 3000; ++round) {
      const std::string text = generate.Text(300, 80);
      const std::string pattern = generate.Pattern(text, extended, 12);
      const bool either_case = generate.Below(2) == 0;
      bool expected;
      try {
        expected = NaiveMatcher(text, pattern, either_case, extended, kBudget / 10).Matches();
      } catch (const OutOfSteps&) {
        continue;
      }
      ++compared;
      matched += expected;
      ASSERT_EQ(Bounded(text, pattern, either_case, extended), expected ? 2 : 0)
          << (extended ? "STRINGMATCHX " : "STRINGMATCH ") << Show(text) << " against "
          << Show(pattern) << (either_case ? "" : " case-sensitive");
    }
    EXPECT_GT(compared, 2000);
    EXPECT_GT(matched, compared / 20);
  }
}

// Texts beyond what the memo takes, with a single run token.
TEST(MatchDifferentialTest, RowMethodAgreesOnVeryLongTexts) {
  Generator generate(31);
  for (int round = 0; round < 40; ++round) {
    const bool extended = round % 2 == 1;
    std::string text = generate.Text(40);
    text.insert(0, 20000, round % 4 < 2 ? 'a' : '7');
    const std::string runs = extended ? "*-+" : "*";
    std::string pattern = generate.Pattern(text.substr(0, 6), extended, 0);
    pattern += runs[generate.Below(static_cast<int>(runs.size()))];
    pattern += generate.Pattern(text.substr(text.size() - 8), extended, 0);
    std::string single;  // keep one run token only
    bool seen = false;
    for (char c : pattern) {
      const bool run = c == '*' || (extended && (c == '-' || c == '+'));
      if (run && seen) continue;
      seen = seen || run;
      single += c;
    }
    bool expected;
    try {
      expected = NaiveMatcher(text, single, true, extended, 10 * kBudget).Matches();
    } catch (const OutOfSteps&) {
      continue;
    }
    EXPECT_EQ(Bounded(text, single, true, extended), expected ? 2 : 0) << Show(single);
  }
}

}  // namespace
}  // namespace keymend
