// STRINGMATCH and STRINGMATCHX on any text and pattern, with any flags. The
// answer is always one of the documented results, and for inputs small
// enough it is the answer of the plain backtracking the matchers stand in
// for: compare from the right ends, each run token taking no character
// first and then one more at a time.
#include <string>

#include "lib/string_match.h"
#include "lib/template_translate.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

namespace {

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

bool Same(char t, char p, bool either_case) {
  return t == p || (either_case && Letter(t) && Letter(p) && (t ^ p) == 0x20);
}

// The backtracking of STRINGMATCH (extended = false) and STRINGMATCHX.
bool Match(const std::string& text, const std::string& pattern, int i, int j, bool either_case,
           bool extended) {
  while (j > 0) {
    const char p = pattern[j - 1];
    const bool run = p == '*' || (extended && (p == '-' || p == '+'));
    if (run) {
      for (int n = i; n >= 0; --n) {
        if (Match(text, pattern, n, j - 1, either_case, extended)) return true;
        if (n == 0) break;
        const char next = text[n - 1];
        if (p == '-' && !Letter(next)) break;
        if (p == '+' && !Digit(next)) break;
      }
      return false;
    }
    if (i == 0) return false;
    const char t = text[i - 1];
    bool ok = p == '?' || Same(t, p, either_case);
    if (extended && p == '\'' && Letter(t)) ok = true;
    if (extended && p == '~' && Digit(t)) ok = true;
    if (!ok) return false;
    --i;
    --j;
  }
  return i == 0;
}

int RunTokens(const std::string& pattern) {
  int runs = 0;
  for (char c : pattern) runs += c == '*' || c == '-' || c == '+';
  return runs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.Byte();
  const std::string text = in.Bytes(3000);
  const std::string pattern = in.Rest().substr(0, 3000);
  const auto tl = static_cast<int16_t>(text.size());
  const auto pl = static_cast<int16_t>(pattern.size());
  const std::optional<int16_t> casesensitive =
      flags & 1 ? std::optional<int16_t>(flags & 2 ? 1 : 0) : std::nullopt;
  const bool either_case = !casesensitive || *casesensitive == 0;

  const int16_t simple = keymend::STRINGMATCH(text.data(), tl, pattern.data(), pl, casesensitive);
  FUZZ_CHECK(simple == keymend::kMatch || simple == keymend::kNoMatch);

  const bool translated = flags & 4;
  const int16_t extended =
      keymend::STRINGMATCHX(text.data(), tl, pattern.data(), pl, casesensitive,
                            translated ? std::optional<int16_t>(-1)
                                       : (flags & 8 ? std::optional<int16_t>(0) : std::nullopt));
  FUZZ_CHECK(
      extended == keymend::kMatch || extended == keymend::kNoMatch ||
      (!translated && (extended == keymend::kBraceError || extended == keymend::kPatternTooLong ||
                       extended == keymend::kBadGroupToken)));

  // The checks of the parameters come first, in their order.
  FUZZ_CHECK(keymend::STRINGMATCHX(nullptr, -1, nullptr, -1) == -1);
  FUZZ_CHECK(keymend::STRINGMATCHX(text.data(), -1, pattern.data(), -1) == -3);
  FUZZ_CHECK(keymend::STRINGMATCH(text.data(), tl, nullptr, pl) == -2);

  // Against the plain backtracking, where it finishes in good time.
  if (text.size() <= 24 && RunTokens(pattern) <= 4) {
    FUZZ_CHECK((simple == keymend::kMatch) ==
               Match(text, pattern, tl, pl, either_case, /*extended=*/false));
    std::string internal = pattern;
    bool comparable = true;
    if (!translated) {
      char buffer[1024];
      int16_t length = 0;
      if (keymend::TranslateToInternal(pattern.data(), pl, buffer, sizeof buffer, &length) != 0) {
        comparable = false;
      } else {
        internal.assign(buffer, static_cast<size_t>(length));
      }
    }
    if (comparable && RunTokens(internal) <= 4) {
      FUZZ_CHECK((extended == keymend::kMatch) ==
                 Match(text, internal, tl, static_cast<int16_t>(internal.size()), either_case,
                       /*extended=*/true));
    }
  }
  return 0;
}
