// How a catalog connection waits for another connection's lock.
//
// SQLite's own busy timeout backs off to sleeps of 100 ms. A process that
// waits behind writers committing one short transaction after another (a
// keymend run writes one label per transaction) then polls so rarely that it
// almost never lands in a gap between them, and can wait out the whole
// timeout although the lock was free hundreds of times. LockWait polls about
// once a millisecond instead, with jitter so that two waiting processes do
// not poll in step, and gives up (SQLITE_BUSY, our error 40) when the
// timeout has passed since the first attempt.
#ifndef KEYMEND_NSK_LOCK_WAIT_H_
#define KEYMEND_NSK_LOCK_WAIT_H_

#include <chrono>
#include <cstdint>

struct sqlite3;

namespace nsk {

class LockWait {
 public:
  // Makes `db` wait through this object (which must outlive the
  // connection's use) for at most `timeout_ms` per lock; 0 or less means
  // fail at once.
  void Install(sqlite3* db, int timeout_ms);

 private:
  static int OnBusy(void* self, int attempts);
  int timeout_ms_ = 0;
  std::chrono::steady_clock::time_point first_attempt_;
  uint32_t random_ = 0;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_LOCK_WAIT_H_
