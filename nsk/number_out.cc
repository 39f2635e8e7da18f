#include "nsk/number_out.h"

#include <cstring>

namespace nsk {

int16_t NumberOut(char* buffer, int32_t value, int16_t base, std::optional<int16_t> width,
                  std::optional<int16_t> /*flags*/) {
  if (base < 2 || base > 36) base = 10;
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  // Work on the magnitude as unsigned so that INT32_MIN has one.
  const bool negative = value < 0;
  uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  char digits[33];
  int count = 0;
  do {
    digits[count++] = kDigits[magnitude % static_cast<uint32_t>(base)];
    magnitude /= static_cast<uint32_t>(base);
  } while (magnitude != 0);
  if (negative) digits[count++] = '-';

  if (width && *width > 0) {
    const int w = *width;
    for (int i = 0; i < w; ++i) buffer[w - 1 - i] = i < count ? digits[i] : '0';
    if (negative && count <= w) {
      // Keep the sign in front of the zero fill.
      for (int i = 0; i < w; ++i) buffer[i] = i < w - (count - 1) ? '0' : buffer[i];
      buffer[0] = '-';
    }
    return static_cast<int16_t>(w);
  }
  for (int i = 0; i < count; ++i) buffer[i] = digits[count - 1 - i];
  return static_cast<int16_t>(count);
}

}  // namespace nsk
