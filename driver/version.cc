#include "driver/version.h"

#include "sys/guardian.h"

namespace keymend {

int16_t NRX_OSVERSION_(char* buffer) {
  const int16_t attributes[2] = {sys::kAttributeOsVersion, sys::kAttributeOsUpdate};
  int16_t values[2] = {0, 0};
  int16_t returned = 0;
  sys::PROCESSOR_GETINFOLIST_(nullptr, std::nullopt, std::nullopt, attributes, 2, values, 2,
                              &returned);
  const uint16_t version = static_cast<uint16_t>(values[0]);
  char* position = buffer;
  *position++ = static_cast<char>((version >> 8) - 10);
  position += sys::DNUMOUT(position, version & 0xFF, 10, 2);
  *position++ = '.';
  position += sys::DNUMOUT(position, values[1], 10, 2);
  return static_cast<int16_t>(position - buffer);
}

void LIBVERSION() {}
void V6034H06_ZIROVA270_19JAN2011() {}
void PERSISTENTSECURITY() {}
void PERSECOWNER_SUPER_SUPER() {}
void PERSECPROGID_OFF() {}
void PERSECCLEARONPURGE_OFF() {}
void PERSECLICENSE_OFF() {}
void PERSECSECURITY_OONO() {}

}  // namespace keymend
