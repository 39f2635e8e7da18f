// ADJUSTALTERNATEKEYFILES: give every alternate-key file name recorded in one
// head file's label a new location.
//
// The label items 100 to 104, read and written as one list of 16-bit words:
//     word 0                 N, the number of alternate keys
//     words 1 .. 6N          N key descriptors of 6 words, carried unchanged
//     word 6N+1              M, the number of alternate-key files
//     words 6N+2 .. 6N+1+M   the byte length of each alternate-key file name
//     then                   the M names, back to back, no padding
// Its length in bytes is 2 + 12N + 2 + 2M + the sum of the name lengths.
//
// Each recorded name keeps its file id and gets the new location as its
// system, volume and subvolume: `location` (its first 36 bytes) when given
// with a length above 0, else the head file's own. The label is written back
// with one FILE_ALTERLIST_ of all five items, and only when the rebuilt list
// differs from the list read, byte for byte.
//
// Result: 0, or the error number of the procedure that failed. Status:
//   -1  not a head file (FILE_GETINFOBYNAME_ failed, file type 0 or less, or
//       no alternate keys)
//    0  examined and left unchanged
//    1  written back with FILE_ALTERLIST_
//    2  would be written back; only with `listonly`, which never writes
// Status is written only when `status` is passed, and not at all when the
// head file's own location cannot be taken from its name.
//
// A label whose counts or lengths do not fit (more than 256 names, a name
// longer than 36 bytes, a negative count, counts or lengths beyond the list
// read, bytes left over after the last name) is refused: nothing is
// written, status 0, result kErrorDamagedLabel.
//
// `changes`, when passed, receives the names that differ in the rebuilt list
// (old and new), whether or not the label is then written.
#ifndef KEYMEND_ADJUST_ALTERNATE_KEYS_H_
#define KEYMEND_ADJUST_ALTERNATE_KEYS_H_

#include <cstdint>
#include <optional>

namespace keymend {

// "The disk file is bad": the alternate-key items of the label cannot be
// taken apart.
constexpr int16_t kErrorDamagedLabel = 59;

constexpr int kMaxAltFiles = 256;

struct AltFileNameChange {
  int16_t oldlen;
  char oldname[36];
  int16_t newlen;
  char newname[36];
};

struct AltFileNameChanges {
  int16_t count;
  AltFileNameChange change[kMaxAltFiles];
};

int16_t ADJUSTALTERNATEKEYFILES(const char* filename, int16_t filenamelen,
                                const char* location = nullptr, int16_t locationlen = 0,
                                int16_t* status = nullptr,
                                std::optional<int16_t> listonly = std::nullopt,
                                AltFileNameChanges* changes = nullptr);

}  // namespace keymend

#endif  // KEYMEND_ADJUST_ALTERNATE_KEYS_H_
