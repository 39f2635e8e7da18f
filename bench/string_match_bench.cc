// STRINGMATCH and STRINGMATCHX against glibc fnmatch (case folded, no
// escapes) and against plain backtracking without a memo, on two sets of
// (text, pattern) pairs that all four can read: file names with the
// templates people type, and patterns that make backtracking explode. A
// third set, with letter and digit runs, compares STRINGMATCHX with plain
// backtracking alone, since fnmatch has no such runs.
//
// Each iteration matches every pair of its set once; items_per_second counts
// calls, and the time divided by the "pairs" counter is the time per call.
//
//   string_match_bench --benchmark_min_time=0.05

#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <string>
#include <vector>

#include "lib/string_match.h"

namespace {

struct Pair {
  std::string text;
  std::string pattern;
};

const std::vector<Pair>& Typical() {
  static const std::vector<Pair> pairs = {
      {"$DATA1.SUB12.FILEA", "$DATA*.SUB*.FILE*"},
      {"$DATA1.SUBX.FILEA", "$DATA?.SUB??.FILE*"},
      {"$SYSTEM.SYSTEM.OSIMAGE", "$SYSTEM.SYS*.*"},
      {"$DATA.USER.ORDERS", "*.ORD*"},
      {"$DATA.USER.ORDERS", "*.ord*"},
      {"$DATA.SALES.CUSTALT", "$DATA.SALES.CUST"},
      {"$DATA.SALES.CUST", "$data.sales.cust"},
      {"$DATA2.ARCHIVE.F2011022", "$DATA?.ARCHIVE.F2011*"},
      {"$DATA.USER.A", "*"},
      {"$DATA.USER.TEMPFILE", "*.TEMP?"},
      {"LISTONLY", "listonly"},
      {"$VOL.SUBVOL.FILE1", "$VOL.*.FILE?"},
  };
  return pairs;
}

const std::vector<Pair>& Adversarial() {
  static const std::vector<Pair> pairs = {
      {std::string(35, 'A'), "*A*A*A*A*A*A*A*A*B"},
      {std::string(35, 'A'), "B*A*A*A*A*A*A*A*A*"},
      {std::string(35, 'A'), "*A*A*A*A*A*B*A*A*A*"},
  };
  return pairs;
}

const std::vector<Pair>& ClassRuns() {
  static const std::vector<Pair> pairs = {
      {std::string(35, 'A'), "'-A-A-A-A-A-A-A-A-"},
      {std::string(35, 'A') + "1", "~-A-A-A-A-A-A-A-A-+"},
      {"ABC123DEF456GHI789JKL012MNO345", "-+-+-+-+-+-+-+-+-+-+~"},
  };
  return pairs;
}

// The matching of the library's simple patterns as plain backtracking:
// compare from the right ends, a "*" takes the fewest characters first.
// `extended` adds the runs "-" (letters) and "+" (digits) and the one-
// character tokens "'" and "~" of the internal pattern.
class Naive {
 public:
  Naive(const std::string& text, const std::string& pattern, bool extended)
      : t_(text), p_(pattern), extended_(extended) {}
  bool Matches() const { return MATCH(t_.size(), p_.size()) == 0; }

 private:
  static bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
  static bool Digit(char c) { return c >= '0' && c <= '9'; }

  size_t MATCH(size_t i, size_t j) const {
    for (;;) {
      if (j == 0) return i;
      const char p = p_[j - 1];
      if (p == '*' || (extended_ && (p == '-' || p == '+'))) {
        size_t last = 0;
        for (size_t n = i;; --n) {
          last = MATCH(n, j - 1);
          if (last == 0 || n == 0) return last;
          if (p == '-' && !Letter(t_[n - 1])) return last;
          if (p == '+' && !Digit(t_[n - 1])) return last;
        }
      }
      if (i == 0) return j;
      const char t = t_[i - 1];
      const bool same = p == '?' || t == p || (Letter(t) && Letter(p) && (t ^ p) == 0x20) ||
                        (extended_ && ((p == '\'' && Letter(t)) || (p == '~' && Digit(t))));
      if (!same) return j;
      --i;
      --j;
    }
  }

  const std::string& t_;
  const std::string& p_;
  bool extended_;
};

enum class Matcher { kStringMatch, kStringMatchX, kFnmatch, kNaive, kNaiveX };

template <Matcher kind>
void Run(benchmark::State& state, const std::vector<Pair>& pairs) {
  int matches = 0;
  for (auto _ : state) {
    for (const Pair& pair : pairs) {
      const char* text = pair.text.c_str();
      const char* pattern = pair.pattern.c_str();
      const int16_t textlen = static_cast<int16_t>(pair.text.size());
      const int16_t patternlen = static_cast<int16_t>(pair.pattern.size());
      bool match = false;
      switch (kind) {
        case Matcher::kStringMatch:
          match = keymend::STRINGMATCH(text, textlen, pattern, patternlen) == 2;
          break;
        case Matcher::kStringMatchX:
          match = keymend::STRINGMATCHX(text, textlen, pattern, patternlen, {}, -1) == 2;
          break;
        case Matcher::kFnmatch:
          match = fnmatch(pattern, text, FNM_CASEFOLD | FNM_NOESCAPE) == 0;
          break;
        case Matcher::kNaive:
          match = Naive(pair.text, pair.pattern, false).Matches();
          break;
        case Matcher::kNaiveX:
          match = Naive(pair.text, pair.pattern, true).Matches();
          break;
      }
      matches += match;
      benchmark::DoNotOptimize(matches);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pairs.size()));
  state.counters["pairs"] = static_cast<double>(pairs.size());
}

void BM_Typical_STRINGMATCH(benchmark::State& s) { Run<Matcher::kStringMatch>(s, Typical()); }
void BM_Typical_STRINGMATCHX(benchmark::State& s) { Run<Matcher::kStringMatchX>(s, Typical()); }
void BM_Typical_fnmatch(benchmark::State& s) { Run<Matcher::kFnmatch>(s, Typical()); }
void BM_Typical_naive(benchmark::State& s) { Run<Matcher::kNaive>(s, Typical()); }

void BM_Adversarial_STRINGMATCH(benchmark::State& s) {
  Run<Matcher::kStringMatch>(s, Adversarial());
}
void BM_Adversarial_STRINGMATCHX(benchmark::State& s) {
  Run<Matcher::kStringMatchX>(s, Adversarial());
}
void BM_Adversarial_fnmatch(benchmark::State& s) { Run<Matcher::kFnmatch>(s, Adversarial()); }
void BM_Adversarial_naive(benchmark::State& s) { Run<Matcher::kNaive>(s, Adversarial()); }

void BM_ClassRuns_STRINGMATCHX(benchmark::State& s) { Run<Matcher::kStringMatchX>(s, ClassRuns()); }
void BM_ClassRuns_naive(benchmark::State& s) { Run<Matcher::kNaiveX>(s, ClassRuns()); }

BENCHMARK(BM_Typical_STRINGMATCH);
BENCHMARK(BM_Typical_STRINGMATCHX);
BENCHMARK(BM_Typical_fnmatch);
BENCHMARK(BM_Typical_naive);
BENCHMARK(BM_Adversarial_STRINGMATCH);
BENCHMARK(BM_Adversarial_STRINGMATCHX);
BENCHMARK(BM_Adversarial_fnmatch);
BENCHMARK(BM_Adversarial_naive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassRuns_STRINGMATCHX);
BENCHMARK(BM_ClassRuns_naive)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
