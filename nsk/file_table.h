// The open files of the process and the file-system procedures that work
// on file numbers: WRITE, FILEINFO and FILEERROR.
//
// File numbers are given out from 1 upwards in the order of the opens and
// never reused (the program never closes a file). -1 stands for "the last
// open that failed", as FILEINFO on Guardian takes it.
//
// Every WRITE first looks for a pending BREAK: if there is one, it is taken
// and the WRITE fails with 111 without touching the file.
//
// FILEERROR answers "retry" (1) only when the file's last error is one that
// a retry can cure (nsk::IsRetryable), and at most kMaxRetries times in a
// row for one file; a successful WRITE starts the count again. So a program
// that loops on FILEERROR always comes to an end.
#ifndef KEYMEND_NSK_FILE_TABLE_H_
#define KEYMEND_NSK_FILE_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>

#include "nsk/out_file.h"
#include "sys/guardian.h"

namespace nsk {

constexpr int kMaxOpenFiles = 32;
constexpr int kMaxRetries = 10;

class FileTable {
 public:
  // Adds an opened file and returns its number; -1 when kMaxOpenFiles are
  // open already, with error 34 kept for FILEINFO(-1).
  // REQUIRES: file != nullptr.
  int16_t Add(std::unique_ptr<OutFile> file);

  // Keeps `error` as the error of the last failed open.
  void SetOpenError(int16_t error) { open_error_ = error; }

  // WRITE. *count_written (when passed) gets the bytes written, 0 on
  // failure. kLess on failure, the error kept for FILEINFO; 16 for a file
  // number that is not open, 21 for a negative count, 22 for a missing
  // buffer.
  sys::CC Write(int16_t filenum, const char* buffer, int16_t write_count, int16_t* count_written);

  // FILEINFO: the last error of `filenum` (0 after a success) in *error,
  // kEqual. A file number that is not open: 16 and kLess.
  sys::CC Info(int16_t filenum, int16_t* error) const;

  // FILEERROR: 1 to retry, 0 to give up.
  int16_t Error(int16_t filenum);

 private:
  struct Entry {
    std::unique_ptr<OutFile> file;
    int16_t last_error = 0;
    int retries = 0;  // FILEERROR "retry" answers since the last success
  };

  std::map<int16_t, Entry> files_;
  int16_t next_number_ = 1;
  int16_t open_error_ = 0;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_FILE_TABLE_H_
