// STRINGMATCHX: the internal pattern, and templates translated into one.

#include "lib/bounded_match.h"
#include "lib/char_class.h"
#include "lib/string_match.h"
#include "lib/template_translate.h"

namespace keymend {

namespace {

// Room for a translated template; the translation never writes beyond it.
constexpr int16_t kTranslatedSize = 1024;

bool IsRunToken(char p) { return p == '*' || p == '-' || p == '+'; }

// Whether text character `t` may belong to a run of run token `p`.
bool InRun(char p, char t) {
  return p == '*' || (p == '-' && IsLetter(t)) || (p == '+' && IsDigit(t));
}

class InternalMatcher {
 public:
  InternalMatcher(const char* text, int textlen, const char* pattern, int patternlen,
                  bool either_case)
      : text_(text),
        textlen_(textlen),
        pattern_(pattern),
        patternlen_(patternlen),
        either_case_(either_case) {}

  // Picks the method of bounded_match.h that fits the pattern and the text.
  bool Matches() const {
    int runs = 0;
    bool class_runs = false;
    int head = -1;  // one-character tokens before the first run token
    for (int j = 0; j < patternlen_; ++j) {
      const char p = pattern_[j];
      if (!IsRunToken(p)) continue;
      ++runs;
      class_runs = class_runs || p != '*';
      if (head < 0) head = j;
    }
    auto same = [this](char t, char p) { return Same(t, p); };
    if (!class_runs) return MatchStarSegments(text_, textlen_, pattern_, patternlen_, same);

    // The head must match the start of the text whatever the runs do; the
    // right end is where MATCH begins anyway.
    if (head > textlen_) return false;
    for (int j = 0; j < head; ++j) {
      if (!Same(text_[j], pattern_[j])) return false;
    }
    if (!FailureMemo::Fits(runs, textlen_)) return MatchByRows();
    FailureMemo memo(textlen_);
    return MATCH(textlen_, patternlen_, runs, memo);
  }

 private:
  // A "'" or "~" that does not match by class still matches itself.
  bool Same(char t, char p) const {
    if (t == p || p == '?') return true;
    if (p == '\'') return IsLetter(t);
    if (p == '~') return IsDigit(t);
    return either_case_ && OtherCase(t, p);
  }

  // Whether the leading `i` text characters match the leading `j` pattern
  // characters, `runs` of which are run tokens. Compares from the right; a
  // run token takes the fewest characters first, and "-" and "+" take one
  // more only while it is of their class. A run-token state met a second
  // time is known to fail (bounded_match.h).
  bool MATCH(int i, int j, int runs, FailureMemo& memo) const {
    for (;;) {
      if (j == 0) return i == 0;
      const char p = pattern_[j - 1];
      if (IsRunToken(p)) {
        if (j == 1) return AllInRun(p, i);  // a leading run must take what is left
        --runs;
        for (int n = i;; --n) {
          if (memo.Enter(runs, n)) return false;
          if (MATCH(n, j - 1, runs, memo)) return true;
          if (n == 0 || !InRun(p, text_[n - 1])) return false;
        }
      }
      if (i == 0 || !Same(text_[i - 1], p)) return false;
      --i;
      --j;
    }
  }

  bool AllInRun(char p, int i) const {
    for (int k = 0; k < i; ++k) {
      if (!InRun(p, text_[k])) return false;
    }
    return true;
  }

  bool MatchByRows() const {
    PositionRow row;
    PositionRow letters;
    PositionRow digits;
    bool have_letters = false;
    bool have_digits = false;
    row.Reset(textlen_);
    for (int j = 0; j < patternlen_ && !row.Empty(); ++j) {
      const char p = pattern_[j];
      if (p == '*') {
        row.StepAnyRun();
      } else if (p == '-') {
        if (!have_letters) {
          letters.ResetToClass(textlen_, [this](int k) { return IsLetter(text_[k]); });
          have_letters = true;
        }
        row.StepRun(letters);
      } else if (p == '+') {
        if (!have_digits) {
          digits.ResetToClass(textlen_, [this](int k) { return IsDigit(text_[k]); });
          have_digits = true;
        }
        row.StepRun(digits);
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
};

}  // namespace

int16_t STRINGMATCHX(const char* text, int16_t textlen, const char* pattern, int16_t patternlen,
                     std::optional<int16_t> casesensitive, std::optional<int16_t> translated) {
  if (text == nullptr) return -1;
  if (pattern == nullptr) return -2;
  if (textlen < 0) return -3;
  if (patternlen < 0) return -4;

  char buffer[kTranslatedSize];
  if (!(translated && *translated != 0)) {
    int16_t length = 0;
    const int16_t error =
        TranslateToInternal(pattern, patternlen, buffer, kTranslatedSize, &length);
    if (error != 0) return error;
    pattern = buffer;
    patternlen = length;
  }

  const bool either_case = !(casesensitive && *casesensitive != 0);
  InternalMatcher matcher(text, textlen, pattern, patternlen, either_case);
  return matcher.Matches() ? kMatch : kNoMatch;
}

}  // namespace keymend
