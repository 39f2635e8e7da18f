// The home terminal $TERM.#HOME: a host file descriptor, normally standard
// output. Each record is written as its bytes followed by "\n".
//
// Host behaviour and what becomes of it:
//   short write      the rest is written, until the whole line is out
//   EINTR            tried again; but when nothing of the line is out yet
//                    and a BREAK is pending, the BREAK is taken instead
//                    and the record fails with 111
//   EAGAIN           (a non-blocking descriptor) wait until writable, then
//                    go on
//   anything else    the Guardian error of ErrorFromErrno (ENOSPC: 45,
//                    EPIPE: 201); what was written stays written
#ifndef KEYMEND_NSK_TERMINAL_H_
#define KEYMEND_NSK_TERMINAL_H_

#include <sys/types.h>

#include <cstddef>

#include "nsk/out_file.h"

namespace nsk {

// The host's write(2), replaceable so that tests can make writes short or
// fail with a chosen errno.
using HostWrite = ssize_t (*)(int fd, const void* data, size_t size);

class Terminal : public OutFile {
 public:
  explicit Terminal(int fd, HostWrite host_write = nullptr);

  int16_t WriteRecord(const char* data, int count) override;

 private:
  int fd_;
  HostWrite write_;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_TERMINAL_H_
