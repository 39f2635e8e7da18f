// What a process can write to: one open file of the file table.
#ifndef KEYMEND_NSK_OUT_FILE_H_
#define KEYMEND_NSK_OUT_FILE_H_

#include <cstdint>

namespace nsk {

class OutFile {
 public:
  virtual ~OutFile() = default;

  // Writes `count` bytes as one record. Returns 0, or the Guardian error
  // that stopped it (a BREAK taken before anything was written: 111).
  // REQUIRES: count >= 0; data readable for `count` bytes.
  virtual int16_t WriteRecord(const char* data, int count) = 0;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_OUT_FILE_H_
