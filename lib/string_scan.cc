#include "lib/string_scan.h"

namespace keymend {

namespace {

inline unsigned char Low8(int16_t character) {
  return static_cast<unsigned char>(character & 0xFF);
}

}  // namespace

char* EXTSCANUNTIL(char* start, int16_t character, int16_t* endflag) {
  const unsigned char wanted = Low8(character);
  if (endflag != nullptr) *endflag = 0;
  char* p = start;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0) {
      if (endflag != nullptr) *endflag = -1;
      return p;
    }
    if (c == wanted) return p;
  }
}

char* EXTSCANWHILE(char* start, int16_t character, int16_t* endflag) {
  const unsigned char skipped = Low8(character);
  if (endflag != nullptr) *endflag = 0;
  char* p = start;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0) {
      if (endflag != nullptr) *endflag = -1;
      return p;
    }
    if (c != skipped) return p;
  }
}

int16_t REALLEN(const char* string, int16_t length) {
  for (int16_t k = length; k > 0; --k) {
    if (string[k - 1] != ' ') return k;
  }
  return 0;
}

}  // namespace keymend
