// The alternate-key items 100 to 104 of a file label, as the catalog stores
// them: one byte string of 16-bit words, little-endian.
//
//   word 0                N, the number of alternate keys
//   words 1 .. 6N         N descriptors of 6 words: key specifier, key
//                         length, key offset, key-file number, null value,
//                         attributes
//   next word             M, the number of alternate-key files
//   next M words          the byte length of each file name
//   then                  the M names' bytes back to back, no padding
//
// A key specifier is two characters packed in a word: "AK" is 'A' << 8 | 'K'.
// A key's file number indexes the list of files, from 0.
#ifndef KEYMEND_TOOLS_ALT_KEY_LIST_H_
#define KEYMEND_TOOLS_ALT_KEY_LIST_H_

#include <cstdint>
#include <string>
#include <vector>

namespace nsk {

struct AltKey {
  int16_t specifier = 0;
  int16_t length = 0;
  int16_t offset = 0;
  int16_t file_number = 0;
  int16_t null_value = 0;
  int16_t attributes = 0;
};

struct AltKeyList {
  std::vector<AltKey> keys;
  std::vector<std::string> files;
};

std::string EncodeAltKeyList(const AltKeyList& list);

// Reads `bytes`. Returns "" when they hold a whole list and nothing more
// (an empty string is a list with no keys and no files). Otherwise returns
// what is wrong, and *list holds what could be read before the damage.
std::string DecodeAltKeyList(const std::string& bytes, AltKeyList* list);

// Reads SPEC:LEN:OFFSET:FILENO (SPEC two characters, the others numbers
// 0 to 32767). Returns "" or what is wrong; *key is set on success only.
std::string ParseAltKeyOption(const std::string& text, AltKey* key);

// Reads hexadecimal digits, two a byte, any case; blanks are skipped.
// Returns "" or what is wrong; *bytes is set on success only.
std::string ParseHex(const std::string& text, std::string* bytes);

// The specifier word as its two characters, a character that does not
// print shown as '?'.
std::string SpecifierText(int16_t specifier);

}  // namespace nsk

#endif  // KEYMEND_TOOLS_ALT_KEY_LIST_H_
