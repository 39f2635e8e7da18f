// File-name templates and the two patterns made from them.
//
// A template is an internal pattern (see string_match.h) that may also hold
// brace groups. A group runs from "{" to "}"; groups do not nest. Outside a
// group every character keeps its meaning; inside one only these tokens may
// stand:
//
//   in a group        internal pattern   system pattern
//   ?                 ?                  ?          exactly one character
//   a A               '                  ?          exactly one letter
//   n N               ~                  ?          exactly one digit
//   * ..*             *                  *          zero or more characters
//   ..a ..A           -                  *          zero or more letters
//   ..n ..N           +                  *          zero or more digits
//
// So "AB{nn}" is "AB~~", "{a..n}" is "'+" and "{..*}.X" is "*.X". A
// three-character token counts only where all three characters lie within
// the template; outside a group "..*" is two dots and the any-run token.
//
// The internal pattern keeps the letter and digit places; STRINGMATCHX
// matches it. In it a run token that follows the same run token is dropped
// ("**" and "*{..*}" give "*", "*-" stays). The test looks only at the last
// character written, whatever produced it.
//
// The system pattern is the coarser form for the system's file-name search,
// which knows only "*" and "?": every letter or digit place becomes "?",
// every run of run tokens of whatever kinds one "*". Outside a group "-" and
// "+" become "*" too; "'" and "~" go through unchanged. A system pattern must
// also have the shape of a file name (CheckSystemPattern).
//
//   template                    system pattern       internal pattern
//   $DATA*.SUB{..n}.FILE{..*}   $DATA*.SUB*.FILE*    $DATA*.SUB+.FILE*
//   X{an}{..a}                  X??*                 X'~-
//   A**--+B                     A*B                  A*-+B
//
// Both translations read the template once from left to right; the first
// error met ends them, except a group left open, which is found at the end.
#ifndef KEYMEND_LIB_TEMPLATE_TRANSLATE_H_
#define KEYMEND_LIB_TEMPLATE_TRANSLATE_H_

#include <cstdint>

namespace keymend {

// Results of the translations and the check.
constexpr int16_t kBraceError = -5;      // "{" inside a group, "}" outside, or a group left open
constexpr int16_t kPatternTooLong = -6;  // the pattern would not fit its buffer
constexpr int16_t kBadGroupToken = -7;   // a character in a group that begins no token
constexpr int16_t kBadNameShape = -8;    // a system pattern that cannot be a file name

// Translates the first `length` bytes of `text` (none when `length` is 0 or
// less) into an internal pattern in `out`, which has room for `capacity`
// bytes. Returns 0 and stores the pattern's length in *outlen, or returns
// kBraceError, kPatternTooLong or kBadGroupToken; then *outlen is not
// written and `out` holds the part translated before the error. Nothing is
// ever written at or beyond out[capacity].
int16_t TranslateToInternal(const char* text, int16_t length, char* out, int16_t capacity,
                            int16_t* outlen);

// As TranslateToInternal, into a system pattern.
int16_t TranslateToSystem(const char* text, int16_t length, char* out, int16_t capacity,
                          int16_t* outlen);

// Returns kBadNameShape when `pattern` has more than three "." (four name
// parts) or a part with more than 8 counted characters (every character but
// "*" counts), else 0.
int16_t CheckSystemPattern(const char* pattern, int16_t length);

}  // namespace keymend

#endif  // KEYMEND_LIB_TEMPLATE_TRANSLATE_H_
