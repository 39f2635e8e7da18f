// STRINGMATCH: the simple pattern, "*" and "?".

#include "lib/string_match.h"

#include "lib/bounded_match.h"
#include "lib/char_class.h"

namespace keymend {

int16_t STRINGMATCH(const char* text, int16_t textlen, const char* pattern, int16_t patternlen,
                    std::optional<int16_t> casesensitive) {
  if (text == nullptr) return -1;
  if (pattern == nullptr) return -2;
  if (textlen < 0) return -3;
  if (patternlen < 0) return -4;
  const bool either_case = !(casesensitive && *casesensitive != 0);

  // "*" is the only run token, so the pieces between the "*" can be placed
  // from the left, each at its first fit (bounded_match.h).
  auto MATCH = [&]() {
    return MatchStarSegments(text, textlen, pattern, patternlen, [either_case](char t, char p) {
      return p == '?' || t == p || (either_case && OtherCase(t, p));
    });
  };
  return MATCH() ? kMatch : kNoMatch;
}

}  // namespace keymend
