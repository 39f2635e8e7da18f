#include "nsk/lock_wait.h"

#include <sqlite3.h>
#include <time.h>
#include <unistd.h>

namespace nsk {

void LockWait::Install(sqlite3* db, int timeout_ms) {
  timeout_ms_ = timeout_ms;
  // Different processes and connections start their jitter apart.
  random_ = static_cast<uint32_t>(getpid()) * 2654435761u ^
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 4);
  if (random_ == 0) random_ = 1;
  sqlite3_busy_handler(db, timeout_ms > 0 ? &LockWait::OnBusy : nullptr, this);
}

int LockWait::OnBusy(void* self, int attempts) {
  LockWait& wait = *static_cast<LockWait*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (attempts == 0) wait.first_attempt_ = now;
  const auto waited =
      std::chrono::duration_cast<std::chrono::microseconds>(now - wait.first_attempt_);
  const long long left_us = static_cast<long long>(wait.timeout_ms_) * 1000 - waited.count();
  if (left_us <= 0) return 0;
  // xorshift32: enough to spread the polls; 500 to 1523 microseconds.
  wait.random_ ^= wait.random_ << 13;
  wait.random_ ^= wait.random_ >> 17;
  wait.random_ ^= wait.random_ << 5;
  long long sleep_us = 500 + (wait.random_ & 1023);
  if (sleep_us > left_us) sleep_us = left_us;
  timespec pause{0, static_cast<long>(sleep_us * 1000)};
  nanosleep(&pause, nullptr);
  return 1;
}

}  // namespace nsk
