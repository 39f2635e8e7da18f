// The token table: what PARSER makes of a parameter text.
//
// Layout, fields in order:
//   COUNT   number of non-empty entries, 0 to 50.
//   TEXT    a reformatted copy of the parsed text, ended by a NUL; every
//           token lies in it. 1024 bytes including the NUL.
//   TOKEN   50 entries {PTR, LEN} in the order of the text. PTR is the
//           address of the token's first byte in TEXT of the same record;
//           LEN 0 means no token.
//
// After PARSER the non-empty entries come first, without gaps. The first
// empty entry (when COUNT is below 50) points at the NUL that ends TEXT; the
// PTR of the entries after it is not written and must not be used. A table
// holds pointers into itself, so copying one by value leaves the copy's
// pointers in the original.
#ifndef KEYMEND_LIB_TOKEN_TABLE_H_
#define KEYMEND_LIB_TOKEN_TABLE_H_

#include <cstdint>

namespace keymend {

constexpr int16_t kTokenTextSize = 1024;  // bytes of TEXT, its NUL included
constexpr int16_t kTokenEntries = 50;

struct TokenEntry {
  char* PTR;
  int16_t LEN;
};

struct TokenTable {
  int16_t COUNT;
  char TEXT[kTokenTextSize];
  TokenEntry TOKEN[kTokenEntries];
};

}  // namespace keymend

#endif  // KEYMEND_LIB_TOKEN_TABLE_H_
