// Wild-card matching of a text against a pattern.
//
// Text and pattern are byte strings with a length (0 to 32767), without a
// terminator; neither is changed. Letters are the ASCII letters; by default
// a letter of the pattern also matches the same letter in the other case,
// with the case-sensitive flag set they must be equal. Bytes above 0x7F are
// never letters.
//
// STRINGMATCH reads a simple pattern: "*" matches any run of zero or more
// characters, "?" exactly one, every other character itself.
//
// STRINGMATCHX reads an internal pattern, in which six characters are wild
// cards and there is no escape:
//
//   *   zero or more characters of any kind
//   -   zero or more letters
//   +   zero or more digits
//   ?   exactly one character
//   '   exactly one letter, or "'" itself
//   ~   exactly one digit, or "~" itself
//
// or a template (template_translate.h), which it translates into an internal
// pattern first. "AB+" matches "AB", "AB7" and "AB123", not "AB1X"; "X-"
// matches "X" and "XYZ", not "X1".
//
// Results, checked in this order:
//   -1  `text` not passed (nullptr)
//   -2  `pattern` not passed (nullptr)
//   -3  `textlen` negative
//   -4  `patternlen` negative
//   -5, -6, -7  STRINGMATCHX only: the template's translation failed
//           (brace error, more than 1024 bytes, bad group token)
//    2  the text matches the pattern
//    0  no match
// There is no result 1; callers test for 2.
//
// Both are reentrant and allocate nothing. Matching costs at most
// O(textlen x patternlen), whatever the pattern (bounded_match.h).
#ifndef KEYMEND_LIB_STRING_MATCH_H_
#define KEYMEND_LIB_STRING_MATCH_H_

#include <cstdint>
#include <optional>

namespace keymend {

constexpr int16_t kMatch = 2;
constexpr int16_t kNoMatch = 0;

// Matches `text` against the simple pattern `pattern`. A nonzero
// `casesensitive` makes letters match only in their own case.
int16_t STRINGMATCH(const char* text, int16_t textlen, const char* pattern, int16_t patternlen,
                    std::optional<int16_t> casesensitive = {});

// Matches `text` against `pattern`, a template unless `translated` is passed
// and nonzero, in which case it is an internal pattern and "{", "}" are plain
// characters. A template's errors are found before any matching, whatever
// the text.
int16_t STRINGMATCHX(const char* text, int16_t textlen, const char* pattern, int16_t patternlen,
                     std::optional<int16_t> casesensitive = {},
                     std::optional<int16_t> translated = {});

}  // namespace keymend

#endif  // KEYMEND_LIB_STRING_MATCH_H_
