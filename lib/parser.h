// The parameter parser: splits a text into the tokens of a TokenTable.
//
// Tokens are separated by blanks. Each separator character named by the
// caller becomes a token of its own, characters named by the caller are read
// as blanks, and quotation marks group text: what stands between two marks
// is copied as it is, separators and blank characters included, and the
// marks themselves are dropped. An unpaired mark puts the rest of the text in
// quotes. Case is never changed.
//
// With the comma as the only separator and no other options:
//
//   $DATA.SUB.*,$VOL.SV   ->  [$DATA.SUB.*] [,] [$VOL.SV]
//   a,,b                  ->  [a] [,] [,] [b]
//   a b LISTONLY          ->  [a] [b] [LISTONLY]
//   "a,b"                 ->  [a,b]
//   a"b,c                 ->  [ab,c]
#ifndef KEYMEND_LIB_PARSER_H_
#define KEYMEND_LIB_PARSER_H_

#include <cstdint>
#include <optional>

#include "lib/token_table.h"

namespace keymend {

// The byte that stands in for a blank between two paired quotation marks
// while the text is split.
constexpr unsigned char kBlankMark = 255;

// Fills `tokentable` from the first `length` bytes of `string`; a NUL among
// them ends the text. Parsing works on a reformatted copy in TEXT, in which
// every separator is written as blank, separator, blank, every character of
// `blanks` as a blank, and quotation marks are left out; the tokens are the
// blank-separated pieces of that copy, at most 50 (later ones are dropped
// without notice).
//
// `separators` and `blanks` are lists of `separator_count` and `blank_count`
// bytes; a count of 0 or less means an empty list. A byte in both lists is a
// separator. Only the presence of the two options counts, never their value:
//   quoted_blanks  blanks between paired quotation marks do not split tokens.
//                  While the text is split they are marked in `string` with
//                  kBlankMark; afterwards every kBlankMark in `string` and in
//                  the tokens is a blank, including one that was there before.
//   plain_quotes   quotation marks are ordinary characters.
//
// TEXT holds 1024 bytes including its NUL, and a separator takes three, so
// a long text can need more room than TEXT has. The copy then ends at the
// last token boundary that fits: no token is a fragment, nothing is written
// outside TEXT, and what did not fit is dropped. `cut`, when passed, receives
// -1 when that happened and 0 otherwise.
//
// REQUIRES: `string` has `length` readable bytes; `tokentable` is not
// nullptr; each list has its count of readable bytes.
void PARSER(char* string, int16_t length, TokenTable* tokentable, const char* separators,
            int16_t separator_count, const char* blanks, int16_t blank_count,
            std::optional<int16_t> quoted_blanks = {}, std::optional<int16_t> plain_quotes = {},
            int16_t* cut = nullptr);

}  // namespace keymend

#endif  // KEYMEND_LIB_PARSER_H_
