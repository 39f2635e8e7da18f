// DNUMOUT: a 32-bit number in a given base, written into a caller's buffer.
#ifndef KEYMEND_NSK_NUMBER_OUT_H_
#define KEYMEND_NSK_NUMBER_OUT_H_

#include <cstdint>
#include <optional>

namespace nsk {

// Writes `value` in `base` (2 to 36; anything else is taken as 10) at
// `buffer` and returns the number of characters written. A negative value
// gets a leading "-". With `width`, the digits are right-justified in exactly
// that many characters and zero-filled on the left; a number that needs more
// keeps only its low-order digits, as the procedure on Guardian does.
// `flags` is accepted and ignored. REQUIRES: room for 33 characters, or for
// `width` characters when it is given.
int16_t NumberOut(char* buffer, int32_t value, int16_t base, std::optional<int16_t> width,
                  std::optional<int16_t> flags);

}  // namespace nsk

#endif  // KEYMEND_NSK_NUMBER_OUT_H_
