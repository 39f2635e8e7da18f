// Fixed storage that keeps the wild-card matchers polynomial.
//
// Both matchers compare text and pattern from their right ends and backtrack
// over run tokens: a run token first takes no character, then one more at a
// time. Whether the leading i text characters match the leading j pattern
// characters depends on (i, j) alone, and the search stops at the first
// success, so every (i, j) reached a second time is known to fail. A matcher
// therefore notes each run-token state (i, j) it enters in a FailureMemo and
// gives up on a run as soon as it meets a noted state: every shorter try of
// that run was made from there already. Each state is entered once, and the
// literal comparisons between two run tokens are made once per state, so a
// call costs at most O(text length x pattern length), and its result is the
// one that plain backtracking gives.
//
// The memo holds one bit per (run token, text position): up to kMemoBits
// bits, and at most kMemoRuns run tokens, which also bounds the depth of the
// matcher's recursion. File names and keywords use a few bytes of it. Larger
// inputs (up to 32767 bytes of text and of pattern) go to the same matcher's
// row method instead: a PositionRow holds, for the leading j pattern
// characters, the set of text lengths i that they match, and each pattern
// character turns the row for j - 1 into the row for j in one pass over the
// text. That too is O(text length x pattern length), in 4 KB, without
// recursion. Both live on the caller's stack; nothing is allocated.
#ifndef KEYMEND_LIB_MATCH_MEMO_H_
#define KEYMEND_LIB_MATCH_MEMO_H_

#include <cstdint>
#include <cstring>

namespace keymend {

class FailureMemo {
 public:
  static constexpr int kMemoBits = 16384;
  static constexpr int kMemoRuns = 128;

  // True when a pattern with `runs` run tokens against a text of `textlen`
  // bytes fits the memo.
  static bool Fits(int runs, int textlen) {
    return runs <= kMemoRuns && runs * (textlen + 1) <= kMemoBits;
  }

  // Forgets every state. REQUIRES: Fits(runs, textlen).
  void Reset(int runs, int textlen) {
    stride_ = textlen + 1;
    const int words = (runs * stride_ + 63) / 64;
    std::memset(words_, 0, sizeof(words_[0]) * words);
  }

  // Notes state (`run`, `n`) and returns whether it was noted before. `run`
  // numbers the run tokens from the left, from 0; `n` is the number of text
  // characters left, 0 to textlen.
  bool Enter(int run, int n) {
    const int bit = run * stride_ + n;
    uint64_t& word = words_[bit >> 6];
    const uint64_t mask = uint64_t{1} << (bit & 63);
    const bool seen = (word & mask) != 0;
    word |= mask;
    return seen;
  }

 private:
  uint64_t words_[kMemoBits / 64];
  int stride_ = 0;
};

// A set of text lengths 0 to 32767.
class PositionRow {
 public:
  static constexpr int kPositions = 32768;

  // The set {0} over lengths 0 to `textlen`.
  void Reset(int textlen) {
    last_ = textlen;
    std::memset(words_, 0, sizeof(words_[0]) * (textlen / 64 + 1));
    words_[0] = 1;
  }

  bool Has(int i) const { return (words_[i >> 6] >> (i & 63)) & 1; }
  void Add(int i) { words_[i >> 6] |= uint64_t{1} << (i & 63); }
  void Remove(int i) { words_[i >> 6] &= ~(uint64_t{1} << (i & 63)); }

  bool Empty() const {
    for (int w = 0; w <= last_ / 64; ++w) {
      if (words_[w] != 0) return false;
    }
    return true;
  }

  // One pattern character that takes exactly one text character: i stays in
  // the set when i - 1 was in it and accepts(i - 1) holds for that text
  // character's index.
  template <typename Accepts>
  void StepOne(Accepts accepts) {
    for (int i = last_; i > 0; --i) {
      if (Has(i - 1) && accepts(i - 1)) {
        Add(i);
      } else {
        Remove(i);
      }
    }
    Remove(0);
  }

  // A run token: i joins the set when i - 1 is in it and the text character
  // at index i - 1 may belong to the run.
  template <typename InRun>
  void StepRun(InRun in_run) {
    for (int i = 1; i <= last_; ++i) {
      if (!Has(i) && Has(i - 1) && in_run(i - 1)) Add(i);
    }
  }

 private:
  uint64_t words_[kPositions / 64];
  int last_ = 0;
};

}  // namespace keymend

#endif  // KEYMEND_LIB_MATCH_MEMO_H_
