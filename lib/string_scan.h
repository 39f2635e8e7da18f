// Scans of NUL-terminated byte strings, and the length of a text without its
// trailing blanks.
//
// The parser cuts blank-separated tokens out of its reformatted text with the
// two scans; both return addresses so that the parser can store them as
// token pointers directly.
#ifndef KEYMEND_LIB_STRING_SCAN_H_
#define KEYMEND_LIB_STRING_SCAN_H_

#include <cstdint>

namespace keymend {

// Returns the address of the first byte from `start` on that equals the low
// eight bits of `character`, or of the terminating NUL when none comes
// before it. When `endflag` is passed it receives 0 if the scan stopped at a
// matching byte and -1 if it reached the NUL. The NUL is tested first, so a
// scan for the character 0 always ends at the terminator with -1.
// REQUIRES: the string at `start` is ended by a NUL.
char* EXTSCANUNTIL(char* start, int16_t character, int16_t* endflag = nullptr);

// As EXTSCANUNTIL, but stops at the first byte that differs from the
// character; equal bytes are passed over.
// REQUIRES: the string at `start` is ended by a NUL.
char* EXTSCANWHILE(char* start, int16_t character, int16_t* endflag = nullptr);

// Returns the length of the first `length` bytes of `string` without their
// trailing blanks (only 0x20 counts as a blank). Returns 0 when all are
// blanks or `length` is 0 or less.
// REQUIRES: `length` bytes are readable at `string`.
int16_t REALLEN(const char* string, int16_t length);

}  // namespace keymend

#endif  // KEYMEND_LIB_STRING_SCAN_H_
