#include "lib/token_shift.h"

namespace keymend {

// Removing `count` entries by `count` single-step passes, each copying entry
// k + 1 onto k and clearing the top slot, ends in the same table as one move
// by `count`: entry k takes entry k + count while that lies within the
// capacity, and every slot above is vacated with the PTR of the top slot. The
// move is done in one step so that a large count costs no more than the
// table's size.
void DOWNSHIFTPOINTERS(TokenTable* table, int16_t capacity, int16_t count,
                       std::optional<int16_t> first) {
  const int top = capacity > kTokenEntries ? kTokenEntries : capacity;  // one past the last slot
  int from = first.value_or(0);
  if (from < 0) from = 0;

  if (count > 0 && from < top) {
    TokenEntry* entry = table->TOKEN;
    for (int k = from; k < top; ++k) {
      const int source = k + count;
      if (source < top) {
        entry[k] = entry[source];
      } else {
        entry[k].PTR = entry[top - 1].PTR;
        entry[k].LEN = 0;
      }
    }
  }

  table->COUNT = 0;
  for (int k = 0; k < kTokenEntries && table->TOKEN[k].LEN != 0; ++k) ++table->COUNT;
}

}  // namespace keymend
