// PARSER works in five steps:
//   1. COUNT is set to 0.
//   2. With quoted_blanks, the quotation marks of `string` are counted, an
//      odd count is made even, and when at least one pair remains the blanks
//      between the marks of each pair are replaced by kBlankMark in place
//      (MARKBLANKSBETWEENQUOTATIONMARKS). An unpaired last mark and what
//      follows it are left alone.
//   3. FORMATPARSESTRING writes the reformatted copy into TEXT.
//   4. PARSE cuts the tokens out of TEXT one after the other; entry 0 starts
//      at TEXT, every later one after its predecessor, and the first empty
//      entry ends the splitting (the entries after it only get LEN 0).
//   5. When step 2 marked, RESTOREBLANKS turns every kBlankMark back into a
//      blank, first in `string`, then in each token.
// Marked blanks are not blanks to PARSE, which is how a quoted blank stays
// inside its token.

#include "lib/parser.h"

#include <cstring>

#include "lib/string_scan.h"

namespace keymend {

void PARSER(char* string, int16_t length, TokenTable* tokentable, const char* separators,
            int16_t separator_count, const char* blanks, int16_t blank_count,
            std::optional<int16_t> quoted_blanks, std::optional<int16_t> plain_quotes,
            int16_t* cut) {
  TokenTable& table = *tokentable;
  int16_t quotation_marks = 0;  // even: the marks that form pairs

  auto MARKBLANKSBETWEENQUOTATIONMARKS = [&quotation_marks](char* text, int16_t textlength) {
    int16_t seen = 0;
    for (int16_t k = 0; k < textlength && seen < quotation_marks; ++k) {
      if (text[k] == '"') {
        ++seen;
      } else if (text[k] == ' ' && seen % 2 == 1) {
        text[k] = static_cast<char>(kBlankMark);
      }
    }
  };

  auto RESTOREBLANKS = [](char* text, int16_t textlength) {
    for (int16_t k = 0; k < textlength; ++k) {
      if (static_cast<unsigned char>(text[k]) == kBlankMark) text[k] = ' ';
    }
  };

  auto CHARACTERKNOWN = [](const char* byte, const char* list, int16_t listlength) -> int16_t {
    for (int16_t k = 0; k < listlength; ++k) {
      if (list[k] == *byte) return -1;
    }
    return 0;
  };

  // Returns false when the copy did not fit and was cut.
  auto FORMATPARSESTRING = [&]() -> bool {
    constexpr int kRoom = kTokenTextSize - 1;  // the last byte is kept for the NUL
    char* out = table.TEXT;
    int position = 0;
    bool in_quotes = false;
    for (int16_t k = 0; k < length; ++k) {
      const char c = string[k];
      if (c == '\0') break;
      if (c == '"' && !plain_quotes) {
        in_quotes = !in_quotes;
        continue;
      }
      char piece[3] = {c, 0, 0};
      int size = 1;
      if (!in_quotes) {
        if (CHARACTERKNOWN(&c, separators, separator_count) != 0) {
          piece[0] = ' ';
          piece[1] = c;
          piece[2] = ' ';
          size = 3;
        } else if (CHARACTERKNOWN(&c, blanks, blank_count) != 0) {
          piece[0] = ' ';
        }
      }
      if (position + size > kRoom) {
        // A piece that starts with a blank begins a new token, so what is
        // written already ends at a boundary; otherwise the token being
        // written would lose its end, and it goes as a whole.
        if (piece[0] != ' ') {
          while (position > 0 && out[position - 1] != ' ') --position;
        }
        out[position] = '\0';
        return false;
      }
      std::memcpy(out + position, piece, size);
      position += size;
    }
    out[position] = '\0';
    return true;
  };

  auto PARSE = [](char* position, int16_t* tokenlength) -> char* {
    *tokenlength = 0;
    int16_t at_end = 0;
    char* start = EXTSCANWHILE(position, ' ', &at_end);
    if (at_end == -1) return start;
    char* after = EXTSCANUNTIL(start, ' ');
    *tokenlength = static_cast<int16_t>(after - start);
    return start;
  };

  table.COUNT = 0;

  bool marked = false;
  if (quoted_blanks) {
    for (int16_t k = 0; k < length; ++k) {
      if (string[k] == '"') ++quotation_marks;
    }
    quotation_marks -= quotation_marks % 2;
    if (quotation_marks >= 2) {
      MARKBLANKSBETWEENQUOTATIONMARKS(string, length);
      marked = true;
    }
  }

  const bool fitted = FORMATPARSESTRING();
  if (cut != nullptr) *cut = fitted ? 0 : -1;

  TokenEntry* token = table.TOKEN;
  token[0].PTR = PARSE(table.TEXT, &token[0].LEN);
  if (token[0].LEN > 0) ++table.COUNT;
  for (int k = 1; k < kTokenEntries; ++k) {
    if (token[k - 1].LEN == 0) {
      token[k].LEN = 0;
    } else {
      token[k].PTR = PARSE(token[k - 1].PTR + token[k - 1].LEN, &token[k].LEN);
    }
    if (token[k].LEN > 0) ++table.COUNT;
  }

  if (marked) {
    RESTOREBLANKS(string, length);
    for (int k = 0; k < kTokenEntries && token[k].LEN != 0; ++k) {
      RESTOREBLANKS(token[k].PTR, token[k].LEN);
    }
  }
}

}  // namespace keymend
