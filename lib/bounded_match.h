// What keeps the wild-card matchers polynomial, in fixed storage.
//
// Both matchers answer one question: do the text and the pattern match?
// The plain way, comparing from the right ends and backtracking over run
// tokens (each first takes no character, then one more at a time), can take
// time exponential in the number of run tokens. Its answer depends only on
// the text and the pattern, so any method that gives the same answer will
// do. Three are used, all O(text length x pattern length), none allocating:
//
// 1. Patterns whose only run token is "*" (every simple pattern, and an
//    internal pattern without "-" and "+"): MatchStarSegments. The pieces
//    between the "*" are runs of one-character tokens. The piece before the
//    first "*" must match the start of the text and the piece after the last
//    one its end; each piece in between is placed at the first place from the
//    left where it matches, after the piece before it. Taking the first place
//    never loses a match, since it leaves the most text for the pieces after.
//
// 2. Internal patterns with letter or digit runs, when the memo has room:
//    the backtracking itself, with a FailureMemo. Whether the leading i text
//    characters match the leading j pattern characters depends on (i, j)
//    alone, and the search ends at the first success, so a state reached a
//    second time is known to fail. The matcher notes every run-token state it
//    enters and gives up on a run at the first noted state: every shorter try
//    of that run was made from there already. Each state is entered once.
//    The memo holds one bit per (run token, text position), up to kMemoBits,
//    and at most kMemoRuns run tokens, which bounds the recursion's depth.
//
// 3. Larger inputs of that kind (text and pattern up to 32767 bytes): a
//    PositionRow holds, for the leading j pattern characters, the set of text
//    lengths they match; each pattern character turns the row for j - 1 into
//    the row for j in one pass over the text, 64 lengths at a time. 4 KB,
//    no recursion.
//
// Building with KEYMEND_MATCH_MEMO_BITS=0 sends every pattern of the second
// kind to the row method; the tests use that to hold both methods to the
// same cases.
#ifndef KEYMEND_LIB_BOUNDED_MATCH_H_
#define KEYMEND_LIB_BOUNDED_MATCH_H_

#include <bit>
#include <cstdint>
#include <cstring>

#ifndef KEYMEND_MATCH_MEMO_BITS
#define KEYMEND_MATCH_MEMO_BITS 4096
#endif

namespace keymend {

// Whether `text` matches `pattern`, in which "*" is the only run token and
// every other character takes one text character: same(t, p) tells whether
// text character t matches pattern character p.
template <typename Same>
bool MatchStarSegments(const char* text, int textlen, const char* pattern, int patternlen,
                       Same same) {
  auto piece_matches = [&](const char* t, const char* p, int length) {
    for (int k = 0; k < length; ++k) {
      if (!same(t[k], p[k])) return false;
    }
    return true;
  };

  int first = 0;
  while (first < patternlen && pattern[first] != '*') ++first;
  if (first == patternlen) {
    return textlen == patternlen && piece_matches(text, pattern, patternlen);
  }
  int last = patternlen - 1;
  while (pattern[last] != '*') --last;
  const int tail = patternlen - 1 - last;
  if (first + tail > textlen) return false;
  if (!piece_matches(text, pattern, first)) return false;
  if (!piece_matches(text + textlen - tail, pattern + last + 1, tail)) return false;

  int position = first;            // where the next piece may start
  const int end = textlen - tail;  // where the pieces in between must end
  for (int j = first + 1; j < last;) {
    int k = j;
    while (pattern[k] != '*') ++k;
    const int length = k - j;
    if (length > 0) {
      while (position + length <= end && !piece_matches(text + position, pattern + j, length)) {
        ++position;
      }
      if (position + length > end) return false;
      position += length;
    }
    j = k + 1;
  }
  return true;
}

class FailureMemo {
 public:
  static constexpr int kMemoBits = KEYMEND_MATCH_MEMO_BITS;
  static constexpr int kMemoRuns = 128;

  // True when a pattern with `runs` run tokens against a text of `textlen`
  // bytes fits a memo.
  static bool Fits(int runs, int textlen) {
    return runs <= kMemoRuns && runs * (textlen + 1) <= kMemoBits;
  }

  // A memo with no state noted, for a text of `textlen` bytes.
  explicit FailureMemo(int textlen) : stride_(textlen + 1) {}

  // Notes state (`run`, `n`) and returns whether it was noted before. `run`
  // numbers the run tokens from the left, from 0; `n` is the number of text
  // characters left, 0 to textlen. REQUIRES: Fits(runs, textlen).
  bool Enter(int run, int n) {
    const int bit = run * stride_ + n;
    uint64_t& word = words_[bit >> 6];
    const uint64_t mask = uint64_t{1} << (bit & 63);
    const bool seen = (word & mask) != 0;
    word |= mask;
    return seen;
  }

 private:
  uint64_t words_[kMemoBits >= 64 ? kMemoBits / 64 : 1] = {};
  int stride_;
};

// A set of text lengths 0 to 32767, one bit each, and the steps that turn
// the set matched by the leading j - 1 pattern characters into the set for
// j. Bit i stands for "the leading i text characters".
class PositionRow {
 public:
  static constexpr int kPositions = 32768;

  // The set {0}, over lengths 0 to `textlen`.
  void Reset(int textlen) {
    last_ = textlen;
    words_count_ = textlen / 64 + 1;
    std::memset(words_, 0, sizeof(words_[0]) * words_count_);
    words_[0] = 1;
  }

  // The set of i in 1 to `textlen` for which in_class(i - 1) holds: the
  // lengths whose last text character is of a class.
  template <typename InClass>
  void ResetToClass(int textlen, InClass in_class) {
    last_ = textlen;
    words_count_ = textlen / 64 + 1;
    std::memset(words_, 0, sizeof(words_[0]) * words_count_);
    for (int i = 1; i <= textlen; ++i) {
      if (in_class(i - 1)) words_[i >> 6] |= uint64_t{1} << (i & 63);
    }
  }

  bool Has(int i) const { return (words_[i >> 6] >> (i & 63)) & 1; }

  bool Empty() const {
    for (int w = 0; w < words_count_; ++w) {
      if (words_[w] != 0) return false;
    }
    return true;
  }

  // A pattern character that takes one text character: i is in the new set
  // when i - 1 was in the old one and accepts(i - 1) holds, accepts being
  // asked about the text character's index.
  template <typename Accepts>
  void StepOne(Accepts accepts) {
    for (int w = words_count_ - 1; w >= 0; --w) {
      words_[w] = (words_[w] << 1) | (w > 0 ? words_[w - 1] >> 63 : 0);
    }
    ClearAboveLast();
    for (int w = 0; w < words_count_; ++w) {
      for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
        const int i = w * 64 + std::countr_zero(bits);
        if (!accepts(i - 1)) words_[w] &= ~(uint64_t{1} << (i & 63));
      }
    }
  }

  // The any-run token: every length from the smallest in the set on.
  void StepAnyRun() {
    int w = 0;
    while (w < words_count_ && words_[w] == 0) ++w;
    if (w == words_count_) return;
    const uint64_t lowest = words_[w] & (~words_[w] + 1);
    words_[w] = ~(lowest - 1);
    for (++w; w < words_count_; ++w) words_[w] = ~uint64_t{0};
    ClearAboveLast();
  }

  // A run token of a class: from each length in the set, the run may take
  // every following text character for as long as it is in `members`
  // (made by ResetToClass over the same text).
  //
  // Within a word, adding the seeds to the member bits carries through each
  // run of members that holds a seed; the bits that the carry flips, and the
  // seeds themselves, are the run's reachable part. The carry out of a word
  // continues the run into the next.
  void StepRun(const PositionRow& members) {
    uint64_t carry = 0;
    uint64_t below = 0;  // the old top bit of the word before
    for (int w = 0; w < words_count_; ++w) {
      const uint64_t old = words_[w];
      const uint64_t m = members.words_[w];
      const uint64_t seeds = ((old << 1) | below) & m;
      below = old >> 63;
      const uint64_t sum1 = m + seeds;
      const uint64_t sum2 = sum1 + carry;
      carry = (sum1 < m || sum2 < sum1) ? 1 : 0;
      words_[w] = old | (((sum2 ^ m) | seeds) & m);
    }
  }

 private:
  void ClearAboveLast() {
    const int top = last_ & 63;
    if (top != 63) words_[words_count_ - 1] &= (uint64_t{1} << (top + 1)) - 1;
  }

  uint64_t words_[kPositions / 64];
  int last_ = 0;
  int words_count_ = 1;
};

}  // namespace keymend

#endif  // KEYMEND_LIB_BOUNDED_MATCH_H_
