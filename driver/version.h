// Version identification and the library's version procedures.
//
// The program is KEYMEND version 201 of product V6034H06, dated 28 February
// 2011; its utility library is ZIROVA version 270, dated 19 January 2011. Both
// carry that identification in the names of an entry point.
//
// NRX_OSVERSION_ writes the operating-system version as text, for example
// "H06.29": the series letter, the release in two digits, a point and the
// update number in two digits.
#ifndef KEYMEND_DRIVER_VERSION_H_
#define KEYMEND_DRIVER_VERSION_H_

#include <cstdint>

namespace keymend {

// Writes the OS version text at `buffer` and returns its length in bytes
// (6 for two-digit numbers). REQUIRES: room for at least 14 bytes.
int16_t NRX_OSVERSION_(char* buffer);

// The library's version procedure: does nothing. The program calls it first.
void LIBVERSION();

// The library's version entry point; does nothing and is never called.
void V6034H06_ZIROVA270_19JAN2011();

// Named procedures of the program that do nothing and are never called.
void PERSISTENTSECURITY();
void PERSECOWNER_SUPER_SUPER();
void PERSECPROGID_OFF();
void PERSECCLEARONPURGE_OFF();
void PERSECLICENSE_OFF();
void PERSECSECURITY_OONO();

}  // namespace keymend

#endif  // KEYMEND_DRIVER_VERSION_H_
