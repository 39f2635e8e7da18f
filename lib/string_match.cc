// STRINGMATCH: the simple pattern, "*" and "?".

#include "lib/string_match.h"

#include "lib/char_class.h"
#include "lib/match_memo.h"

namespace keymend {

namespace {

class SimpleMatcher {
 public:
  SimpleMatcher(const char* text, int textlen, const char* pattern, int patternlen,
                bool either_case)
      : text_(text),
        textlen_(textlen),
        pattern_(pattern),
        patternlen_(patternlen),
        either_case_(either_case) {}

  bool Matches() {
    int runs = 0;
    for (int j = 0; j < patternlen_; ++j) {
      if (pattern_[j] == '*') ++runs;
    }
    if (runs == 0) return MATCH(textlen_, patternlen_, 0);
    if (!FailureMemo::Fits(runs, textlen_)) return MatchByRows();
    memo_.Reset(runs, textlen_);
    return MATCH(textlen_, patternlen_, runs);
  }

 private:
  bool Same(char t, char p) const {
    return p == '?' || t == p || (either_case_ && OtherCase(t, p));
  }

  // Whether the leading `i` text characters match the leading `j` pattern
  // characters, `runs` of which are "*". Compares from the right; a "*"
  // takes the fewest characters first.
  bool MATCH(int i, int j, int runs) {
    for (;;) {
      if (j == 0) return i == 0;
      const char p = pattern_[j - 1];
      if (p == '*') {
        if (j == 1) return true;  // a leading "*" takes what is left
        --runs;
        for (int n = i;; --n) {
          if (memo_.Enter(runs, n)) return false;
          if (MATCH(n, j - 1, runs)) return true;
          if (n == 0) return false;
        }
      }
      if (i == 0 || !Same(text_[i - 1], p)) return false;
      --i;
      --j;
    }
  }

  bool MatchByRows() const {
    PositionRow row;
    row.Reset(textlen_);
    for (int j = 0; j < patternlen_ && !row.Empty(); ++j) {
      const char p = pattern_[j];
      if (p == '*') {
        row.StepAnyRun();
      } else {
        row.StepOne([this, p](int k) { return Same(text_[k], p); });
      }
    }
    return row.Has(textlen_);
  }

  const char* text_;
  int textlen_;
  const char* pattern_;
  int patternlen_;
  bool either_case_;
  FailureMemo memo_;
};

}  // namespace

int16_t STRINGMATCH(const char* text, int16_t textlen, const char* pattern, int16_t patternlen,
                    std::optional<int16_t> casesensitive) {
  if (text == nullptr) return -1;
  if (pattern == nullptr) return -2;
  if (textlen < 0) return -3;
  if (patternlen < 0) return -4;
  const bool either_case = !(casesensitive && *casesensitive != 0);
  SimpleMatcher matcher(text, textlen, pattern, patternlen, either_case);
  return matcher.Matches() ? kMatch : kNoMatch;
}

}  // namespace keymend
