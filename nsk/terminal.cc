#include "nsk/terminal.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <string>

#include "nsk/break_key.h"
#include "nsk/host_errors.h"

namespace nsk {
namespace {

ssize_t RealWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

// A write(2) that reports no progress and no error would make the loop spin;
// after this many in a row the terminal is taken to be broken.
constexpr int kMaxZeroWrites = 16;

}  // namespace

Terminal::Terminal(int fd, HostWrite host_write)
    : fd_(fd), write_(host_write != nullptr ? host_write : &RealWrite) {}

int16_t Terminal::WriteRecord(const char* data, int count) {
  // One buffer, so that the line and its newline normally leave in one call
  // and reach a pipe reader whole.
  std::string line(data, static_cast<size_t>(count));
  line += '\n';
  size_t done = 0;
  int zero_writes = 0;
  while (done < line.size()) {
    const ssize_t n = write_(fd_, line.data() + done, line.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      zero_writes = 0;
      continue;
    }
    if (n == 0) {
      if (++zero_writes >= kMaxZeroWrites) return err::kDiskIo;
      continue;
    }
    const int error = errno;
    if (error == EINTR) {
      if (done == 0 && TakeBreak()) return err::kBreak;
      continue;
    }
    if (error == EAGAIN || error == EWOULDBLOCK) {
      pollfd writable = {fd_, POLLOUT, 0};
      if (poll(&writable, 1, -1) < 0 && errno == EINTR && done == 0 && TakeBreak()) {
        return err::kBreak;
      }
      continue;
    }
    const int16_t guardian = ErrorFromErrno(error);
    return guardian != err::kNone ? guardian : err::kDiskIo;
  }
  return err::kNone;
}

}  // namespace nsk
