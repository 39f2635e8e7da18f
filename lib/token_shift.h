// Removing entries from a token table.
#ifndef KEYMEND_LIB_TOKEN_SHIFT_H_
#define KEYMEND_LIB_TOKEN_SHIFT_H_

#include <cstdint>
#include <optional>

#include "lib/token_table.h"

namespace keymend {

// Removes `count` entries from `table`, starting at index `first` (0 when
// absent), by moving every later entry among the first `capacity` entries
// down by `count`; then sets COUNT to the number of leading entries in use,
// looking at all 50 entries whatever `capacity` says.
//
// The entry that was at index first + count + k ends at index first + k.
// Each of the top `count` slots below `capacity` is vacated: it gets LEN 0
// and keeps the PTR it last held, which is not to be used. Clearing the
// vacated slot matters only for a table full up to `capacity`; a table with
// fewer tokens already has LEN 0 there. Entries at `capacity` and above are
// not touched.
//
// `count` 0 or less removes nothing and only recounts; a `first` at or above
// `capacity` likewise. A `capacity` above 50 is read as 50, and a negative
// `first` as 0, so that nothing outside the table is written.
// REQUIRES: `table` is not nullptr.
void DOWNSHIFTPOINTERS(TokenTable* table, int16_t capacity, int16_t count,
                       std::optional<int16_t> first = {});

}  // namespace keymend

#endif  // KEYMEND_LIB_TOKEN_SHIFT_H_
